// The whole program as a user starts it: PELORIX.exe copied with its layout files into a folder of its own and
// started from another (which holds a PELORIX.exe of no use) finds them and PELORIX.ini beside itself, plays the
// Playlist at Space to its end ("Continue with next") bit for bit, at Exit writes PELORIX.ini there and ends with 0.
// Started with items, it takes them, or hands them to the one already running.
#include "playertest.h"

#include <algorithm>
#include <cstring>

static HWND program;   // the started player's main window

static bool Shown() { return (program = FindWindowA("PELORIX", nullptr)) != nullptr && IsWindowVisible(program); }
static bool Pushed(int slot) { return SendMessageA(GetDlgItem(program, slot), BM_GETSTATE, 0, 0) & BST_PUSHED; }

// The built player and its layout files copied into the folder app; false when they are not found.
static bool CopyProgram(const std::string& app)
{
    // A cross build's folder is a Unix path, under Wine on its Z: drive.
    const std::string built = (PELORIX_APP_DIR[0] == '/' ? "Z:" : "") + std::string(PELORIX_APP_DIR "/");
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((built + "PELORIX.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    CreateDirectoryA(app.c_str(), nullptr);
    do CopyFileA((built + found.cFileName).c_str(), (app + found.cFileName).c_str(), FALSE);
    while (FindNextFileA(find, &found));   // a PELORIX.ini among them is replaced here
    return FindClose(find);
}

// PELORIX.exe of app started with the arguments in the folder in; its process, or NULL.
static HANDLE Launch(const std::string& app, const std::string& arguments, const std::string& in)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    std::string line = "\"" + app + "PELORIX.exe\" " + arguments;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, in.c_str(), &startup, &started))
        return nullptr;
    return CloseHandle(started.hThread), started.hProcess;
}

static DWORD Ended(HANDLE process)   // its exit status; 999 when ended by force, still running after 10 s
{
    DWORD status = 999;
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 999);
    GetExitCodeProcess(process, &status);
    return CloseHandle(process), status;
}

TEST_F(Player, WholeProgramFromItsOwnFolder)
{
    const std::string app = folder + "app\\";
    ASSERT_TRUE(CopyProgram(app));
    Clip a = MakeClip("a.wav", 44100, 2, 60), b = MakeClip("b.wav", 22050, 1, 31, 2);
    const std::string settings = "10\r\n1\r\n0\r\n1\r\n1\r\n2\r\n*.*\r\n" + a.path + "\r\n" + b.path + "\r\n";
    Write("app\\PELORIX.ini", settings);
    HANDLE started = Launch(app, "", folder);
    ASSERT_TRUE(started);
    bool shown = PumpUntil(Shown);   // PELORIX.ini read
    DeleteFileA((app + "PELORIX.ini").c_str());
    if (shown) {
        // Play by Space, which its own loop takes, once the window has the keyboard (a moment after it shows).
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui, SetForegroundWindow(program);
        PumpUntil([&] { return GetGUIThreadInfo(GetWindowThreadProcessId(program, nullptr), &gui) && gui.hwndFocus; });
        INPUT space[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
        space[0].ki.wVk = space[1].ki.wVk = VK_SPACE, space[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, space, sizeof(INPUT));
        EXPECT_TRUE(PumpUntil([] { return !Pushed(PlaySlot) && Captures().size() == 2; }, 30)) << "still playing";
        PostMessageA(program, WM_COMMAND, ExitSlot, 0);
    }
    EXPECT_EQ(Ended(started), 0u) << "shown: " << shown;
    EXPECT_EQ(Read("app\\PELORIX.ini"), settings);
    std::vector<std::string> played = Captures();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(PlayedBuffers(played[0], a, 25), 3);
    EXPECT_EQ(PlayedBuffers(played[1], b, 25), 2);
}

static BOOL CALLBACK CountPlayer(HWND window, LPARAM count)
{
    char name[16] = "";
    return GetClassNameA(window, name, sizeof name), *reinterpret_cast<int*>(count) += !strcmp(name, "PELORIX"), TRUE;
}

// Items relative to where each start is made: the first start puts its own in after the selected entry and
// plays the first; a second start, while it runs, hands its items over and ends with 0, writing nothing, and
// the one window adds them after the selected entry and plays the first of them; with /add it plays none of
// them. Bad items are left out; a name in Greek and Japanese is taken. The folder can't be written (a folder named as the write probe): both starts
// take the user's own PELORIX.ini.
TEST_F(Player, StartsWithItemsAndHandsThemOver)
{
    const std::string app = folder + "app\\";
    ASSERT_TRUE(CopyProgram(app));
    CreateDirectoryA((folder + "more").c_str(), nullptr);
    for (const char* name : {"a", "b", "more\\c", "more\\d", "e \xCE\xB1 \xE6\x9D\xB1"}) MakeClip(name + std::string(".wav"), 500, 1, 3000);
    const std::string settings = "10\r\n0\r\n0\r\n0\r\n0\r\n1\r\n*.*\r\n" + folder + "a.wav\r\n";
    Write("app\\PELORIX.ini", settings);
    CreateDirectoryA((app + "PELORIX.ini.try").c_str(), nullptr);
    auto seen = [&] {   // "rows cursor|what plays", the folder left out (Wine passes no row's text to another process)
        char text[PathSize] = "";
        HWND list = GetDlgItem(program, PlaylistSlot);
        SendMessageA(GetDlgItem(program, StatusSlot), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return std::to_string(SendMessageA(list, LB_GETCOUNT, 0, 0)) + " " + std::to_string(SendMessageA(list,
               LB_GETCURSEL, 0, 0)) + "|" + (text + std::min(strlen(text), folder.size()));
    };
    HANDLE first = Launch(app, "b.wav", folder);
    ASSERT_TRUE(first && PumpUntil(Shown));
    EXPECT_TRUE(PumpUntil([&] { return seen() == "3 1|b.wav"; })) << seen();
    EXPECT_EQ(Ended(Launch(app, "more \"e \xCE\xB1 \xE6\x9D\xB1.wav\" none.wav more\\c.wav\\", folder)), 0u);
    EXPECT_TRUE(PumpUntil([&] { return seen() == "6 2|more\\c.wav"; })) << seen();
    EXPECT_EQ(Ended(Launch(app, "/ADD b.wav", folder)), 0u);
    EXPECT_TRUE(PumpUntil([&] { return seen() == "7 2|more\\c.wav"; })) << seen();
    int windows = 0;
    EnumWindows(CountPlayer, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows, 1);
    EXPECT_EQ(Read("app\\PELORIX.ini"), settings);
    PostMessageA(program, WM_COMMAND, ExitSlot, 0);
    EXPECT_EQ(Ended(first), 0u);
    std::string rows;
    for (const char* name : {"a", "b", "more\\c", "b", "more\\d", "e \xCE\xB1 \xE6\x9D\xB1"}) rows += folder + name + ".wav\r\n";
    EXPECT_EQ(Read("PELORIX\\PELORIX.ini"), "10\r\n0\r\n0\r\n0\r\n0\r\n6\r\n*.*\r\n" + rows);
    EXPECT_EQ(Read("app\\PELORIX.ini"), settings);
}
