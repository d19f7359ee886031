// The whole player on Windows, for behaviour tests: a folder with a stand-in
// PELORIX.exe, its layout file, settings file and stream clips; the main
// window opened from them, commands as its controls send them, and what the
// controls show and the device played.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "playback/playbackstate.h"
#include "window/controls.h"
#include "wintest.h"

struct Clip {   // a stream file of noise-like audio, every frame different
    std::string path;
    int rate, channels, frames;
    std::vector<int16_t> values;
};

// PCM bytes of count frames from first; frames past the clip's end are silence.
std::string FramesOf(const Clip& clip, int first, int count);

// Whole buffers of the clip, from frame 0 in order, that a capture starts
// with; -1 when anything but silence follows the part that matches (a reset
// cuts a buffer anywhere; a device left without buffers plays silence).
int PlayedBuffers(const std::string& capture, const Clip& clip, int framesPerBuffer);

class Player : public testing::Test {
protected:
    std::string folder;      // the test's own, the current directory; ends in a backslash
    std::string startFolder;
    HWND window = nullptr;

    void SetUp() override;
    void TearDown() override;   // the window destroyed, which ends any playback first
    void Again() { TearDown(), SetUp(); }
    void Write(const std::string& name, const std::string& bytes);
    std::string Read(const std::string& name);
    Clip MakeClip(const std::string& name, int rate, int channels, int frames, int seed = 1);
    // The layout, unless given, has every control and text the player uses.
    void Start(const std::vector<std::string>& entries, int repeat = 0, int advance = 0,
               const char* framesPerBuffer = "5", const std::string& layout = "");
    // Until the entry is open and the device started; only then does Pause act.
    bool Playing() { return PumpUntil([] { return playbackState.playing == 1; }); }
    // Until the position display changes; false when it has not after that many seconds.
    bool Moves(int seconds = 10);
    void Command(int slot) { SendMessageA(window, WM_COMMAND, slot, 0); }
    void Click(int row, bool twice = false);   // on the Playlist, as the list box notifies
    std::string TextOf(int slot);
    // "position|file|play and pause pushed|currentIndex selectedIndex cursor",
    // file names relative to the folder.
    std::string Seen();
    // Carries out messages until Seen() matches view, in which # stands for any digit.
    testing::AssertionResult Shows(const std::string& view);
    std::string Rows();   // the Playlist's rows, "P Q (end)": the folder's files by stem
};
