// Editing the Playlist through the real file dialog: the folder scan, where the entries go, Remove and
// Clear, also while playing; entries at the length limits.
#include "playertest.h"

using PlaylistEdit = Player;

// Counts what reaches the Playlist's list box: cursor moves, and rows put in while it redraws.
static WNDPROC listProc;
static int cursorMoves, shownInserts;
static bool unseen;   // WM_SETREDRAW FALSE in force
static LRESULT CALLBACK CountingProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    unseen = message == WM_SETREDRAW ? !wParam : unseen;
    cursorMoves += message == LB_SETCURSEL, shownInserts += message == LB_INSERTSTRING && !unseen;
    return CallWindowProcA(listProc, list, message, wParam, lParam);
}

// Adding a folder (with a separator), a file, a pattern, a list or nothing: stream files only, in the scan
// list's order, never from a subfolder, after or before Q of P, Q, R (each playing in turn), the selected
// and playing entries kept; Remove by where the selection stands against the playing entry; Clear, and
// a confirmed dialog with the clear option, stop playback even when nothing is admitted; a cancel changes nothing.
// Each moves the cursor once at most and redraws no row it puts in (Clear's end marker aside).
TEST_F(PlaylistEdit, AddRemoveAndClear)
{
    for (auto name : {"media", "media\\sub", "media\\.hid", "empty"}) CreateDirectoryA((folder + name).c_str(), nullptr);
    SetFileAttributesA((folder + "media\\.hid").c_str(), FILE_ATTRIBUTE_HIDDEN);   // listed, not admitted
    for (const char* name : {"P", "Q", "R", "media\\a", "media\\r", "media\\_x", "media\\sub\\d", "media\\.hid\\e"})
        MakeClip(name + std::string(".pxa"), 500, 1, 3000);   // a minute: playing while looked at, or waited for
    Write("media\\c.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24) + std::string(24, '\0'));
    Write("l.m3u", "#EXTM3U\r\nmedia\\r.pxa\r\nl.m3u\r\nmedia\\a.pxa\r\n");
    Start({});   // for the fixture's layout
    std::string sorted = Read("PELORIX.h"), unsorted = sorted;
    unsorted.replace(unsorted.find("0x40A00002"), 10, "0x40A00000");   // the scan list's style
    auto tail = [&] { std::string seen = Seen(); return seen.substr(seen.find('|') + 1); };   // after the position
    // playing, selected -1: no click; answer null: none asked, or a cancel; scanned: the scan list's names.
    struct Row { int command, entries, playing, selected; const char* answer; bool sorted, clear; int scanned;
                 const char* rows, *tail; };
    // media as Wine lists it (upper-case order, as NTFS does): .hid, a, c.wav, r, sub, _x.
    const Row table[] = {
        {AddAfterSlot, 3, 1, 1, "media\\r.pxa", true, false, 1, "P Q r R (end)", "Q.pxa|P-|1 1 1"},
        {AddAfterSlot, 3, 0, 1, "media\\*.PXA", false, false, 3, "P Q a r _x R (end)", "P.pxa|P-|0 1 1"},
        {AddAfterSlot, 3, 2, 1, "media\\", true, false, 5, "P Q _x a r R (end)", "R.pxa|P-|5 1 1"},
        {AddAfterSlot, 3, 1, 1, "l.m3u", true, false, 0, "P Q r a R (end)", "Q.pxa|P-|1 1 1"},   // its entries
        {AddBeforeSlot, 3, 1, 1, "media\\", false, false, 5, "P a r _x Q R (end)", "Q.pxa|P-|4 4 4"},
        {AddBeforeSlot, 3, 0, 1, "media\\_x.pxa", false, false, 1, "P _x Q R (end)", "P.pxa|P-|0 2 2"},
        {AddBeforeSlot, 3, 2, 1, "media\\r.pxa", true, false, 1, "P r Q R (end)", "R.pxa|P-|3 2 2"},
        {AddAfterSlot, 0, -1, -1, "media\\", false, false, 5, "a r _x (end)", "Ready|--|0 0 0"},
        {AddAfterSlot, 0, -1, -1, "media\\c.wav", true, false, 1, "(end)", "Ready|--|0 0 0"},
        {AddAfterSlot, 0, -1, -1, "media\\sub", true, false, 0, "(end)", "Ready|--|0 0 0"},
        {AddAfterSlot, 0, -1, -1, "nowhere\\", true, false, 0, "(end)", "Ready|--|0 0 0"},
        {AddBeforeSlot, 0, -1, -1, "media\\", true, false, 5, "_x a r (end)", "Ready|--|0 0 0"},
        {RemoveSlot, 3, -1, 2, nullptr, true, false, 0, "P Q (end)", "Ready|--|1 1 1"},   // the last: the new last
        {RemoveSlot, 1, -1, 0, nullptr, true, false, 0, "(end)", "Ready|--|0 0 0"},       // the only one
        {RemoveSlot, 0, -1, -1, nullptr, true, false, 0, "(end)", "Ready|--|0 0 0"},      // none: nothing
        {RemoveSlot, 3, 1, 1, nullptr, true, false, 0, "P R (end)", "Ready|--|1 1 1"},    // the playing one: stops
        {RemoveSlot, 3, 2, 2, nullptr, true, false, 0, "P Q (end)", "Ready|--|1 1 1"},    // the playing last
        {RemoveSlot, 3, 2, 0, nullptr, true, false, 0, "Q R (end)", "R.pxa|P-|1 0 0"},    // one before the playing one
        {RemoveSlot, 3, 0, 2, nullptr, true, false, 0, "P Q (end)", "P.pxa|P-|0 1 1"},    // one after it
        {RemoveSlot, 1, 0, 0, nullptr, true, false, 0, "(end)", "Ready|--|0 0 0"},
        {ClearSlot, 3, 1, 1, nullptr, true, false, 0, "(end)", "Ready|--|0 0 -1"},
        {AddAfterSlot, 3, 1, 1, nullptr, true, true, 0, "P Q R (end)", "Q.pxa|P-|1 1 1"},   // cancelled
        {AddAfterSlot, 3, 1, 1, "empty\\", true, true, 0, "(end)", "Ready|--|0 0 -1"},
        {AddBeforeSlot, 3, 1, 1, "empty\\", true, true, 0, "(end)", "Ready|--|0 0 -1"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << "row " << &row - table);
        DestroyWindow(window);
        PumpUntil([] { return true; });   // the quit message it posts would end the next dialog at once
        SetCurrentDirectoryA(folder.c_str());   // where the dialog may have moved it from
        std::vector<std::string> entries = {folder + "P.pxa", folder + "Q.pxa", folder + "R.pxa"};
        entries.resize(row.entries);
        Start(entries, 0, 0, "5", row.sorted ? sorted : unsorted);
        if (row.playing >= 0) Click(row.playing, true);
        EXPECT_TRUE(PumpUntil([&] { return playbackState.playing == (row.playing >= 0); }));  // till then clicks move it
        if (row.selected >= 0) Click(row.selected);
        if (row.clear) SendMessageA(ControlHandle(ClearFirstSlot), BM_CLICK, 0, 0);   // checks it
        std::string answer = row.answer ? folder + row.answer : "*.*", shown = row.tail;
        listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(ControlHandle(PlaylistSlot), GWLP_WNDPROC,
                                                               reinterpret_cast<LONG_PTR>(CountingProc)));
        cursorMoves = shownInserts = 0, unseen = false;
        Answering([&] { Command(row.command); }, row.answer ? answer.c_str() : nullptr);
        EXPECT_LE(cursorMoves, 1);
        EXPECT_LE(shownInserts, 1);
        std::string now = tail();
        EXPECT_EQ(now.substr(now.rfind('|')), shown.substr(shown.rfind('|')));   // the indices were set at once
        EXPECT_EQ(Rows(), row.rows);
        EXPECT_TRUE(PumpUntil([&] { return tail() == shown; })) << tail();
        EXPECT_EQ(SendMessageA(ControlHandle(ScanSlot), LB_GETCOUNT, 0, 0), row.scanned);
    }
}

// The dialog starts from the last answer, "*.*" at first. Found files, with spaces and letters of three
// scripts, in a folder typed in Greek and Japanese, are admitted up to 298 bytes, play and are written back
// (in UTF-8); the program's own files stay
// where they were found. (Answers long enough to be refused can't be given: past 263 characters
// Wine's dialog crashes, typed or joined to its folder.)
TEST_F(PlaylistEdit, DialogRecordAndLongAnswers)
{
    Start({MakeClip("P.pxa", 500, 1, 100).path});
    SendMessageA(ControlHandle(ClearFirstSlot), BM_CLICK, 0, 0);
    auto ask = [&](int command, const char* reply) { return Answering([&] { Command(command); }, reply); };
    EXPECT_EQ(ask(AddBeforeSlot, nullptr), "*.*");
    EXPECT_EQ(ask(AddAfterSlot, (folder + "P.pxa").c_str()), "*.*");
    EXPECT_EQ(ask(AddAfterSlot, nullptr), "P.pxa");   // a file answer: the dialog in its folder, its name

    std::string media = folder + "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 \xE6\x9D\xB1\xE4\xBA\xAC" + std::string(44, 'e') + "\\";
    CreateDirectoryA(media.c_str(), nullptr);
    std::vector<std::string> admitted;
    for (size_t length : {260, 296, 298, 299}) {
        std::string name = "caf\xC3\xA9 \xC2\xBA" + std::to_string(length) + " ";
        std::string path = media + name + std::string(length - media.size() - name.size() - 4, 'y') + ".pxa";
        MakeClip(path.substr(folder.size()), 500, 1, 100);
        if (length <= 298) admitted.push_back(path);
    }
    EXPECT_EQ(ask(AddAfterSlot, media.c_str()), "P.pxa");   // kept through the cancel
    Click(2, true);   // the entry of 298 characters
    EXPECT_TRUE(PumpUntil([&] { return TextOf(StatusSlot) == admitted[2]; })) << TextOf(StatusSlot);
    SetCurrentDirectoryA(media.c_str());   // as the dialog leaves it at times under Wine (no OFN_NOCHANGEDIR)
    Command(LanguageSlot);   // the layout still loads
    EXPECT_EQ(TextOf(PlaySlot), "B1");
    Command(ExitSlot);
    EXPECT_EQ(Read("PELORIX.ini"), "10\r\n0\r\n0\r\n0\r\n1\r\n3\r\n" + media + "\r\n" + admitted[0] + "\r\n" +
                                       admitted[1] + "\r\n" + admitted[2] + "\r\n");
    EXPECT_EQ(GetFileAttributesA((media + "PELORIX.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}
