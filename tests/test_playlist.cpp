// Editing the Playlist on the fake layer: the file dialog's answers, the
// folder scan over real files, where the entries go, Remove and Clear, also
// while playing.
#include "playertest.h"

#include <fstream>

#include <commdlg.h>

#include "app/controls.h"
#include "ui/options.h"

namespace fs = std::filesystem;

enum { Play = 1, Exit = 3, Language = 0, AddAfter = 25, Remove = 26, Clear = 27, ClearFirst = 28, AddBefore = 29,
       Playlist = 35 };

// The Playlist's rows by file stem, the end marker as it reads: "P Q R (end)".
static std::string Rows()
{
    HWND list = ControlHandle(Playlist);
    std::string rows;
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); i++) {
        char text[400] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        rows += (i ? " " : "") + fs::path(text).stem().string();
    }
    return rows;
}

class PlaylistEdit : public Player {
protected:
    // P.pxa, Q.pxa and R.pxa in the folder, frames long each; their paths.
    std::vector<std::string> PQR(int frames)
    {
        std::vector<std::string> paths;
        for (const char* name : {"P", "Q", "R"}) paths.push_back(MakeClip(std::string(name) + ".pxa", 500, 1, frames).path);
        return paths;
    }
};

static void Click(int row) { FakeClickListItem(ControlHandle(Playlist), row, false); }

static void Answer(const fs::path& path, const char* tail = "")
{
    FakeQueueOpenFileAnswer((path.string() + tail).c_str());
}

static void CheckClearFirst(HWND window)
{
    SendMessageA(ControlHandle(ClearFirst), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(window, WM_COMMAND, ClearFirst, 0);
}

// P, Q, R with Q selected and each entry current in turn: after the selection
// or before it, the selected and the current entry stay the same entries.
TEST_F(PlaylistEdit, AddPlacesEntriesAroundTheSelection)
{
    struct Row {
        int identifier, entries, current;
        const char* rows;
        int selected, currentAfter;
    };
    const Row table[] = {
        {AddAfter, 3, 1, "P Q a b R (end)", 1, 1},  {AddAfter, 3, 0, "P Q a b R (end)", 1, 0},
        {AddAfter, 3, 2, "P Q a b R (end)", 1, 4},  {AddBefore, 3, 1, "P a b Q R (end)", 3, 3},
        {AddBefore, 3, 0, "P a b Q R (end)", 3, 0}, {AddBefore, 3, 2, "P a b Q R (end)", 3, 4},
        {AddBefore, 0, 0, "a b (end)", 0, 0},       {AddAfter, 0, 0, "a b (end)", 0, 0},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << row.identifier << " current " << row.current);
        if (&row != table) TearDown(), SetUp();
        fs::create_directories(folder / "media");
        MakeClip("media/a.pxa", 500, 1, 3, 1);
        MakeClip("media/b.pxa", 500, 1, 3, 2);
        std::vector<std::string> entries = PQR(3);
        entries.resize(row.entries);
        Start(entries);
        if (row.entries) {
            playbackState.currentIndex = row.current;   // as a click while playing leaves them
            playbackState.selectedIndex = 1;
        }
        Answer(folder / "media", "/");
        Command(row.identifier);
        EXPECT_EQ(Rows(), row.rows);
        EXPECT_EQ(playbackState.playlistCount, row.entries + 2);
        EXPECT_EQ(playbackState.selectedIndex, row.selected);
        EXPECT_EQ(Cursor(), row.selected);
        EXPECT_EQ(playbackState.currentIndex, row.currentAfter);
    }
}

// What a scan admits: stream files only, in the scan list's order, never
// from a subfolder; a folder, a file, a pattern or nothing as the answer.
TEST_F(PlaylistEdit, FolderScanAdmitsStreamFilesOnly)
{
    struct Row {
        const char* answer;   // under the folder
        bool sorted;
        const char* rows;
    };
    // Found in the folder's order: .hid, a, c.wav, notes.txt, r, sub, _x.
    const Row table[] = {
        {"media/", true, "_x a r (end)"},  {"media/", false, "a r _x (end)"}, {"media/*.PXA", false, "a r _x (end)"},
        {"media/r.pxa", true, "r (end)"},  {"media/c.wav", true, "(end)"},    {"media/sub", true, "(end)"},
        {"nowhere/", true, "(end)"},       {"media/_x.pxa", false, "_x (end)"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.answer);
        if (&row != table) TearDown(), SetUp();
        fs::create_directories(folder / "media/sub");
        fs::create_directories(folder / "media/.hid");
        for (const char* name : {"a.pxa", "r.pxa", "_x.pxa", "sub/d.pxa", ".hid/e.pxa"})
            MakeClip(std::string("media/") + name, 500, 1, 3);
        fs::permissions(folder / "media/r.pxa", fs::perms::owner_write, fs::perm_options::remove);
        Write("media/c.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24) + std::string(24, '\0'));
        Write("media/notes.txt", "RIFF....WAVEfmt ....");
        scanListStyle = row.sorted ? "0x40A00002" : "0x40A00000";
        Start({});
        Answer(folder / row.answer);
        Command(AddAfter);
        EXPECT_EQ(Rows(), row.rows);
        EXPECT_EQ(lastFolder, (folder / row.answer).string());   // the whole answer is kept
        EXPECT_EQ(FakeFindHandlesOpen(), 0);
    }
    // An added entry plays on a double-click.
    FakeClickListItem(ControlHandle(Playlist), 0, true);
    ASSERT_TRUE(Steady());
    EXPECT_EQ(TextOf(23), (folder / "media/_x.pxa").string());
}

// Remove by where the selection stands against the playing entry.
TEST_F(PlaylistEdit, RemoveKeepsTheCurrentEntry)
{
    struct Row {
        int entries, playing, selected;   // playing: row, or -1 when idle
        const char* rows;
        int selectedAfter, currentAfter;
        bool stops;
    };
    const Row table[] = {
        {3, -1, 2, "P Q (end)", 1, 1, false},   // the selected last entry: the new last is selected
        {1, -1, 0, "(end)", 0, 0, false},       // the only one: the end marker is highlighted
        {3, 1, 1, "P R (end)", 1, 1, true},     // the playing entry: the one after it is current
        {3, 2, 2, "P Q (end)", 1, 1, true},     // the playing last entry: the new last
        {3, 2, 0, "Q R (end)", 0, 1, false},    // one before the playing entry
        {3, 0, 2, "P Q (end)", 1, 0, false},    // one after it
        {1, 0, 0, "(end)", 0, 0, true},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << "playing " << row.playing << " selected " << row.selected);
        if (&row != table) TearDown(), SetUp();
        std::vector<std::string> entries = PQR(30);
        entries.resize(row.entries);
        Start(entries);
        if (row.playing >= 0) {
            Click(row.playing);
            Command(Play);
            ASSERT_TRUE(Steady());
        }
        Click(row.selected);
        Command(Remove);
        EXPECT_EQ(Rows(), row.rows);
        EXPECT_EQ(playbackState.playlistCount, row.entries - 1);
        EXPECT_EQ(playbackState.selectedIndex, row.selectedAfter);
        EXPECT_EQ(Cursor(), row.selectedAfter);
        EXPECT_EQ(playbackState.currentIndex, row.currentAfter);
        if (row.stops) {
            EXPECT_TRUE(Idle());
        } else if (row.playing >= 0) {
            EXPECT_TRUE(Steady());
        }
        EXPECT_EQ(playbackState.currentIndex, row.currentAfter);
    }
    Command(Remove);   // an empty Playlist: nothing
    Command(Remove);
    EXPECT_EQ(Rows(), "(end)");
    EXPECT_EQ(playbackState.playlistCount, 0);
}

// Clear, and a confirmed dialog with the clear option, stop playback even
// when nothing is admitted; a cancelled dialog changes nothing at all.
TEST_F(PlaylistEdit, ClearAndTheClearOption)
{
    for (int command : {Clear, AddAfter, AddBefore}) {
        SCOPED_TRACE(command);
        if (command != Clear) TearDown(), SetUp();
        std::vector<std::string> entries = PQR(30);
        fs::create_directories(folder / "empty");
        Start(entries);
        Click(1);
        Command(Play);
        ASSERT_TRUE(Steady());
        if (command != Clear) {
            CheckClearFirst(window);
            Command(command);   // cancelled
            EXPECT_EQ(Rows(), "P Q R (end)");
            EXPECT_EQ(lastFolder, std::string("*.*"));
            EXPECT_TRUE(Steady());
            Answer(folder / "empty", "/");
        }
        Command(command);
        EXPECT_EQ(Rows(), "(end)");
        EXPECT_EQ(Cursor(), -1);
        EXPECT_EQ(playbackState.playlistCount + playbackState.currentIndex + playbackState.selectedIndex, 0);
        EXPECT_TRUE(Idle());
    }
}

// The dialog is asked as a 64-bit program must ask it; answers that would not
// fit a path buffer or the settings file are refused whole, and the folder the
// dialog moves to leaves the program's own files where they are.
TEST_F(PlaylistEdit, DialogRecordAndLongPaths)
{
    fs::create_directories(folder / "media");
    size_t base = (folder / "media/").string().size();
    ASSERT_LT(base, 60u);
    std::string fits(MaxEntryLength - base - 4, 'f'), over(MaxEntryLength - base - 3, 'o');
    MakeClip("media/" + fits + ".pxa", 500, 1, 3);
    MakeClip("media/" + over + ".pxa", 500, 1, 3);
    Start({MakeClip("P.pxa", 500, 1, 3).path});
    CheckClearFirst(window);

    Command(AddBefore);   // nothing queued: a cancel
    FakeOpenFileCall call = FakeLastOpenFileCall();
    EXPECT_EQ(call.record.lStructSize, sizeof(OPENFILENAMEA));
    EXPECT_EQ(call.record.hwndOwner, window);
    EXPECT_EQ(call.filter.substr(0, 5), std::string("*.*\0\0", 5));
    EXPECT_EQ(call.record.nFilterIndex, 1u);
    EXPECT_EQ(call.record.nMaxFile, 300u);
    EXPECT_EQ(call.record.nMaxFileTitle, 63u);
    EXPECT_EQ(call.record.Flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_NOVALIDATE));
    EXPECT_EQ(call.initialFile, "*.*");

    // A folder answer needs room for "*.*" in 300 bytes: 296 characters.
    std::string deep = (folder / std::string(300, 'd')).string().substr(0, 296);
    for (size_t length : {297, 299}) {
        FakeQueueOpenFileAnswer((deep + std::string(length - 297, 'd') + "/").c_str());
        Command(AddAfter);
        EXPECT_EQ(Rows(), "P (end)");   // refused: not even cleared
    }
    FakeQueueOpenFileAnswer((deep.substr(0, 295) + "/").c_str());
    Command(AddAfter);
    EXPECT_EQ(Rows(), "(end)");   // taken: cleared, nothing found
    EXPECT_EQ(lastFolder, deep.substr(0, 295) + "/");

    // Entries as long as the settings file keeps are admitted; longer are not.
    Answer(folder / "media", "/");
    Command(AddAfter);
    EXPECT_EQ(FakeLastOpenFileCall().initialFile, deep.substr(0, 295) + "/");   // the last answer
    EXPECT_EQ(Rows(), fits + " (end)");
    EXPECT_EQ(fs::current_path(), folder / "media");   // the dialog moved there
    Command(Language);                                  // the layout still loads
    EXPECT_EQ(Rows(), fits + " (end)");
    Command(Exit);
    EXPECT_NE(Read("PELORIX.ini").find(fits + ".pxa\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "media/PELORIX.ini"));
}
