// Playing on the real device (about 4 times real time under Wine's capture, so the clips are long enough for
// a state to hold while it is looked at): a session's requests, what ends it, seeks heard in the audio,
// entries that cannot play; then the position functions driven directly, as a fill would call them.
#include "playertest.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "codec/framedecoder.h"
#include "playback/playbackthread.h"
#include "playback/position.h"
#include "ui/playlistview.h"

class PlayerPlaying : public Player {};   // its own name, for choosing these tests

// Every request in every state of a session, and what the user sees. 8 s clips, at rates whose audio Wine's
// capture keeps across a pause (at 1000 Hz it loses some); 25-frame buffers keep the fast device from running dry.
TEST_F(Player, SessionStatesAndRequests)
{
    Clip a = MakeClip("a.wav", 8000, 2, 400), b = MakeClip("b.wav", 22050, 1, 400, 2);
    Start({a.path, b.path}, 0, 0, "25");
    const std::string a0 = "Pos   0: 0: #  //  0: 0: 7|a.wav|", b0 = "Pos   0: 0: #  //  0: 0: 7|b.wav|";
    // Play, pause, Next, preVious, Stop, Back 3 s (not taken), click or double-click row n (cn, dn); then
    // wait till playing, Moves, is quiet (after a second: a buffer ending just as it paused may come back),
    // idle, Held; then what it shows.
    const std::pair<const char*, std::string> steps[] = {
        {"pVi", "Ready|Ready|--|1 1 1"},   // idle: Pause does nothing, Previous wraps round and starts nothing
        {"NPw", a0 + "P-|0 0 0"}, {"Pm", a0 + "P-|0 0 0"},   // Wine 8 loses audio paused within 2 ms of the start
        {"p", a0 + "PP|0 0 0"}, {"qB", a0 + "PP|0 0 0"}, {"pm", a0 + "P-|0 0 0"}, {"pPm", a0 + "P-|0 0 0"},
        {"c1", a0 + "P-|0 1 1"}, {"pN", b0 + "P-|1 1 1"},   // a click only selects; Next ends the pause
        {"d2", b0 + "P-|1 1 1"}, {"d0", a0 + "P-|0 0 0"},   // the end marker is never selected
        {"c1pS", "Ready|Ready|--|1 1 1"},                   // stopped while paused: the selection is current
        {"d0w", a0 + "P-|0 0 0"},                           // a double-click while idle plays
        {"hNS", "Ready|Ready|--|1 1 1"}, {"Pm", b0 + "P-|1 1 1"},   // a stop raised with a restart wins
    };
    const char* const keys = "PpNVSB";
    const int slots[] = {PlaySlot, PauseSlot, NextSlot, PreviousSlot, StopSlot, Back3sSlot};
    for (const auto& [actions, view] : steps) {
        SCOPED_TRACE(actions);
        for (const char* c = actions; *c; c++) {
            const char* key = strchr(keys, *c);
            if (key) Command(slots[key - keys]);
            if (*c == 'c' || *c == 'd') Click(c[1] - '0', *c == 'd'), c++;
            if (*c == 'w') { ASSERT_TRUE(Playing()); }
            if (*c == 'm') { EXPECT_TRUE(Moves()); }
            if (*c == 'q') { PumpUntil([] { return false; }, 1); EXPECT_FALSE(Moves(1)); }
            if (*c == 'B') { EXPECT_EQ(playbackState.pendingSeek, 0); }
            if (*c == 'i') { EXPECT_EQ(playbackState.threadActive, 0); }
            if (*c == 'h') { ASSERT_TRUE(Hold([] { return true; })); }
        }
        EXPECT_TRUE(Shows(view));
    }
    EXPECT_EQ(GetThreadPriority(playbackState.threadHandle), THREAD_PRIORITY_HIGHEST);
    Command(PauseSlot);   // exit while paused: the thread ends, then the program quits
    Command(ExitSlot);
    MSG quit;
    EXPECT_TRUE(playbackState.threadActive == 0 && PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    // One capture per opening: a, b on Next, a on the double-click, a again after the stop, b on Play.
    std::vector<std::string> captures = Captures();
    ASSERT_EQ(captures.size(), 5u);
    for (int i = 0; i < 5; i++) EXPECT_GE(PlayedBuffers(captures[i], "abaab"[i] == 'a' ? a : b, 25), 0) << i;
    EXPECT_GE(PlayedBuffers(captures[0], a, 25), 2);   // its position moved on three times
}

// The thread ended, and with it the messages it sends to the controls as a session ends.
static bool Ended()
{
    HANDLE thread = playbackState.threadHandle;
    return !playbackState.threadActive && (!thread || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0);
}

// The end of a track by the two options, and a one-entry Playlist; an entry
// clicked while the first track plays becomes current when playing ends.
TEST_F(PlayerPlaying, EndOfTrackRules)
{
    // order: the tracks of the openings, one letter per entry; with repeat on, playing never ends and
    // is stopped in the last of them, or with one opening as its track runs out. last: currentIndex,
    // selectedIndex and cursor then.
    struct Row { int advance, repeat, entries, start; const char* order; int last; };
    const Row rows[] = {
        {1, 0, 3, 0, "ABC", 2}, {1, 0, 3, 1, "BC", 2}, {1, 1, 3, 1, "BCAB", 1},
        {0, 1, 3, 1, "BBB", 1}, {0, 0, 3, 1, "B", 0}, {1, 1, 1, 0, "AAA", 0}, {0, 1, 3, 2, "C", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.order);
        Again();
        // 25-frame buffers keep the fast device from running dry; no clip is whole buffers.
        std::vector<Clip> clips = {MakeClip("a.wav", 8000, 1, 60, 1), MakeClip("b.wav", 16000, 2, 110, 2),
                                   MakeClip("c.wav", 8000, 1, 30, 3)};
        const int buffers[] = {3, 5, 2};   // in each clip, the last filled up with silence
        std::vector<std::string> paths;
        for (int i = 0; i < row.entries; i++) paths.push_back(clips[i].path);
        Start(paths, row.repeat, row.advance, "25");
        Click(row.start, true);
        ASSERT_TRUE(Playing());
        Click(row.last);
        size_t openings = strlen(row.order);
        if (row.repeat) {
            if (openings == 1) ASSERT_TRUE(Hold([] { return playbackState.exhaustedCount > 1; }));
            else ASSERT_TRUE(PumpUntil([&] { return Captures().size() >= openings; }, 30));
            Command(StopSlot);
        }
        ASSERT_TRUE(PumpUntil(Ended, 60));
        std::string last = std::to_string(row.last);
        EXPECT_EQ(Seen(), "Ready|Ready|--|" + last + " " + last + " " + last);
        std::vector<std::string> captures = Captures();
        ASSERT_EQ(captures.size(), openings);
        for (size_t i = 0; i < openings; i++) {
            int clip = row.order[i] - 'A', played = PlayedBuffers(captures[i], clips[clip], 25);
            bool stopped = row.repeat && openings > 1 && i + 1 == openings;
            EXPECT_TRUE(stopped ? played >= 0 : played == buffers[clip]) << "opening " << i;
        }
    }
}

// How far right a row's ink reaches, drawn as the list box has it drawn, unselected, into a bitmap.
static int Reach(HWND window, int row)
{
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 2000, 20);
    HGDIOBJ before = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT draw = {ODT_LISTBOX, PlaylistSlot, static_cast<UINT>(row), ODA_DRAWENTIRE, 0,
                           ControlHandle(PlaylistSlot), dc, {0, 0, 2000, 20}, 0};
    SendMessageA(window, WM_DRAWITEM, PlaylistSlot, reinterpret_cast<LPARAM>(&draw));
    int reach = 0;
    for (int x = 0; x < 2000; x++)
        for (int y = 0; y < 20; y++) reach = GetPixel(dc, x, y) != GetSysColor(COLOR_WINDOW) ? x + 1 : reach;
    SelectObject(dc, before), DeleteObject(bitmap), DeleteDC(dc), ReleaseDC(nullptr, screen);
    return reach;
}

// What plays, at a glance: the caption names it and its row is marked, drawn bold, through Advance, Next, a
// Remove before it, Stop and the end of a track; each row shows the file name before its folder while the list
// box keeps the path, which PELORIX.ini gets; the sideways extent follows the widest row, a deep path's.
TEST_F(PlayerPlaying, WhatPlaysAtAGlance)
{
    const std::string deep = std::string(150, 'd') + "\\";
    CreateDirectoryA((folder + deep).c_str(), nullptr);
    Clip a = MakeClip("a.wav", 8000, 1, 30), b = MakeClip("b.wav", 8000, 1, 400, 2),
         c = MakeClip(deep + "c.wav", 8000, 1, 400);
    Start({a.path, b.path, c.path}, 0, 1, "25");
    HWND list = ControlHandle(PlaylistSlot);
    static char shown[ShownSize];
    auto glance = [&] {   // "caption|rows", each the text before the gap, the marked one after ">"
        std::string seen = (GetWindowTextA(window, shown, ShownSize), shown) + std::string("|");
        for (int row = 0; row < SendMessageA(list, LB_GETCOUNT, 0, 0); row++) {
            seen += ShownRow(row, shown, ShownSize) ? " >" : " ";
            seen += std::string(shown).substr(0, std::string(shown).find("   "));
        }
        return seen;
    };
    // click or double-click row n, Remove, Next, Stop, Advance toggled, ended; then the glance and row 1's reach
    const std::pair<const char*, const char*> steps[] = {
        {"", "PELORIX 2.2| a.wav b.wav c.wav (end)"},
        {"d0", "b.wav - PELORIX 2.2| a.wav >b.wav c.wav (end)"},   // a ran out: Advance
        {"N", "c.wav - PELORIX 2.2| a.wav b.wav >c.wav (end)"},
        {"c0R", "c.wav - PELORIX 2.2| b.wav >c.wav (end)"}, {"S", "PELORIX 2.2| b.wav c.wav (end)"},
        {"Ad0e", "PELORIX 2.2| b.wav c.wav (end)"},
    };
    std::vector<int> reach;
    for (const auto& [actions, view] : steps) {
        SCOPED_TRACE(actions);
        for (const char* act = actions; *act; act++) {
            if (*act == 'c' || *act == 'd') Click(act[1] - '0', *act == 'd'), act++;
            if (*act == 'R' || *act == 'N' || *act == 'S')
                Command(*act == 'R' ? RemoveSlot : *act == 'N' ? NextSlot : StopSlot);
            if (*act == 'A') SendMessageA(ControlHandle(AdvanceSlot), BM_CLICK, 0, 0);
            if (*act == 'e') { EXPECT_TRUE(PumpUntil(Ended, 30)); }
        }
        EXPECT_TRUE(PumpUntil([&] { return glance() == view; })) << glance();
        reach.push_back(Reach(window, 1));
    }
    EXPECT_TRUE(reach[1] > reach[0] && reach[0] > 0 && reach[0] == reach[2]) << reach[1] << " " << reach[0];
    EXPECT_EQ((ShownRow(1, shown, ShownSize), std::string(shown)), "c.wav   " + folder + deep);
    EXPECT_EQ(Rows(), "b c (end)");   // the paths, as LB_GETTEXT gives them
    RECT box;
    GetClientRect(list, &box);
    LRESULT wide = SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
    Click(1), Command(RemoveSlot);
    EXPECT_TRUE(wide > box.right && SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0) < wide - 500) << wide;
    Command(ExitSlot);
    EXPECT_NE(Read("PELORIX.ini").find(b.path + "\r\n"), std::string::npos);
}

// What the device plays follows the seeks at once, bit for bit: the old position's audio stops before the
// frame the decoder had reached (the queued audio is dropped) and the target plays from its first whole pair,
// the target being that frame plus the seek (0 for one before the start). Forward 5 min lies past the first
// clip's end from anywhere: dropped. In stereo of an odd number of values a frame (11025 and 16025 Hz), a
// buffer of 25 frames ends inside a pair, and a seek may land on a frame that begins inside one; a pause
// loses nothing. Each clip then plays to its end.
TEST_F(PlayerPlaying, PlayedAudioFollowsSeeks)
{
    const int P = PauseSlot;   // pause, and resume a moment later
    struct Row { int rate, channels, frames; std::vector<std::pair<int, int>> seeks; };
    const Row rows[] = {
        {8000, 1, 3610, {{Forward15sSlot, 750}, {Back3sSlot, -150}, {Forward3sSlot, 150}, {Back15sSlot, -750},
                         {Back5MinSlot, -15000}, {Forward5MinSlot, 0}, {Forward1MinSlot, 3000},
                         {Back1MinSlot, -3000}, {Forward1MinSlot, 3000}}},   // 72.2 s
        {11025, 2, 1100, {{Forward15sSlot, 750}, {Back15sSlot, -750}, {P, 0}, {Forward3sSlot, 150}, {Back3sSlot, -150}}},
        {16025, 2, 1100, {{Forward15sSlot, 750}, {P, 0}, {Back15sSlot, -750}, {Back3sSlot, -150}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rate);
        Again();
        Clip clip = MakeClip("clip.wav", row.rate, row.channels, row.frames);
        Start({clip.path}, 0, 0, "25");
        Command(PlaySlot);
        ASSERT_TRUE(Playing());
        std::vector<std::pair<int, int>> jumps;   // the decoder's frame when the seek was taken, the target
        for (const auto& [slot, frames] : row.seeks) {
            Command(slot);
            if (slot == P) PumpUntil([] { return false; }, 1), Command(slot);
            if (!frames) { EXPECT_EQ(playbackState.pendingSeek, 0) << slot; continue; }
            // Held where the fill has carried the seek out, then until a buffer of the target came back.
            ASSERT_TRUE(Hold([] { return playbackState.pendingSeek == 0; })) << slot;
            int target = playbackState.frameCounter;
            jumps.push_back({target == 0 ? -1 : target - frames, target});
            ASSERT_TRUE(PumpUntil([&] { return playbackState.frameCounter >= target + 75 || !playbackState.playing; }));
        }
        ASSERT_TRUE(PumpUntil(Ended, 60));
        std::vector<std::string> captures = Captures();
        ASSERT_EQ(captures.size(), 1u);
        const std::string &capture = captures[0], pcm = FramesOf(clip, 0, clip.frames + 50);
        size_t pair = 2 * row.channels, frameBytes = FramesOf(clip, 0, 1).size();
        auto firstPair = [&](int frame) { size_t at = frame * frameBytes; return at + at % pair; };
        size_t at = 0, from = 0;   // in the capture, in the clip's audio
        for (size_t j = 0; j <= jumps.size(); j++) {
            size_t same = 0;
            while (at + same < capture.size() && from + same < pcm.size() && capture[at + same] == pcm[from + same]) same++;
            same -= same % pair;   // the target's first bytes may equal what the old position would have played
            EXPECT_GE(same, j ? 20 * frameBytes : pair) << "run " << j << " at byte " << at;   // the first seek comes at once
            at += same, from += same;
            if (j == jumps.size()) break;
            if (jumps[j].first >= 0) { EXPECT_LT(from, firstPair(jumps[j].first)) << "seek " << j << " heard late"; }
            // Wine's device, reset, may play up to a frame's time of silence in place of the target's first values.
            at = std::min(capture.find_first_not_of('\0', at), capture.size()) / pair * pair;
            size_t target = firstPair(jumps[j].second);
            from = pcm.find(capture.substr(at, 16 * pair), target);
            ASSERT_TRUE(from <= target + frameBytes && (from - target) % pair == 0) << "seek " << j << " at byte " << at;
        }
        EXPECT_GE(from, clip.frames * frameBytes - pair);   // the clip played to its end, then silence
        EXPECT_EQ(capture.find_first_not_of('\0', at), std::string::npos);
    }
}

// Entries that cannot be played, each reported, each leaving the player idle; files spoilt
// while they play, whose rest still plays out; damaged frames, which play as silence, the
// intact frames after them as they are; then, with advance on, bad.wav passes the start-up
// check and fails to open.
TEST_F(PlayerPlaying, FailuresToOpen)
{
    auto header = [](int channels, int rate, int coder) {   // 100 samples and no frames, 68 bytes
        std::string bytes = std::string("RIFF\0\0\0\0WAVEfmt \x1A\0\0\0\x3A\x8A", 22) + std::string(24, '\0') +
                            std::string("fact\4\0\0\0d\0\0\0data\0\0\0\0\0\0", 22);
        bytes[22] = static_cast<char>(channels), bytes[34] = 16, bytes[36] = 8, bytes[38] = static_cast<char>(coder);
        for (int i = 0; i < 4; i++) bytes[24 + i] = static_cast<char>(rate >> 8 * i);
        return bytes;
    };
    Start({}, 0, 0, "50");
    std::string badDevice = Read("PELORIX.h");
    badDevice.replace(badDevice.find("/*-1*/"), 6, "/*99*/");
    char error[MAXERRORLENGTH] = "";   // the device's, shown in a box modal on the playback thread
    waveOutGetErrorTextA(MMSYSERR_BADDEVICEID, error, sizeof error);
    // bytes empty: a playable clip, which the names truncated, unlinked and emptied spoil once playing.
    struct Row { const char* name; std::string bytes; const char* seen; };
    const char* const idle = "Cannot play|Ready|--|0 0 0", *next = "Cannot play|Ready|--|1 1 1";
    const Row rows[] = {
        {"missing.wav", "", idle}, {"channels.wav", header(3, 8000, 0), idle},
        {"coder23.wav", header(1, 8000, 23), "Cannot play|Unsupported|--|0 0 0"},
        {"rate49.wav", header(1, 49, 0), idle}, {"device.wav", "", idle},
        {"toolarge.wav", header(2, 100000, 0), idle},   // 400,000 bytes a buffer
        {"truncated.wav", "", next}, {"emptied.wav", "", next}, {"plays.wav", "", next},
        {"unlinked.wav", "", next},   // Windows refuses to delete a file open unshared: it plays on whole
        {"damaged.wav", "", next},   // frames 50 to 59
    };
    // Every byte after the FrameHeader of each coded frame 50 to 59 changed, so that its coding no longer uses the
    // bytes it records; what should then be heard.
    auto damage = [&](const Clip& clip) {
        std::string bytes = Read("damaged.wav"), heard;
        for (size_t at = 68, f = 0; f < 200; f++) {
            size_t length = static_cast<unsigned char>(bytes[at]) | (bytes[at + 1] & 0x0F) << 8;
            bool damaged = f >= 50 && f < 60 && length != 0xFFF && (bytes[at + 1] & 0xF0) != 0xF0;
            for (size_t i = at + 2; damaged && i < at + length; i++) bytes[i] = static_cast<char>(bytes[i] ^ (0x5A + i));
            heard += FramesOf(clip, damaged ? 200 : static_cast<int>(f), 1);   // past the end: silence
            at += length;
        }
        Write("damaged.wav", bytes);
        return heard;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Again();
        std::string path = folder + row.name, name = row.name;
        Clip clip = row.bytes.empty() ? MakeClip(row.name, 8000, 2, 200) : Clip{};
        if (!row.bytes.empty()) Write(row.name, row.bytes);
        bool whole = name == "plays.wav" || name == "unlinked.wav";   // all 200 frames
        std::string heard = name == "damaged.wav" ? damage(clip) : whole ? FramesOf(clip, 0, 200) : "";
        Write("bad.wav", std::string("RIFF\0\0\0\0WAVEfmt \0\0\0\0\x3A\x8A", 22));
        Start({path, folder + "bad.wav"}, 0, 1, "50", name == "device.wav" ? badDevice : "");
        if (name == "missing.wav") DeleteFileA(path.c_str());
        bool plays = std::string(row.seen) == next;
        std::string box = Answering([&] {
            Command(PlaySlot);
            if (plays && row.bytes.empty()) {
                ASSERT_TRUE(Playing());
                std::error_code ignored;
                if (name == "unlinked.wav") std::filesystem::remove(path, ignored);
                if (name == "truncated.wav") std::filesystem::resize_file(path, std::filesystem::file_size(path) / 3);
                if (name == "emptied.wav") std::filesystem::resize_file(path, 0);
            }
            ASSERT_TRUE(PumpUntil(Ended, 60));
        });
        EXPECT_EQ(Seen(), row.seen);
        std::vector<std::string> captures = Captures();
        EXPECT_EQ(captures.size(), plays ? 1u : 0u);
        if (!heard.empty()) {
            ASSERT_EQ(captures.size(), 1u);
            EXPECT_TRUE(captures[0].compare(0, heard.size(), heard) == 0 &&
                        captures[0].find_first_not_of('\0', heard.size()) == std::string::npos);
        }
        EXPECT_EQ(box, name == "device.wav" ? std::string(error) + "|Error|PELORIX" : "");
    }
}

static void OpenStream(const std::string& path)
{
    if (playbackState.streamFile) fclose(playbackState.streamFile);
    playbackState.streamFile = fopen(path.c_str(), "rb");
    ASSERT_EQ(ReadStreamHeader(playbackState.streamFile, streamHeader), Ok);
    ResetPosition();
}

static void GoTo(int frame)   // as a seek would, from wherever the stream stands
{
    playbackState.pendingSeek = frame - playbackState.frameCounter;
    ApplyPendingSeek();
    ASSERT_EQ(playbackState.frameCounter, frame);
}

// Seeks in the indexed part (a jump) and beyond it (a walk, with the preview), in a stream
// whose header promises more frames than it holds (the walk stops at the escape frame), in
// one cut after a whole frame (silence follows), and past 12,500 seconds, where the full
// index stops growing and a seek beyond it, back or forth, walks from its last entry.
TEST_F(PlayerPlaying, Seeks)
{
    Start({});
    std::map<std::string, Clip> clips = {{"long", MakeClip("long.wav", 100, 1, 15000)},   // 5 min, 2 values a frame
                                         {"hours", MakeClip("hours.wav", 50, 1, 630000)}};  // 3 h 30 min, 1 value
    strcpy(playbackState.currentPath, clips["long"].path.c_str());
    OpenStream(clips["long"].path);
    GoTo(5000);
    std::string whole = Read("long.wav"), promised = whole;
    promised[54] = static_cast<char>(40000 & 0xFF), promised[55] = static_cast<char>(40000 >> 8);   // lastFrame 19999
    Write("promised.wav", promised);
    Write("cut.wav", whole.substr(0, static_cast<size_t>(playbackState.seekIndex[100])));
    clips["promised"] = clips["cut"] = clips["long"];
    RequestSeek(150);   // left by the stream before: dropped on opening
    OpenStream(clips["long"].path);
    EXPECT_EQ(playbackState.pendingSeek, 0);
    // played: up to there after opening, -1 going on as the last row left it;
    // frame: after the fill; preview: the status after the requests, null unchanged.
    struct Row { const char* stream; int played, from; std::vector<int> requests; int frame; const char* preview; };
    // The fourth request of the third row is dropped; the fourth row seeks from the last indexed second, the
    // fifth onto the last frame; the eighth into the second after the index.
    const Row rows[] = {
        {"long", 9000, 9000, {-750}, 8250, nullptr}, {"long", 9000, 9000, {3000}, 12000, "Seek to 0:4:0"},
        {"long", 14500, 14500, {150, 150, 150, 150}, 14950, "Seek to 0:4:59"},
        {"long", 9000, 6000, {3000, 3000}, 12000, "Seek to 0:4:0"}, {"long", 14849, 14849, {150}, 14999, "Seek to 0:4:59"},
        {"promised", 4000, 4000, {12000}, 14999, "Seek to 0:5:20"}, {"cut", 4000, 4000, {3000}, 5000, "Seek to 0:2:20"},
        {"hours", 9000, 9000, {60}, 9060, "Seek to 0:3:1"}, {"hours", 629000, 629000, {-750}, 628250, "Seek to 3:29:25"},
        {"hours", -1, -1, {-10000}, 618250, nullptr}, {"hours", -1, -1, {9000}, 627250, "Seek to 3:29:5"},   // in, out
        {"hours", -1, -1, {2749}, 629999, "Seek to 3:29:59"}, {"hours", -1, -1, {-1}, 629998, "Seek to 3:29:59"},
        {"hours", -1, -1, {-629999}, 0, nullptr}, {"hours", -1, -1, {629999}, 629999, "Seek to 3:29:59"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.stream << " " << row.from << " " << row.requests[0]);
        if (row.played >= 0) {
            OpenStream(folder + row.stream + ".wav");
            GoTo(row.played);
            GoTo(row.from);
        }
        SendMessageA(ControlHandle(StatusSlot), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("before"));
        for (int frames : row.requests) RequestSeek(frames);
        EXPECT_EQ(TextOf(StatusSlot), row.preview ? row.preview : "before");
        bool taken = playbackState.pendingSeek != 0;
        ApplyPendingSeek();
        EXPECT_EQ(playbackState.frameCounter, row.frame);
        EXPECT_EQ(TextOf(StatusSlot), taken ? playbackState.currentPath : "before");
        unsigned char values[4], *at = values;   // the frame the stream stands at, which stays there
        long offset = ftell(playbackState.streamFile);
        DecodeFrame(playbackState.streamFile, streamHeader, at);
        fseek(playbackState.streamFile, offset, SEEK_SET);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(values), static_cast<size_t>(at - values)),
                  row.stream == std::string("cut") ? std::string(4, '\0') : FramesOf(clips[row.stream], row.frame, 1));
    }
    EXPECT_EQ(playbackState.seekIndexTop, SeekIndexSize - 1);
    ShowPosition();
    EXPECT_EQ(TextOf(PositionSlot), "Pos   3:29:59  //  3:29:59");
    fclose(playbackState.streamFile), playbackState.streamFile = nullptr;
}
