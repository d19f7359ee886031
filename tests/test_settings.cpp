// The settings file on the fake layer: the program started beside a
// PELORIX.ini written here shows its options and Playlist, the file written
// at exit reads back to the same view, and a failed write keeps the old file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "fakewin.h"
#include "app/controls.h"
#include "app/mainwindow.h"
#include "playback/playbackstate.h"
#include "settings/settings.h"
#include "ui/options.h"

namespace fs = std::filesystem;

static const char* const Layout =
    "#define REPEAT 4 /*Repeat*/\r\n// 1, 0x50000003, 20, 73, 200, 16\r\n"
    "#define ADVANCE 5 /*Advance*/\r\n// 1, 0x50000003, 240, 73, 300, 16\r\n"
    "#define CLEAR_FIRST 28 /*Clear first*/\r\n// 1, 0x50000003, 560, 73, 420, 16\r\n"
    "#define PLAYLIST 35 /*Playlist*/\r\n// 3, 0x50A00101, 20, 90, 740, 265\r\n";
static const std::string StreamStub = std::string("RIFF\x10\0\0\0WAVEfmt \x1A\0\0\0\x3A\x8A", 22);
static const char* const Defaults = "10\n0\n0\n0\n0\n0\n*.*\n";   // seven lines, the sixth "0"

class Settings : public testing::Test {
protected:
    fs::path folder = fs::temp_directory_path() / ("pelorix-settings-tests-" + std::to_string(getpid())) /
                      testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::path deep = folder / std::string(150, 'd');   // room for paths of 298 and 299 characters

    void SetUp() override
    {
        fs::remove_all(folder);
        fs::create_directories(deep);
        Place(folder);
        Write(folder / "PELORIX.h01", std::string(Layout) + "#define END 45 /*(Ende)*/\r\n");
        Write(folder / "a.pxa", StreamStub);
        Write(folder / "b.pxa", StreamStub);
        Write(folder / "bad.pxa", StreamStub.substr(0, 21) + "\x8B");
        Write(LongPath(298), StreamStub);
        Write(LongPath(299), StreamStub);
    }
    void TearDown() override { fs::remove_all(folder.parent_path()); }

    static void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    static std::string Read(const fs::path& path)
    {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    static void Place(const fs::path& at) { Write(at / "PELORIX.h", std::string(Layout) + "#define END 45 /*(end)*/\r\n"); }

    // A stream stub's path of exactly length characters.
    std::string LongPath(size_t length)
    {
        std::string start = (deep / "").string();
        return start + std::string(length - start.size() - 4, 'x') + ".pxa";
    }
    // "@" stands for the test's folder and a slash, {298} and {299} for long
    // stub paths, {f299} for 299 characters of a folder, {y700} for a long line.
    std::string Expand(std::string text)
    {
        const std::pair<std::string, std::string> tokens[] = {
            {"@", (folder / "").string()}, {"{298}", LongPath(298)}, {"{299}", LongPath(299)},
            {"{f299}", std::string(299, 'f')}, {"{y700}", std::string(700, 'y')}};
        for (const auto& token : tokens)
            for (size_t at; (at = text.find(token.first)) != std::string::npos;)
                text.replace(at, token.first.size(), token.second);
        return text;
    }

    HWND Start(const fs::path& at)
    {
        FakeReset();
        FakeSetExecutablePath((at / "PELORIX.exe").string().c_str());
        EXPECT_NE(RegisterMainWindowClass(GetModuleHandleA(nullptr)), 0);
        HWND window = OpenMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        EXPECT_NE(window, nullptr);
        return window;
    }
    static void Exit(HWND window)
    {
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(FakeQuitPosted());
    }

    // What the user sees: "language boxes lastFolder|row|row|...", the boxes
    // as 0 or 1 for slots 4, 5 and 28; the cursor must be on row 0.
    static std::string Shown()
    {
        std::string shown = std::to_string(languageNumber) + " ";
        for (int slot : {4, 5, 28}) shown += std::to_string(SendMessageA(ControlHandle(slot), BM_GETCHECK, 0, 0));
        shown += " " + std::string(lastFolder);
        HWND playlist = ControlHandle(35);
        for (int i = 0; i < static_cast<int>(SendMessageA(playlist, LB_GETCOUNT, 0, 0)); i++) {
            char row[400] = "";
            SendMessageA(playlist, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row));
            shown += std::string("|") + row;
        }
        EXPECT_EQ(SendMessageA(playlist, LB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(playbackState.selectedIndex, 0);
        return shown;
    }
};

// Each file is read, written at exit as expected, and the written file read
// again shows the same and writes the same bytes.
TEST_F(Settings, StartUpReadsAndExitWrites)
{
    struct Row { const char* file; const char* shown; const char* written; };   // file nullptr: none
    const Row rows[] = {
        {nullptr, "0 000 *.*|(end)", Defaults},
        {"", "0 000 *.*|(end)", Defaults},
        {"\n1\n1\n1\n1\n1\n@\n@a.pxa\n", "0 000 *.*|(end)", Defaults},
        {"9\n1\n1\n1\n1\n1\n@\n@a.pxa\n", "0 000 *.*|(end)", Defaults},
        {"20\n1\n1\n1\n1\n1\n@\n@a.pxa\n", "0 000 *.*|(end)", Defaults},
        {"15\n1\n1\n0\n7\n2\n@\n@a.pxa\n@b.pxa\n", "1 101 @|@a.pxa|@b.pxa|(Ende)", "10\n1\n1\n0\n7\n2\n@\n@a.pxa\n@b.pxa\n"},
        {"10\n2\n0\n0\n0\n0\n*.*\n", "0 000 *.*|(end)", Defaults},   // no variant 2
        {"10\n0\n0\n0\n0\n0\nC:\\music\\\n@a.pxa\n", "0 000 C:\\music\\|(end)", "10\n0\n0\n0\n0\n0\nC:\\music\\\n"},
        {"10\n0\n0\n0\n0\n-2\n*.*\n@a.pxa\n", "0 000 *.*|(end)", Defaults},
        // Missing, not a stream, an empty line: each uses one of the five.
        {"10\n0\n0\n0\n0\n5\n*.*\n@gone.pxa\n@a.pxa\n@bad.pxa\n\n@b.pxa\n@a.pxa\n", "0 000 *.*|@a.pxa|@b.pxa|(end)",
         "10\n0\n0\n0\n0\n2\n*.*\n@a.pxa\n@b.pxa\n"},
        {"10\n1\n0\n1\n0\n0\n\n", "1 010 |(Ende)", "10\n1\n0\n1\n0\n0\n\n"},
        // Ending early: the lines present count, the rest keep their defaults.
        {"10", "0 000 *.*|(end)", Defaults},
        {"10\n1\n1\n1\n", "1 110 *.*|(Ende)", "10\n1\n1\n1\n0\n0\n*.*\n"},
        {"10\n0\n0\n0\n0\n3\n", "0 000 *.*|(end)", Defaults},
        {"10\n0\n1\n0\n0\n3\n@\n@a.pxa\n@b.pxa", "0 100 @|@a.pxa|@b.pxa|(end)", "10\n0\n1\n0\n0\n2\n@\n@a.pxa\n@b.pxa\n"},
        {"10\r\n1\r\n0\r\n0\r\n1\r\n1\r\n@\r\n@b.pxa\r\n", "1 001 @|@b.pxa|(Ende)", "10\n1\n0\n0\n1\n1\n@\n@b.pxa\n"},
        // Overlong lines are dropped whole; the next line is still an entry.
        {"10\n0\n0\n0\n0\n4\n*.*\n{298}\n{299}\n{y700}\n@a.pxa\n", "0 000 *.*|{298}|@a.pxa|(end)",
         "10\n0\n0\n0\n0\n2\n*.*\n{298}\n@a.pxa\n"},
        {"10\n0\n0\n0\n0\n1\n{f299}\n@a.pxa\n", "0 000 {f299}|@a.pxa|(end)", "10\n0\n0\n0\n0\n1\n{f299}\n@a.pxa\n"},
        {"10\n0\n0\n0\n0\n1\n{f299}ff\n@a.pxa\n", "0 000 {f299}|@a.pxa|(end)", "10\n0\n0\n0\n0\n1\n{f299}\n@a.pxa\n"},
    };
    fs::path settings = folder / "PELORIX.ini";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file ? row.file : "(no file)");
        fs::remove(settings);
        if (row.file) Write(settings, Expand(row.file));
        for (int run = 0; run < 2; run++) {
            SCOPED_TRACE(run ? "read back" : "first start");
            HWND window = Start(folder);
            EXPECT_EQ(Shown(), Expand(row.shown));
            Exit(window);
            EXPECT_EQ(Read(settings), Expand(row.written));
            EXPECT_FALSE(fs::exists(folder / "PELORIX.ini.new"));
        }
    }
}

// Entries added while the program runs: a path longer than 298 characters
// would read back broken, so it is not written and not counted.
TEST_F(Settings, OverlongEntriesAreNotWritten)
{
    HWND window = Start(folder);
    HWND playlist = ControlHandle(35);
    const std::string entries[] = {LongPath(299), LongPath(298), Expand("@a.pxa"), LongPath(299) + "yyyy"};
    for (int i = 0; i < 4; i++) SendMessageA(playlist, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(entries[i].c_str()));
    playbackState.playlistCount = 4;
    Exit(window);
    EXPECT_EQ(Read(folder / "PELORIX.ini"), Expand("10\n0\n0\n0\n0\n2\n*.*\n{298}\n@a.pxa\n"));
    Start(folder);
    EXPECT_EQ(Shown(), Expand("0 000 *.*|{298}|@a.pxa|(end)"));
}

// A write that fails keeps the old file whole and the program still quits.
TEST_F(Settings, FailedWriteKeepsTheOldFile)
{
    const std::string old = Expand("10\n0\n1\n0\n0\n1\n@\n@a.pxa\n");
    const std::string update = Expand("10\n0\n1\n0\n1\n1\n@\n@a.pxa\n");
    struct Row { const char* what; size_t pathLength; bool written; };   // pathLength 0: in the test's folder
    const Row rows[] = {
        {"a folder named as the temporary", 0, false},
        {"the settings path a folder", 0, false},
        {"a path of 295 takes the suffix", 295, true},
        {"a path of 296 does not", 296, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fs::path at = folder;
        if (row.pathLength) {
            at = deep / std::string(row.pathLength - (deep / "PELORIX.ini").string().size() - 1, 'e');
            fs::create_directories(at);
            Place(at);
        }
        fs::path settings = at / "PELORIX.ini", temporary = at / "PELORIX.ini.new";
        fs::remove_all(settings);
        fs::remove_all(temporary);
        if (&row == rows) fs::create_directory(temporary);
        if (&row == rows + 1) fs::create_directory(settings);
        else Write(settings, old);
        if (row.pathLength) {
            ASSERT_EQ(settings.string().size(), row.pathLength);
        }

        HWND window = Start(at);
        clearBeforeAddOption = 1;
        Exit(window);
        if (&row == rows + 1) EXPECT_TRUE(fs::is_directory(settings));
        else EXPECT_EQ(Read(settings), row.written ? update : old);
        EXPECT_EQ(fs::exists(temporary), &row == rows);
    }
}
