// Editing the Playlist on the fake layer: the file dialog's answers, the
// folder scan over real files, where the entries go, Remove and Clear, also
// while playing; entries at the length limits.
#include "playertest.h"

#include <algorithm>

#include <commdlg.h>

#include "ui/options.h"

namespace fs = std::filesystem;

using PlaylistEdit = Player;

// Adding from the dialog's answer, a folder (with a separator), a file, a
// pattern or nothing: stream files only, in the scan list's order, never from
// a subfolder, after the selection or before it (P, Q, R with Q selected and
// each playing in turn); the selected and the playing entry stay the same.
// Remove by where the selection stands against the playing entry; Clear, and
// a confirmed dialog with the clear option, stop playback even when nothing
// is admitted; a cancelled dialog changes nothing at all.
TEST_F(PlaylistEdit, AddRemoveAndClear)
{
    // playing, selected -1: no click; answer null: a cancel; sorted: the scan list's style; clear: the option.
    struct Row { int command, entries, playing, selected; const char* answer; bool sorted, clear; const char* rows, *tail; };
    // media, in the folder's order: .hid, a, c.wav, notes.txt, r, sub, _x.
    const Row table[] = {
        {AddAfter, 3, 1, 1, "media/r.pxa", true, false, "P Q r R (end)", "P-|1 1 1|running"},
        {AddAfter, 3, 0, 1, "media/*.PXA", false, false, "P Q a r _x R (end)", "P-|0 1 1|running"},
        {AddAfter, 3, 2, 1, "media/", true, false, "P Q _x a r R (end)", "P-|5 1 1|running"},
        {AddBefore, 3, 1, 1, "media/", false, false, "P a r _x Q R (end)", "P-|4 4 4|running"},
        {AddBefore, 3, 0, 1, "media/_x.pxa", false, false, "P _x Q R (end)", "P-|0 2 2|running"},
        {AddBefore, 3, 2, 1, "media/r.pxa", true, false, "P r Q R (end)", "P-|3 2 2|running"},
        {AddAfter, 0, -1, -1, "media/", false, false, "a r _x (end)", "--|0 0 0|closed"},
        {AddAfter, 0, -1, -1, "media/c.wav", true, false, "(end)", "--|0 0 0|closed"},
        {AddAfter, 0, -1, -1, "media/sub", true, false, "(end)", "--|0 0 0|closed"},
        {AddAfter, 0, -1, -1, "nowhere/", true, false, "(end)", "--|0 0 0|closed"},
        {AddBefore, 0, -1, -1, "media/", true, false, "_x a r (end)", "--|0 0 0|closed"},
        {Remove, 3, -1, 2, nullptr, true, false, "P Q (end)", "--|1 1 1|closed"},   // the last entry: the new last is selected
        {Remove, 1, -1, 0, nullptr, true, false, "(end)", "--|0 0 0|closed"},       // the only one: the end marker is highlighted
        {Remove, 3, 1, 1, nullptr, true, false, "P R (end)", "--|1 1 1|closed"},    // the playing entry: stops, the next is current
        {Remove, 3, 2, 2, nullptr, true, false, "P Q (end)", "--|1 1 1|closed"},    // the playing last entry: the new last
        {Remove, 3, 2, 0, nullptr, true, false, "Q R (end)", "P-|1 0 0|running"},   // one before the playing entry
        {Remove, 3, 0, 2, nullptr, true, false, "P Q (end)", "P-|0 1 1|running"},   // one after it
        {Remove, 1, 0, 0, nullptr, true, false, "(end)", "--|0 0 0|closed"},
        {Clear, 3, 1, 1, nullptr, true, false, "(end)", "--|0 0 -1|closed"},
        {AddAfter, 3, 1, 1, nullptr, true, true, "P Q R (end)", "P-|1 1 1|running"},   // cancelled
        {AddAfter, 3, 1, 1, "empty/", true, true, "(end)", "--|0 0 -1|closed"},
        {AddBefore, 3, 1, 1, "empty/", true, true, "(end)", "--|0 0 -1|closed"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << "row " << &row - table);
        Again();
        for (const char* name : {"media/sub", "media/.hid", "empty"}) fs::create_directories(folder / name);
        for (const char* name : {"P.pxa", "Q.pxa", "R.pxa", "media/a.pxa", "media/r.pxa", "media/_x.pxa",
                                 "media/sub/d.pxa", "media/.hid/e.pxa"})
            MakeClip(name, 500, 1, 30);
        fs::permissions(folder / "media/r.pxa", fs::perms::owner_write, fs::perm_options::remove);
        Write("media/c.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24) + std::string(24, '\0'));
        Write("media/notes.txt", "RIFF....WAVEfmt ....");
        scanListStyle = row.sorted ? "0x40A00002" : "0x40A00000";
        std::vector<std::string> entries = {(folder / "P.pxa").string(), (folder / "Q.pxa").string(),
                                            (folder / "R.pxa").string()};
        entries.resize(row.entries);
        Start(entries);
        if (row.playing >= 0) {
            Click(row.playing);
            Command(Play);
            ASSERT_TRUE(Steady());
        }
        if (row.selected >= 0) Click(row.selected);
        if (row.clear) SendMessageA(ControlHandle(ClearFirst), BM_CLICK, 0, 0);   // checks it
        if (row.answer) FakeQueueOpenFileAnswer((folder / row.answer).string().c_str());
        Command(row.command);
        std::string now = std::to_string(playbackState.currentIndex) + " " + std::to_string(playbackState.selectedIndex);
        EXPECT_EQ(Rows(), row.rows);
        EXPECT_TRUE(row.tail[0] == 'P' ? Steady() : Idle());
        std::string seen = Seen(), tail = seen.substr(seen.find('|', seen.find('|') + 1) + 1);   // after the texts
        EXPECT_EQ(tail, row.tail);
        EXPECT_EQ(tail.substr(3, now.size()), now);   // the indices were set at once
        EXPECT_EQ(lastFolder, row.answer ? (folder / row.answer).string() : "*.*");   // the whole answer is kept
        EXPECT_EQ(FakeFindHandlesOpen(), 0);
    }
    Command(Remove);   // an empty Playlist: nothing
    EXPECT_EQ(Rows() + std::to_string(playbackState.playlistCount), "(end)0");
}

// The dialog is asked as a 64-bit program must ask it; a folder answer needs
// room for "*.*" in its 300 bytes, and a longer one is refused whole. Found
// files, with spaces and Windows-1252 letters, are admitted up to 298
// characters, play and are written back; the folder the dialog moves to
// leaves the program's own files where they are.
TEST_F(PlaylistEdit, DialogRecordAndLongAnswers)
{
    Start({MakeClip("P.pxa", 500, 1, 3).path});
    SendMessageA(ControlHandle(ClearFirst), BM_CLICK, 0, 0);
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
        FakeQueueOpenFileAnswer((deep + std::string(length - 296, 'd') + "/").c_str());
        Command(AddAfter);
        EXPECT_EQ(Rows(), "P (end)");   // refused: not even cleared
    }
    FakeQueueOpenFileAnswer((deep + "/").c_str());
    Command(AddAfter);
    EXPECT_EQ(Rows(), "(end)");   // taken: cleared, nothing found
    EXPECT_EQ(lastFolder, deep + "/");

    std::string media = (folder / std::string(60, 'e')).string() + "/";
    fs::create_directories(media);
    std::vector<std::string> admitted;
    for (size_t length : {260, 296, 298, 299}) {
        std::string name = "caf\xE9 \xBA" + std::to_string(length) + " ";
        std::string path = media + name + std::string(length - media.size() - name.size() - 4, 'y') + ".pxa";
        MakeClip(path.substr(folder.string().size() + 1), 500, 1, 3);
        if (length <= MaxEntryLength) admitted.push_back(path);
    }
    FakeQueueOpenFileAnswer(media.c_str());
    Command(AddAfter);
    EXPECT_EQ(FakeLastOpenFileCall().initialFile, deep + "/");   // the last answer
    EXPECT_EQ(playbackState.playlistCount, 3);
    Click(2, true);                                     // the entry of 298 characters
    ASSERT_TRUE(Steady());
    EXPECT_EQ(TextOf(23), admitted[2]);
    EXPECT_EQ(fs::current_path().string() + "/", media);   // the dialog moved there
    std::string rows = Rows();
    Command(Language);                                  // the layout still loads
    EXPECT_EQ(Rows(), rows);
    Command(Exit);
    std::string settings = Read("PELORIX.ini");
    for (const std::string& path : admitted) EXPECT_NE(settings.find(path + "\n"), std::string::npos);
    EXPECT_EQ(std::count(settings.begin(), settings.end(), '\n'), 10);
    EXPECT_FALSE(fs::exists(media + "PELORIX.ini"));
}
