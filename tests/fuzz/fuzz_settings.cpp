// Fuzzing the settings file's reader: the input as PELORIX.ini, its seven
// lines into a record of defaults, then every entry line.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = size ? fmemopen(const_cast<uint8_t*>(data), size, "r") : fopen("/dev/null", "r");
    if (!file) return 0;
    SettingsRecord record = {0, 0, 0, 0, 0, "*.*"};
    ReadSettingsRecord(file, record);
    if (strnlen(record.lastFolder, PathSize) >= static_cast<size_t>(PathSize) || record.playlistCount < 0)
        __builtin_trap();
    char path[PathSize];
    for (int length; (length = ReadEntryLine(file, path)) >= 0;)
        if (length > MaxEntryLength + 1) __builtin_trap();
    fclose(file);
    return 0;
}
