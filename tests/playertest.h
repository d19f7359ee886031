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

// A stream file of noise-like audio, every frame different.
struct Clip {
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

    void Write(const std::string& name, const std::string& bytes);
    std::string Read(const std::string& name);
    Clip MakeClip(const std::string& name, int rate, int channels, int frames, int seed = 1);

    // The layout has every control and text the player uses; framesPerBuffer
    // is text 47. The settings file lists entries with the options given.
    void Start(const std::vector<std::string>& entries, int repeat = 0, int advance = 0,
               const char* framesPerBuffer = "5");

    void Command(int identifier, int code = 0);
    std::string TextOf(int slot);
    bool Pushed(int slot);                                      // BM_SETSTATE shows it pushed
    int Cursor();                                               // the Playlist's selected row

    // Carries out sent and posted messages until done() holds; false after 10 s.
    bool PumpUntil(const std::function<bool()>& done);
    bool Steady();       // playing, every returned buffer refilled, device running
    bool Idle();         // waits until no playback thread is left
    void Complete(int buffers = 1);   // the device hands back buffers, each then refilled
};
