// Fuzzing the settings reader on the fake layer: the input as PELORIX.ini,
// read as at start-up, its entries into a list box. Entry lines name files
// anywhere, so the run keeps to a folder of its own.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "app/paths.h"
#include "fakewin.h"
#include "playback/playbackstate.h"
#include "settings/settings.h"
#include "ui/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/pelorix-fuzz-settings-" + std::to_string(getpid()) + ".ini";
    static HWND playlist = CreateWindowExA(0, "listbox", "", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                           nullptr);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    strcpy(settingsPath, path.c_str());
    SetDefaultOptions();
    ReadSettings();
    if (playbackState.playlistCount > 0) ReadPlaylistEntries(playlist);
    if (strnlen(lastFolder, PathSize) >= static_cast<size_t>(PathSize) || playbackState.playlistCount < 0 ||
        playbackState.playlistCount != SendMessageA(playlist, LB_GETCOUNT, 0, 0))
        __builtin_trap();
    return 0;
}
