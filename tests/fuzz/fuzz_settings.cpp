// Fuzzing the settings reader on the fake layer: the input as PELORIX.ini,
// read as at start-up, its entries into a list box. The seeds' entries name
// one stream file, put in place whole (renamed) as parallel runs read it.
#include <cstdint>
#include <cstring>

#include "app/paths.h"
#include "fakewin.h"
#include "playback/playbackstate.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzzfile.h"
#include "ui/options.h"

static const std::string path = FuzzFilePath("-settings.ini");

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    WriteFuzzFile(path, "RIFF\0\0\0\0WAVEfmt \0\0\0\0\x3A\x8A", 22);
    if (rename(path.c_str(), "/dev/shm/pelorix-fuzz-stream.wav") != 0) abort();
    strcpy(settingsPath, path.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static HWND playlist = CreateWindowExA(0, "listbox", "", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                           nullptr);
    WriteFuzzFile(path, data, size);
    SetDefaultOptions();
    ReadSettings();
    if (playbackState.playlistCount > 0) ReadPlaylistEntries(playlist);
    if (strnlen(lastFolder, PathSize) >= static_cast<size_t>(PathSize) || playbackState.playlistCount < 0 ||
        playbackState.playlistCount != SendMessageA(playlist, LB_GETCOUNT, 0, 0))
        __builtin_trap();
    unlink(path.c_str());   // closed by now; libFuzzer ends without running atexit
    return 0;
}
