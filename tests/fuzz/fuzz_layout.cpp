// Fuzzing the layout loader: the input split at its first NUL into a base
// file and a variant, loaded as language 1, as the base alone and as language
// 1 through a recoder that doubles every text; with no NUL there is no variant
// and the loader falls back to the base. The files are on tmpfs, as a disk flushes every rewrite, named by process for parallel runs.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "window/layout.h"

static const std::string base = "/dev/shm/pelorix-fuzz-" + std::to_string(getpid()) + "-layout.h", variant = base + "01";

static void WriteFuzzFile(const std::string& path, const void* data, size_t size)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {   // no tmpfs: nothing would be fuzzed
        perror(path.c_str());
        abort();
    }
    fwrite(data, 1, size, file);
    fclose(file);
}

// Every text twice over, as a recoder may make it longer; refused when it does not fit.
static int Twice(const char* text, char* out, int size)
{
    size_t length = strlen(text);
    if (2 * length >= static_cast<size_t>(size)) return 999;
    memcpy(out, text, length), memcpy(out + length, text, length), out[2 * length] = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* split = static_cast<const uint8_t*>(memchr(data, 0, size));
    size_t baseSize = split ? static_cast<size_t>(split - data) : size;
    WriteFuzzFile(base, data, baseSize);
    if (split) WriteFuzzFile(variant, split + 1, size - baseSize - 1);
    else unlink(variant.c_str());
    for (int language : {1, 0, -1}) {
        int number = language < 0 ? 1 : language;   // -1: language 1 again, through the recoder
        LoadLayout(base.c_str(), number, language < 0 ? Twice : nullptr);
        // strlen runs to the terminator under the sanitizer's eye; the copies
        // agree with it, cut short: 124 whole ones took a third of a run.
        for (int slot = -1; slot <= SlotCount; slot++) {
            char copy[8];
            size_t length = strlen(LayoutText(slot));
            if (CopyLayoutText(slot, copy, sizeof copy) != static_cast<int>(std::min(length, sizeof copy - 1)))
                __builtin_trap();
            LayoutControl(slot);
        }
    }
    unlink(base.c_str());   // libFuzzer ends without running atexit
    unlink(variant.c_str());
    return 0;
}
