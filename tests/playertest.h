// The whole player on the fake layer, for behaviour tests: a folder with the
// executable's layout file, settings file and stream clips, the main window
// started from them, commands as the controls send them, and waits that carry
// out the playback thread's messages.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fakewin.h"
#include "playback/playbackstate.h"
#include "window/controls.h"

enum { Language = 0, Play = 1, Stop = 2, Exit = 3, Previous = 10, Back3s = 14, Pause = 15, Forward3s = 16,
       Next = 20, AddAfter = 25, Remove = 26, Clear = 27, ClearFirst = 28, AddBefore = 29, Playlist = 35 };

struct Clip {   // a stream file of noise-like audio, every frame different
    std::string path;
    int rate, channels, frames;
    std::vector<int16_t> values;
};

// PCM bytes of count frames from first; frames past the clip's end are silence.
std::string FramesOf(const Clip& clip, int first, int count);

class Player : public testing::Test {
protected:
    std::filesystem::path folder;
    HWND window = nullptr;
    const char* scanListStyle = "0x40A00002";   // hidden, sorted

    void SetUp() override;
    void TearDown() override;   // ends any playback thread first
    void Again() { TearDown(), SetUp(); }
    void Write(const std::string& name, const std::string& bytes);
    std::string Read(const std::string& name);
    Clip MakeClip(const std::string& name, int rate, int channels, int frames, int seed = 1);
    // The layout, unless given, has every control and text the player uses.
    void Start(const std::vector<std::string>& entries, int repeat = 0, int advance = 0,
               const char* framesPerBuffer = "5", const std::string& layout = "");
    void Command(int identifier) { SendMessageA(window, WM_COMMAND, identifier, 0); }
    void Click(int row, bool twice = false) { FakeClickListItem(ControlHandle(Playlist), row, twice); }
    std::string TextOf(int slot);
    // "position|file|play and pause pushed|currentIndex selectedIndex cursor|device",
    // file names relative to the folder.
    std::string Seen();
    std::string Rows();   // the Playlist's rows, "P Q (end)": the folder's files by stem
    // Carries out sent and posted messages until done() holds; false after 10 s.
    bool PumpUntil(const std::function<bool()>& done);
    bool Steady();       // playing, every returned buffer refilled, device running
    bool Idle();         // no playback thread left
    void Complete(int buffers = 1);   // the device hands back buffers, each then refilled
};
