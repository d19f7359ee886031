// Fuzzing the layout loader: the input split at its first NUL into a base
// file and a variant, loaded as language 1 and then as the base alone.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "ui/layout.h"

static void WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return;
    fwrite(data, 1, size, file);
    fclose(file);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string base = "/tmp/pelorix-fuzz-layout-" + std::to_string(getpid()) + ".h";
    const uint8_t* split = static_cast<const uint8_t*>(memchr(data, 0, size));
    size_t baseSize = split ? static_cast<size_t>(split - data) : size;
    WriteFile(base, data, baseSize);
    WriteFile(base + "01", data + baseSize, size - baseSize);
    for (int language : {1, 0}) {
        LoadLayout(nullptr, base.c_str(), language);
        for (int slot = -1; slot <= 60; slot++) {
            char copy[300];
            if (CopyLayoutText(slot, copy, sizeof copy) >= static_cast<int>(sizeof copy) || !LayoutText(slot)) __builtin_trap();
            LayoutControl(slot);
        }
    }
    return 0;
}
