// Editing the Playlist on the fake layer: the file dialog's answers, the
// folder scan over real files, where the entries go, Remove and Clear, also
// while playing; entries at the length limits.
#include "playertest.h"

#include <algorithm>

#include <commdlg.h>

#include "ui/options.h"

namespace fs = std::filesystem;

class PlaylistEdit : public Player {
protected:
    void Answer(const std::string& answer) { FakeQueueOpenFileAnswer(answer.c_str()); }
    void CheckClearFirst()
    {
        SendMessageA(ControlHandle(ClearFirst), BM_SETCHECK, BST_CHECKED, 0);
        Command(ClearFirst);
    }
    // What the user sees after the position and file texts.
    std::string Tail()
    {
        std::string seen = Seen();
        return seen.substr(seen.find('|', seen.find('|') + 1) + 1);
    }
};

// Adding from the dialog's answer, a folder (with a separator), a file, a
// pattern or nothing: stream files only, in the scan list's order, never from
// a subfolder, after the selection or before it (P, Q, R with Q selected and
// each current in turn); the selected and the current entry stay the same.
TEST_F(PlaylistEdit, AddFromTheDialog)
{
    struct Row { int identifier, entries, current; const char* answer; bool sorted; const char* rows, *tail; };
    // media, in the folder's order: .hid, a, c.wav, notes.txt, r, sub, _x.
    const Row table[] = {
        {AddAfter, 3, 1, "media/r.pxa", true, "P Q r R (end)", "--|1 1 1|closed"},
        {AddAfter, 3, 0, "media/*.PXA", false, "P Q a r _x R (end)", "--|0 1 1|closed"},
        {AddAfter, 3, 2, "media/", true, "P Q _x a r R (end)", "--|5 1 1|closed"},
        {AddBefore, 3, 1, "media/", false, "P a r _x Q R (end)", "--|4 4 4|closed"},
        {AddBefore, 3, 0, "media/_x.pxa", false, "P _x Q R (end)", "--|0 2 2|closed"},
        {AddBefore, 3, 2, "media/r.pxa", true, "P r Q R (end)", "--|3 2 2|closed"},
        {AddAfter, 0, 0, "media/", false, "a r _x (end)", "--|0 0 0|closed"},
        {AddAfter, 0, 0, "media/c.wav", true, "(end)", "--|0 0 0|closed"},
        {AddAfter, 0, 0, "media/sub", true, "(end)", "--|0 0 0|closed"},
        {AddAfter, 0, 0, "nowhere/", true, "(end)", "--|0 0 0|closed"},
        {AddBefore, 0, 0, "media/", true, "_x a r (end)", "--|0 0 0|closed"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << row.identifier << " " << row.answer << " current " << row.current);
        Again();
        fs::create_directories(folder / "media/sub");
        fs::create_directories(folder / "media/.hid");
        for (const char* name : {"P.pxa", "Q.pxa", "R.pxa", "media/a.pxa", "media/r.pxa", "media/_x.pxa",
                                 "media/sub/d.pxa", "media/.hid/e.pxa"})
            MakeClip(name, 500, 1, 3);
        fs::permissions(folder / "media/r.pxa", fs::perms::owner_write, fs::perm_options::remove);
        Write("media/c.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24) + std::string(24, '\0'));
        Write("media/notes.txt", "RIFF....WAVEfmt ....");
        scanListStyle = row.sorted ? "0x40A00002" : "0x40A00000";
        std::vector<std::string> entries = {(folder / "P.pxa").string(), (folder / "Q.pxa").string(),
                                            (folder / "R.pxa").string()};
        entries.resize(row.entries);
        Start(entries);
        if (row.entries) {
            playbackState.currentIndex = row.current;   // as a click while playing leaves them
            playbackState.selectedIndex = 1;
        }
        Answer((folder / row.answer).string());
        Command(row.identifier);
        EXPECT_EQ(Rows(), row.rows);
        EXPECT_EQ(Tail(), row.tail);
        EXPECT_EQ(lastFolder, (folder / row.answer).string());   // the whole answer is kept
        EXPECT_EQ(FakeFindHandlesOpen(), 0);
    }
    Click(0, true);                                             // an added entry plays
    ASSERT_TRUE(Steady());
    EXPECT_EQ(TextOf(23), (folder / "media/_x.pxa").string());
}

// Remove by where the selection stands against the playing entry; Clear, and
// a confirmed dialog with the clear option, stop playback even when nothing
// is admitted; a cancelled dialog changes nothing at all.
TEST_F(PlaylistEdit, RemoveAndClear)
{
    struct Row { int entries, playing, selected, command; const char* answer, *rows, *tail; };   // playing -1: idle
    const Row table[] = {
        {3, -1, 2, Remove, nullptr, "P Q (end)", "--|1 1 1|closed"},   // the last entry: the new last is selected
        {1, -1, 0, Remove, nullptr, "(end)", "--|0 0 0|closed"},       // the only one: the end marker is highlighted
        {3, 1, 1, Remove, nullptr, "P R (end)", "--|1 1 1|closed"},    // the playing entry: stops, the next is current
        {3, 2, 2, Remove, nullptr, "P Q (end)", "--|1 1 1|closed"},    // the playing last entry: the new last
        {3, 2, 0, Remove, nullptr, "Q R (end)", "P-|1 0 0|running"},   // one before the playing entry
        {3, 0, 2, Remove, nullptr, "P Q (end)", "P-|0 1 1|running"},   // one after it
        {1, 0, 0, Remove, nullptr, "(end)", "--|0 0 0|closed"},
        {3, 1, 1, Clear, nullptr, "(end)", "--|0 0 -1|closed"},
        {3, 1, 1, AddAfter, nullptr, "P Q R (end)", "P-|1 1 1|running"},   // cancelled
        {3, 1, 1, AddAfter, "empty/", "(end)", "--|0 0 -1|closed"},
        {3, 1, 1, AddBefore, "empty/", "(end)", "--|0 0 -1|closed"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << row.command << " playing " << row.playing << " selected " << row.selected);
        Again();
        fs::create_directories(folder / "empty");
        std::vector<std::string> entries;
        for (const char* name : {"P", "Q", "R"}) entries.push_back(MakeClip(name + std::string(".pxa"), 500, 1, 30).path);
        entries.resize(row.entries);
        Start(entries);
        if (row.playing >= 0) {
            Click(row.playing);
            Command(Play);
            ASSERT_TRUE(Steady());
        }
        Click(row.selected);
        if (row.command != Remove) CheckClearFirst();
        if (row.answer) Answer((folder / row.answer).string());
        Command(row.command);
        std::string now = std::to_string(playbackState.currentIndex) + " " + std::to_string(playbackState.selectedIndex);
        EXPECT_EQ(Rows(), row.rows);
        EXPECT_TRUE(row.tail[0] == 'P' ? Steady() : Idle());
        EXPECT_EQ(Tail(), row.tail);
        EXPECT_EQ(Tail().substr(3, now.size()), now);   // the indices were set at once
        EXPECT_EQ(lastFolder, row.answer ? (folder / row.answer).string() : "*.*");
    }
    Command(Remove);   // an empty Playlist: nothing
    EXPECT_EQ(Rows() + std::to_string(playbackState.playlistCount), "(end)0");
}

// The dialog is asked as a 64-bit program must ask it; a folder answer needs
// room for "*.*" in its 300 bytes, and a longer one is refused whole; the
// folder the dialog moves to leaves the program's own files where they are.
TEST_F(PlaylistEdit, DialogRecordAndLongAnswers)
{
    Start({MakeClip("P.pxa", 500, 1, 3).path});
    CheckClearFirst();
    Command(AddBefore);   // nothing queued: a cancel
    FakeOpenFileCall call = FakeLastOpenFileCall();
    const OPENFILENAMEA& r = call.record;
    EXPECT_EQ(std::vector<uintptr_t>({r.lStructSize, reinterpret_cast<uintptr_t>(r.hwndOwner), r.nFilterIndex,
                                      r.nMaxFile, r.nMaxFileTitle, r.Flags}),
              std::vector<uintptr_t>({sizeof(OPENFILENAMEA), reinterpret_cast<uintptr_t>(window), 1, 300, 63,
                                      OFN_HIDEREADONLY | OFN_NOVALIDATE}));
    EXPECT_EQ(call.filter.substr(0, 5) + call.initialFile, std::string("*.*\0\0*.*", 8));

    std::string deep = (folder / std::string(300, 'd')).string().substr(0, 295);
    for (size_t length : {297, 299, 300, 1000}) {   // with the separator
        Answer(deep + std::string(length - 296, 'd') + "/");
        Command(AddAfter);
        EXPECT_EQ(Rows(), "P (end)");   // refused: not even cleared
    }
    Answer(deep + "/");
    Command(AddAfter);
    EXPECT_EQ(Rows(), "(end)");   // taken: cleared, nothing found
    EXPECT_EQ(lastFolder, deep + "/");
    fs::create_directories(folder / "media");
    MakeClip("media/m.pxa", 500, 1, 3);
    Answer((folder / "media/").string());
    Command(AddAfter);
    EXPECT_EQ(FakeLastOpenFileCall().initialFile, deep + "/");   // the last answer
    EXPECT_EQ(Rows(), "m (end)");
    EXPECT_EQ(fs::current_path(), folder / "media");   // the dialog moved there
    Command(Language);                                  // the layout still loads
    EXPECT_EQ(Rows(), "m (end)");
    Command(Exit);
    EXPECT_NE(Read("PELORIX.ini").find("m.pxa\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "media/PELORIX.ini"));
}

// Entries of every length about the limit of 298 characters, with spaces and
// Windows-1252 letters, from the settings file and from a folder scan: those
// that fit are admitted, play and are written back; the longer are refused,
// and the entry after each is still read whole.
TEST_F(PlaylistEdit, EntryLengths)
{
    const size_t lengths[] = {260, 296, 298, 299, 300, 1000};
    std::string base = (folder / std::string(150, 'd')).string() + "/";   // names stay below 255 bytes
    std::string dialogFolder = (folder / std::string(60, 'e')).string() + "/";
    ASSERT_LT(base.size(), 240u);
    fs::create_directories(base);
    fs::create_directories(dialogFolder);
    std::vector<std::string> entries, expected;
    std::string admitted;
    for (size_t length : lengths) {
        std::string name = "caf\xE9 \xBA" + std::to_string(length) + " ";
        std::string ini = base + name + std::string(length - base.size() - name.size() - 4, 'x') + ".pxa";
        std::string scanned = dialogFolder + name + std::string(length - dialogFolder.size() - name.size() - 4, 'y') + ".pxa";
        if (length <= 300) MakeClip(ini.substr(folder.string().size() + 1), 500, 1, 3);
        if (length < 300) MakeClip(scanned.substr(folder.string().size() + 1), 500, 1, 3);
        entries.push_back(ini);
        entries.push_back((folder / "P.pxa").string());
        if (length <= MaxEntryLength) admitted += fs::path(ini).stem().string() + " ";
        admitted += "P ";
        if (length <= MaxEntryLength) expected.push_back(scanned);
    }
    MakeClip("P.pxa", 500, 1, 3);
    Start(entries);
    EXPECT_EQ(Rows(), admitted + "(end)");
    Click(4, true);   // the entry of 298 characters plays
    ASSERT_TRUE(Steady());
    EXPECT_EQ(TextOf(23), entries[4]);
    CheckClearFirst();
    Answer(dialogFolder);
    Command(AddAfter);
    std::string scanned = Rows();
    EXPECT_EQ(playbackState.playlistCount, static_cast<int>(expected.size()));
    for (const std::string& path : expected) EXPECT_NE(scanned.find(fs::path(path).stem().string()), std::string::npos);
    Command(Exit);
    std::string settings = Read("PELORIX.ini");
    for (const std::string& path : expected) EXPECT_NE(settings.find(path + "\n"), std::string::npos);
    EXPECT_EQ(std::count(settings.begin(), settings.end(), '\n'), 7 + static_cast<long>(expected.size()));
}
