// The whole program as a user starts it: PELORIX.exe copied with its layout files into a folder of its own and
// started from another (which holds a PELORIX.exe of no use) finds them and PELORIX.ini beside itself, plays the
// Playlist to its end ("Continue with next") bit for bit, and at Exit writes PELORIX.ini there and ends with 0.
#include "playertest.h"

static HWND program;   // the started player's main window

static bool Shown() { return (program = FindWindowA("PELORIX", nullptr)) != nullptr && IsWindowVisible(program); }
static bool Pushed(int slot) { return SendMessageA(GetDlgItem(program, slot), BM_GETSTATE, 0, 0) & BST_PUSHED; }

TEST_F(Player, WholeProgramFromItsOwnFolder)
{
    // A cross build's folder is a Unix path, under Wine on its Z: drive.
    const std::string app = folder + "app\\", built = (PELORIX_APP_DIR[0] == '/' ? "Z:" : "") + std::string(PELORIX_APP_DIR "/");
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((built + "PELORIX.*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    CreateDirectoryA(app.c_str(), nullptr);
    do CopyFileA((built + found.cFileName).c_str(), (app + found.cFileName).c_str(), FALSE);
    while (FindNextFileA(find, &found));   // a PELORIX.ini among them is replaced here
    FindClose(find);
    Clip a = MakeClip("a.wav", 44100, 2, 60), b = MakeClip("b.wav", 22050, 1, 31, 2);
    const std::string settings = "10\r\n1\r\n0\r\n1\r\n1\r\n2\r\n*.*\r\n" + a.path + "\r\n" + b.path + "\r\n";
    Write("app\\PELORIX.ini", settings);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    ASSERT_TRUE(CreateProcessA((app + "PELORIX.exe").c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &started));
    bool shown = PumpUntil(Shown);   // PELORIX.ini read
    DeleteFileA((app + "PELORIX.ini").c_str());
    if (shown) {
        SendMessageA(program, WM_COMMAND, PlaySlot, 0);
        EXPECT_TRUE(PumpUntil([] { return !Pushed(PlaySlot) && Captures().size() == 2; }, 30)) << "still playing";
        PostMessageA(program, WM_COMMAND, ExitSlot, 0);
    }
    DWORD status = 999;   // ended by force when still running after 10 s
    if (WaitForSingleObject(started.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(started.hProcess, 999);
    GetExitCodeProcess(started.hProcess, &status);
    CloseHandle(started.hThread), CloseHandle(started.hProcess);
    EXPECT_EQ(status, 0u) << "shown: " << shown;
    EXPECT_EQ(Read("app\\PELORIX.ini"), settings);
    std::vector<std::string> played = Captures();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(PlayedBuffers(played[0], a, 25), 3);
    EXPECT_EQ(PlayedBuffers(played[1], b, 25), 2);
}
