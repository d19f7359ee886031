// The whole player on Windows, for behaviour tests: the main window opened from files in the test's own
// folder (a stand-in PELORIX.exe, layout, settings, clips), driven as its controls drive it; what the
// controls show, the dialog boxes said and the device played (captured to files by winrun.sh under Wine).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "playback/playbackstate.h"
#include "window/controls.h"

struct Clip {   // a stream file of noise-like audio, every frame different
    std::string path;
    int rate, channels, frames;
    std::vector<int16_t> values;
};

std::string FramesOf(const Clip& clip, int first, int count);   // PCM bytes; past the clip's end silence
// Whole buffers of the clip, from frame 0 in order, that a capture starts with; -1 when anything but
// silence follows (a reset cuts a buffer anywhere; a device left without buffers plays silence).
int PlayedBuffers(const std::string& capture, const Clip& clip, int framesPerBuffer);
std::vector<std::string> Captures();   // what each opening of the device played; read once it is closed
// Carries out this thread's messages (a WM_QUIT is dropped) until done(); false if not so within the seconds.
bool PumpUntil(const std::function<bool()>& done, int seconds = 10);
// Until done() holds while another thread waits in a message sent here, carrying out those sent before; that
// thread stands still meanwhile, in the message it sent.
bool Hold(const std::function<bool()>& done);
// Runs action while a second thread answers each dialog box: a message box with OK, the file dialog with
// reply in its file-name field (null: Cancel). Returns what the last showed: "text|caption|owner's class",
// or the field.
std::string Answering(const std::function<void()>& action, const char* reply = nullptr);

class Player : public testing::Test {
protected:
    std::string folder, startFolder;   // the test's own, the current directory, ends in a backslash
    HWND window = nullptr;

    void SetUp() override;
    void TearDown() override;   // the window destroyed, which ends any playback first
    void Again() { TearDown(), SetUp(); }
    void Write(const std::string& name, const std::string& bytes);
    std::string Read(const std::string& name);
    Clip MakeClip(const std::string& name, int rate, int channels, int frames, int seed = 1);
    // PELORIX.ini, and the layout, unless given, with every control and text the player uses; then Open().
    void Start(const std::vector<std::string>& entries, int repeat = 0, int advance = 0,
               const char* framesPerBuffer = "5", const std::string& layout = "");
    void Open();    // the main window from the files as they are
    bool Close();   // by WM_CLOSE; whether the program quits
    bool Playing() { return PumpUntil([] { return playbackState.playing == 1; }); }   // only then Pause acts
    bool Moves(int seconds = 10);   // until the position display changes
    void Command(int slot) { SendMessageA(window, WM_COMMAND, slot, 0); }
    void Click(int row, bool twice = false);   // on the Playlist, as the list box notifies
    std::string TextOf(int slot);
    // "position|file|play and pause pushed|currentIndex selectedIndex cursor", file names relative to the
    // folder; Shows carries out messages until it matches view, in which # stands for any digit.
    std::string Seen();
    testing::AssertionResult Shows(const std::string& view);
    std::string Rows();   // the Playlist's rows, "P Q (end)": the folder's files by stem
};
