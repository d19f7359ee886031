// The program started beside a PELORIX.ini shows its options and Playlist,
// writes the file at exit so it reads back the same, and keeps it on a failed write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "fakewin.h"
#include "window/controls.h"
#include "app/mainwindow.h"
#include "playback/playbackstate.h"
#include "settings/settings.h"
#include "ui/options.h"

namespace fs = std::filesystem;

static const char* const Layout =
    "#define REPEAT 4 /*Repeat*/\r\n// 1, 0x50000003, 20, 73, 200, 16\r\n"
    "#define ADVANCE 5 /*Advance*/\r\n// 1, 0x50000003, 240, 73, 300, 16\r\n"
    "#define CLEAR_FIRST 28 /*Clear first*/\r\n// 1, 0x50000003, 560, 73, 420, 16\r\n"
    "#define PLAYLIST 35 /*Playlist*/\r\n// 3, 0x50A00101, 20, 90, 740, 265\r\n#define END 45 /*(end)*/\r\n";
static const std::string StreamStub = std::string("RIFF\x10\0\0\0WAVEfmt \x1A\0\0\0\x3A\x8A", 22);
static const char* const Defaults = "10\n0\n0\n0\n0\n0\n*.*\n";   // seven lines, the sixth "0"
static const fs::path folder = fs::temp_directory_path() / ("pelorix-settings-tests-" + std::to_string(getpid()));
static const fs::path deep = folder / std::string(150, 'd');   // room for paths of 260 to 300 characters

static void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
static std::string Read(const fs::path& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// A stream stub's path of exactly length characters, its name with blanks
// and Windows-1252 letters.
static std::string LongPath(size_t length)
{
    std::string start = (deep / "").string(), name;
    while (name.size() < length - start.size() - 4) name += "r\xE9 \xBA";
    return start + name.substr(0, length - start.size() - 4) + ".pxa";
}

// "@" stands for the test's folder and a slash, {n} for a stub path of n
// characters, {f} for 299 characters of a folder.
static std::string Expand(std::string text)
{
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, (folder / "").string());
    for (size_t at; (at = text.find('{')) != std::string::npos;) {
        std::string by = text[at + 1] == 'f' ? std::string(299, 'f') : LongPath(std::stoul(text.substr(at + 1)));
        text.replace(at, text.find('}', at) - at + 1, by);
    }
    return text;
}

static HWND Start(const fs::path& at)
{
    FakeReset();
    FakeSetExecutablePath((at / "PELORIX.exe").string().c_str());
    EXPECT_NE(RegisterMainWindowClass(GetModuleHandleA(nullptr)), 0);
    HWND window = OpenMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    EXPECT_NE(window, nullptr);
    return window;
}

// What the user sees: "language boxes lastFolder|row|row|...", the boxes as
// 0 or 1 for slots 4, 5 and 28; the cursor must be on row 0.
static std::string Shown()
{
    std::string shown = std::to_string(languageNumber) + " ";
    for (int slot : {4, 5, 28}) shown += std::to_string(SendMessageA(ControlHandle(slot), BM_GETCHECK, 0, 0));
    shown += " " + std::string(lastFolder);
    HWND playlist = ControlHandle(35);
    for (int i = 0; i < static_cast<int>(SendMessageA(playlist, LB_GETCOUNT, 0, 0)); i++) {
        char row[PathSize + 100] = "";
        SendMessageA(playlist, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row));
        shown += std::string("|") + row;
    }
    EXPECT_TRUE(SendMessageA(playlist, LB_GETCURSEL, 0, 0) == 0 && playbackState.selectedIndex == 0);
    return shown;
}

class Settings : public testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(folder);
        fs::create_directories(deep);
        Write(folder / "PELORIX.h", Layout);
        Write(folder / "PELORIX.h01", std::string(Layout) + "#define END 45 /*(Ende)*/\r\n");
        for (const char* name : {"a.pxa", "b.pxa"}) Write(folder / name, StreamStub);
        Write(folder / "bad.pxa", StreamStub.substr(0, 21) + "\x8B");
        for (int length : {260, 298, 299, 300}) Write(LongPath(length), StreamStub);
    }
    void TearDown() override { fs::remove_all(folder); }
};

// Each file is read, written at exit as expected, and the written file read
// again shows the same and writes the same bytes.
TEST_F(Settings, StartUpReadsAndExitWrites)
{
    struct Row { const char* file; const char* shown; const char* written; };   // file nullptr: none
    const Row rows[] = {
        {nullptr, "0 000 *.*|(end)", Defaults},
        {"9\n1\n1\n1\n1\n1\n@\n@a.pxa\n", "0 000 *.*|(end)", Defaults}, {"20\n1\n1\n1\n1\n1\n@\n", "0 000 *.*|(end)", Defaults},
        {"15\n1\n1\n0\n7\n2\n@\n@a.pxa\n@b.pxa\n", "1 101 @|@a.pxa|@b.pxa|(Ende)", "10\n1\n1\n0\n7\n2\n@\n@a.pxa\n@b.pxa\n"},
        {"19\n1\n0\n0\n0\n0\n*.*\n", "1 000 *.*|(Ende)", "10\n1\n0\n0\n0\n0\n*.*\n"},
        {"10\n0\n0\n0\n0\n-2\n*.*\n@a.pxa\n", "0 000 *.*|(end)", Defaults},
        // Missing, not a stream, an empty line: each uses one of the five.
        {"10\n0\n0\n0\n0\n5\n*.*\n@gone.pxa\n@a.pxa\n@bad.pxa\n\n@b.pxa\n@a.pxa\n", "0 000 *.*|@a.pxa|@b.pxa|(end)",
         "10\n0\n0\n0\n0\n2\n*.*\n@a.pxa\n@b.pxa\n"},
        // Ending early: the lines present count, the rest keep their defaults.
        {"10\n1\n1\n1\n", "1 110 *.*|(Ende)", "10\n1\n1\n1\n0\n0\n*.*\n"},
        {"10\n0\n1\n0\n0\n3\n@\n@a.pxa\n@b.pxa", "0 100 @|@a.pxa|@b.pxa|(end)", "10\n0\n1\n0\n0\n2\n@\n@a.pxa\n@b.pxa\n"},
        {"10\r\n1\r\n0\r\n0\r\n1\r\n1\r\n@\r\n@b.pxa\r\n", "1 001 @|@b.pxa|(Ende)", "10\n1\n0\n0\n1\n1\n@\n@b.pxa\n"},
        // Up to 298 characters an entry is read whole; longer lines are
        // dropped whole, and the next line is still an entry. A folder is cut to 299.
        {"10\n0\n0\n0\n0\n5\n*.*\n{260}\n{298}\n{299}\n{300}\n@a.pxa\n", "0 000 *.*|{260}|{298}|@a.pxa|(end)",
         "10\n0\n0\n0\n0\n3\n*.*\n{260}\n{298}\n@a.pxa\n"},
        {"10\n0\n0\n0\n0\n1\n{f}ff\n@a.pxa\n", "0 000 {f}|@a.pxa|(end)", "10\n0\n0\n0\n0\n1\n{f}\n@a.pxa\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file ? row.file : "(no file)");
        fs::remove(folder / "PELORIX.ini");
        if (row.file) Write(folder / "PELORIX.ini", Expand(row.file));
        for (int run = 0; run < 2; run++) {
            SCOPED_TRACE(run ? "read back" : "first start");
            HWND window = Start(folder);
            EXPECT_EQ(Shown(), Expand(row.shown));
            SendMessageA(window, WM_CLOSE, 0, 0);
            EXPECT_EQ(Read(folder / "PELORIX.ini"), Expand(row.written));
            EXPECT_FALSE(fs::exists(folder / "PELORIX.ini.new"));
        }
    }
}

// Entries added while the program runs: a path longer than 298 characters
// would read back broken, so it is not written and not counted.
TEST_F(Settings, OverlongEntriesAreNotWritten)
{
    HWND window = Start(folder);
    const std::string entries[] = {LongPath(299), LongPath(298), Expand("@a.pxa"), LongPath(300) + "yyyy"};
    for (int i = 0; i < 4; i++) SendMessageA(ControlHandle(35), LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(entries[i].c_str()));
    playbackState.playlistCount = 4;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Read(folder / "PELORIX.ini"), Expand("10\n0\n0\n0\n0\n2\n*.*\n{298}\n@a.pxa\n"));
    Start(folder);
    EXPECT_EQ(Shown(), Expand("0 000 *.*|{298}|@a.pxa|(end)"));
}

// A write that fails keeps the old file whole, leaves no temporary file
// behind but one the test made, and the program still quits.
TEST_F(Settings, FailedWriteKeepsTheOldFile)
{
    const std::string old = Expand("10\n0\n1\n0\n0\n1\n@\n@a.pxa\n"), update = Expand("10\n0\n1\n0\n1\n1\n@\n@a.pxa\n");
    enum { TemporaryFolder, SettingsFolder, ReadOnly, Locked, Fits, TooLong };
    for (int kind : {TemporaryFolder, SettingsFolder, ReadOnly, Locked, Fits, TooLong}) {
        SCOPED_TRACE(kind);
        fs::path at = folder / std::to_string(kind);   // a settings path of 295 takes the suffix ".new", one of 296 does not
        if (kind >= Fits) at = deep / std::string(295 + (kind == TooLong) - (deep / "PELORIX.ini").string().size() - 1, 'e');
        fs::create_directories(at);
        Write(at / "PELORIX.h", Layout);
        fs::path settings = at / "PELORIX.ini", temporary = at / "PELORIX.ini.new";
        if (kind == TemporaryFolder) fs::create_directory(temporary);
        if (kind == SettingsFolder) fs::create_directory(settings);
        else Write(settings, old);
        if (kind == ReadOnly) fs::permissions(settings, fs::perms::owner_read);
        HWND window = Start(at);
        if (kind == Locked) FakeLockFile(settings.string().c_str(), true);
        clearBeforeAddOption = 1;
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(FakeQuitPosted());
        if (kind == SettingsFolder) EXPECT_TRUE(fs::is_directory(settings));
        else EXPECT_EQ(Read(settings), kind == Fits ? update : old);
        EXPECT_EQ(fs::exists(temporary), kind == TemporaryFolder);
    }
}
