// The program started beside a PELORIX.ini shows its options and Playlist, writes the file at exit so it
// reads back the same, and keeps it on a failed write; in a folder that can't be written it uses the user's own in
// APPDATA. The lines themselves are the native tests'.
#include "playertest.h"

#include "ui/options.h"

static const char* const Layout =
    "#define REPEAT 4 /*Repeat*/\r\n// 1, 0x50000003, 20, 73, 200, 16\r\n"
    "#define ADVANCE 5 /*Advance*/\r\n// 1, 0x50000003, 240, 73, 300, 16\r\n"
    "#define CLEAR_FIRST 28 /*Clear first*/\r\n// 1, 0x50000003, 560, 73, 420, 16\r\n"
    "#define PLAYLIST 35 /*Playlist*/\r\n// 3, 0x50A00101, 20, 90, 740, 265\r\n#define END 45 /*(end)*/\r\n";
static const std::string StreamStub = std::string("RIFF\x10\0\0\0WAVEfmt \x1A\0\0\0\x3A\x8A", 22);

class Settings : public Player {
protected:
    void SetUp() override
    {
        Player::SetUp();
        Write("PELORIX.h", Layout);
        Write("PELORIX.h01", std::string(Layout) + "#define END 45 /*(Ende)*/\r\n");
        for (const char* name : {"a.pxa", "b.pxa", "caf\xC3\xA9.pxa", "\xCE\x91\xCE\xB8.pxa", "\xE6\x9D\xB1.pxa"})
            Write(name, StreamStub);
        Write("bad.pxa", StreamStub.substr(0, 21) + "\x8B");
    }
    std::string Expand(const std::string& text, const char* lineEnd = "\n")   // "@": the test's folder
    {
        std::string expanded;
        for (char c : text) expanded += c == '@' ? folder : c == '\n' ? lineEnd : std::string(1, c);
        return expanded;
    }
};

// Each file is read, written at exit as expected, and the written file read again shows the same and writes
// the same bytes. Entries longer than 298 bytes would read back broken: not written, not counted. A line is
// UTF-8 when it is valid UTF-8, else Windows-1252, and is written back as it was: a file from before names
// could be in any script stays as it is.
TEST_F(Settings, StartUpReadsAndExitWrites)
{
    // file nullptr: none; shown: "language boxes lastFolder|rows", the boxes of slots 4, 5 and 28 as 0 or 1.
    struct Row { const char* file; const char* shown; const char* written; };
    const Row rows[] = {
        {nullptr, "0 000 *.*|(end)", "10\n0\n0\n0\n0\n0\n*.*\n"},
        {"15\n1\n1\n0\n7\n2\n@\n@a.pxa\n@b.pxa\n", "1 101 @|a b (Ende)", "10\n1\n1\n0\n7\n2\n@\n@a.pxa\n@b.pxa\n"},
        {"10\n0\n0\n0\n0\n3\n@caf\xE9\\\n@caf\xE9.pxa\n@\xCE\x91\xCE\xB8.pxa\n@\xE6\x9D\xB1.pxa\n",
         "0 000 @caf\xC3\xA9\\|caf\xC3\xA9 \xCE\x91\xCE\xB8 \xE6\x9D\xB1 (end)",
         "10\n0\n0\n0\n0\n3\n@caf\xE9\\\n@caf\xE9.pxa\n@\xCE\x91\xCE\xB8.pxa\n@\xE6\x9D\xB1.pxa\n"},
        // Missing, not a stream, an empty line: each uses one of the five.
        {"10\n0\n0\n0\n0\n5\n*.*\n@gone.pxa\n@a.pxa\n@bad.pxa\n\n@b.pxa\n@a.pxa\n", "0 000 *.*|a b (end)",
         "10\n0\n0\n0\n0\n2\n*.*\n@a.pxa\n@b.pxa\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file ? row.file : "(no file)");
        DeleteFileA("PELORIX.ini");
        if (row.file) Write("PELORIX.ini", Expand(row.file));
        for (int run = 0; run < 2; run++) {
            SCOPED_TRACE(run ? "read back" : "first start");
            Open();
            std::string shown = std::to_string(languageNumber) + " ";
            for (int slot : {RepeatSlot, AdvanceSlot, ClearFirstSlot})
                shown += std::to_string(SendMessageA(ControlHandle(slot), BM_GETCHECK, 0, 0));
            EXPECT_EQ(shown + " " + lastFolder + "|" + Rows(), Expand(row.shown));
            EXPECT_EQ(SendMessageA(ControlHandle(PlaylistSlot), LB_GETCURSEL, 0, 0), 0);   // on the first row
            EXPECT_EQ(playbackState.selectedIndex, 0);
            EXPECT_TRUE(Close());
            EXPECT_EQ(Read("PELORIX.ini"), Expand(row.written, "\r\n"));
        }
    }
    auto path = [&](size_t length) {   // blanks and Greek and Japanese letters, kept in UTF-8
        std::string name;
        while (folder.size() + name.size() + 7 + 4 <= length) name += "r\xCE\xB1 \xE6\x9D\xB1";
        return folder + name + std::string(length - folder.size() - name.size() - 4, 'y') + ".pxa";
    };
    Open();
    const std::string entries[] = {path(299), path(298), folder + "a.pxa", path(300) + "yyyy"};
    for (int i = 0; i < 4; i++)
        SendMessageA(ControlHandle(PlaylistSlot), LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(entries[i].c_str()));
    playbackState.playlistCount = 4;
    EXPECT_TRUE(Close());
    EXPECT_EQ(Read("PELORIX.ini"), Expand("10\n0\n0\n0\n0\n2\n*.*\n" + entries[1] + "\n@a.pxa\n", "\r\n"));
}

// A write that fails keeps the old file whole, leaves no temporary file but one the test made, and quits.
TEST_F(Settings, FailedWriteKeepsTheOldFile)
{
    const std::string old = Expand("10\n0\n1\n0\n0\n1\n@\n@a.pxa\n");
    enum { TemporaryFolder, SettingsFolder, Locked };
    for (int kind : {TemporaryFolder, SettingsFolder, Locked}) {
        SCOPED_TRACE(kind);
        for (const char* name : {"PELORIX.ini", "PELORIX.ini.new"}) RemoveDirectoryA(name), DeleteFileA(name);
        if (kind == TemporaryFolder) CreateDirectoryA("PELORIX.ini.new", nullptr);
        if (kind == SettingsFolder) CreateDirectoryA("PELORIX.ini", nullptr);
        else Write("PELORIX.ini", old);
        Open();
        HANDLE lock = kind == Locked ? CreateFileA("PELORIX.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                     : nullptr;   // not shared for deleting, so it can't be replaced
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        clearBeforeAddOption = 1;
        EXPECT_TRUE(Close());
        if (lock) CloseHandle(lock);
        if (kind == SettingsFolder) EXPECT_EQ(GetFileAttributesA("PELORIX.ini"), FILE_ATTRIBUTE_DIRECTORY);
        else EXPECT_EQ(Read("PELORIX.ini"), old);
        EXPECT_EQ(GetFileAttributesA("PELORIX.ini.new") != INVALID_FILE_ATTRIBUTES, kind == TemporaryFolder);
    }
}

// Beside the executable while its folder can be written, else in %APPDATA%\PELORIX (the test's folder here), read
// from there once written and until then from beside. Wine lets root write anywhere, so a folder named as the
// write probe stands for the folder that can't be written.
TEST_F(Settings, ReadOnlyFolderUsesTheUsersOwn)
{
    // beside, user: the last folder each file holds (nullptr: none); shown at start; user: the one written
    struct Row { bool readOnly; const char* beside; const char* user; const char* shown; bool userWritten; };
    const Row rows[] = {{false, "b", "u", "b", false}, {false, nullptr, "u", "*.*", false},
                        {true, "b", nullptr, "b", true}, {true, "b", "u", "u", true}, {true, nullptr, nullptr, "*.*", true}};
    auto file = [](const char* last) { return last ? "10\r\n0\r\n0\r\n0\r\n0\r\n0\r\n" + std::string(last) + "\r\n" : ""; };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.readOnly) + file(row.beside) + "|" + file(row.user));
        DeleteFileA("PELORIX.ini"), DeleteFileA("PELORIX\\PELORIX.ini"), RemoveDirectoryA("PELORIX");
        RemoveDirectoryA("PELORIX.ini.try");
        if (row.readOnly) CreateDirectoryA("PELORIX.ini.try", nullptr);
        if (row.beside) Write("PELORIX.ini", file(row.beside));
        if (row.user) CreateDirectoryA("PELORIX", nullptr), Write("PELORIX\\PELORIX.ini", file(row.user));
        Open();
        EXPECT_EQ(lastFolder, std::string(row.shown));
        strcpy(lastFolder, "exit");
        EXPECT_TRUE(Close());
        EXPECT_EQ(Read("PELORIX.ini"), file(row.userWritten ? row.beside : "exit"));
        EXPECT_EQ(Read("PELORIX\\PELORIX.ini"), file(row.userWritten ? "exit" : row.user));
        Open();
        EXPECT_EQ(lastFolder, std::string("exit"));   // read from where it was written
        EXPECT_TRUE(Close());
    }
}
