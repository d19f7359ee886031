// Files for the loaders that take a path: in memory (tmpfs), because a disk
// flushes every rewrite, and named after the process so that parallel runs
// keep apart.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

inline std::string FuzzFilePath(const char* suffix)
{
    return "/dev/shm/pelorix-fuzz-" + std::to_string(getpid()) + suffix;
}

inline void WriteFuzzFile(const std::string& path, const void* data, size_t size)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {   // no tmpfs: nothing would be fuzzed
        perror(path.c_str());
        abort();
    }
    fwrite(data, 1, size, file);
    fclose(file);
}
