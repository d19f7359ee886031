// Items from outside the dialog: handed over by a second start (WM_COPYDATA) and dropped (WM_DROPFILES).
#include "playertest.h"

#include <shlobj.h>

using PlaylistEdit = Player;

// Files, folders, patterns, .m3u and .m3u8 lists and bad items, handed over or dropped onto P, Q, R with
// Q selected: in after Q in order; a hand-over plays the first (restarting), a drop lets what plays go
// on; the clear option; a hand-over for another PELORIX.ini is refused. Lists skip comments, blank lines,
// other kinds, the missing, themselves and each other; entries resolve against the list's folder. Names in
// any script: an .m3u line is UTF-8 when it is valid UTF-8, else Windows-1252.
TEST_F(PlaylistEdit, ItemsHandedOverAndDropped)
{
    for (auto name : {"media", "media\\sub", "lists"}) CreateDirectoryA((folder + name).c_str(), nullptr);
    for (const char* name : {"P", "Q", "R", "media\\a", "media\\r", "media\\_x", "media\\sub\\d", "lists\\caf\xC3\xA9", "lists\\\xE4\xB8\xAD"})
        MakeClip(name + std::string(".pxa"), 500, 1, 3000);
    Write("media\\c.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0", 24) + std::string(24, '\0'));
    Write("lists\\l.m3u", "#EXTM3U\r\n#EXTINF:60,r\r\n..\\media\\r.pxa\r\n\r\n  caf\xE9.pxa \r\n\xE4\xB8\xAD.pxa\r\nl.m3u\r\nm.m3u8\r\n" + folder +
                          "media\\a.pxa\r\n..\\media\\c.wav\r\n..\\media\\sub\r\nnone.pxa\r\n# ..\\media\\_x.pxa\r\n");
    // UTF-8 after a BOM: the first line is an entry; a line with an invalid byte is skipped.
    Write("lists\\m.m3u8", "\xEF\xBB\xBF..\\media/_x.pxa\ncaf\xC3\xA9.pxa\ncaf\xE9.pxa\n\xE4\xB8\xAD.pxa\nL.M3U\n"
                           "m.m3u8\n..\\media\\sub\\..\\a.pxa");
    const std::string ini = CharUpperA(&std::string(folder)[0]) + std::string("pelorix.ini"), other = folder + "x.ini";
    // how: h hand-over, o for another PELORIX.ini, d drop; playing -1: none; items: "|" between, "@" the folder;
    // rows as Rows() spells them, in UTF-8.
    struct Row { char how; int playing; bool clear; const char* items; const char* rows, *tail; };
    const Row table[] = {
        {'h', -1, false, "@media\\a.pxa", "P Q a R (end)", "media\\a.pxa|P-|2 2 2"},
        {'h', 0, false, "@media|@media\\*.pxa|@none.pxa|@media\\c.wav|@lists\\|@media\\sub\\..\\",
         "P Q _x a r _x a r caf\xC3\xA9 \xE4\xB8\xAD _x a r R (end)", "media\\_x.pxa|P-|2 2 2"},
        {'h', 2, false, "@lists\\l.m3u|@lists\\M.M3U8", "P Q r caf\xC3\xA9 \xE4\xB8\xAD a _x caf\xC3\xA9 \xE4\xB8\xAD a R (end)",
         "media\\r.pxa|P-|2 2 2"},
        {'h', 1, true, "@media\\r.pxa", "r (end)", "media\\r.pxa|P-|0 0 0"},
        {'h', -1, true, "@none.pxa", "(end)", "Ready|--|0 0 -1"},
        {'o', -1, false, "@media\\a.pxa", "P Q R (end)", "Ready|--|1 1 1"},
        {'d', 0, false, "@media|@lists\\l.m3u|@none.pxa", "P Q _x a r r caf\xC3\xA9 \xE4\xB8\xAD a R (end)", "P.pxa|P-|0 1 1"},
        {'d', -1, false, "@lists\\m.m3u8", "P Q _x caf\xC3\xA9 \xE4\xB8\xAD a R (end)", "Ready|--|1 1 1"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << "row " << &row - table);
        if (window) DestroyWindow(window);
        PumpUntil([] { return true; });
        Start({folder + "P.pxa", folder + "Q.pxa", folder + "R.pxa"});
        if (row.playing >= 0) Click(row.playing, true);
        EXPECT_TRUE(PumpUntil([&] { return playbackState.playing == (row.playing >= 0); }));
        Click(1);
        if (row.clear) SendMessageA(ControlHandle(ClearFirstSlot), BM_CLICK, 0, 0);
        std::string items;
        for (const char* c = row.items; *c; c++) items += *c == '@' ? folder : std::string(1, *c == '|' ? '\0' : *c);
        items += '\0';
        if (row.how == 'd') {
            HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + items.size() + 1);
            DROPFILES* files = static_cast<DROPFILES*>(GlobalLock(drop));
            files->pFiles = sizeof(DROPFILES);
            memcpy(files + 1, items.data(), items.size());
            GlobalUnlock(drop);
            SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
            EXPECT_EQ(playbackState.restartRequest + playbackState.stopRequest, 0);   // not interrupted
        } else {
            std::string block = (row.how == 'h' ? ini : other) + '\0' + items;
            COPYDATASTRUCT data = {0x50584931, static_cast<DWORD>(block.size()), &block[0]};
            EXPECT_EQ(SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), row.how == 'h');
        }
        EXPECT_EQ(Rows(), row.rows);
        std::string seen;
        EXPECT_TRUE(PumpUntil([&] { return (seen = Seen()).substr(seen.find('|') + 1) == row.tail; })) << seen;
    }
}
