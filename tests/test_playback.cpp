// The player playing on the fake layer: the whole program, window procedure
// and playback thread, with the device handing buffers back when a test says
// so. What the device played is compared with the clips' PCM.
#include "playertest.h"

#include <cstdio>

#include "app/controls.h"
#include "codec/framedecoder.h"
#include "playback/playbackthread.h"
#include "playback/position.h"
#include "testfiles.h"
#include "ui/options.h"

enum { Play = 1, Stop = 2, Exit = 3, Previous = 10, Back3s = 14, Pause = 15, Forward3s = 16, Next = 20,
       Playlist = 35 };

static std::string PlayedSince(size_t& mark)
{
    std::string played = FakeWaveOutPlayed();
    std::string since = played.substr(mark);
    mark = played.size();
    return since;
}

// Whole buffers of a clip from its first frame to its end, the last one
// filled up with silence, as a track plays through with 5 frames per buffer.
static std::string WholeTrack(const Clip& clip)
{
    return FramesOf(clip, 0, (clip.frames + 4) / 5 * 5);
}

// Every request in every state of a session, and what the user sees.
TEST_F(Player, SessionStatesAndRequests)
{
    Clip a = MakeClip("a.wav", 1000, 2, 60), b = MakeClip("b.wav", 500, 1, 60, 2);
    Start({a.path, b.path});
    EXPECT_EQ(TextOf(21), "Ready");
    Command(Pause);                                   // idle: nothing
    Command(Next);                                    // idle: moves, starts nothing
    EXPECT_EQ(playbackState.currentIndex, 1);
    EXPECT_EQ(Cursor(), 1);
    EXPECT_EQ(FakeThreadsRunning(), 0);
    Command(Previous);
    EXPECT_EQ(playbackState.currentIndex, 0);

    Command(Play);
    ASSERT_TRUE(Steady());
    EXPECT_TRUE(Pushed(1));
    EXPECT_EQ(TextOf(23), a.path);
    EXPECT_EQ(TextOf(21), "Pos   0: 0: 0  //  0: 0: 1");
    EXPECT_EQ(FakeWaveOutFormat().nSamplesPerSec, 1000u);
    EXPECT_EQ(FakeWaveOutFormat().nChannels, 2);
    EXPECT_EQ(FakeWaveOutFormat().nBlockAlign, 4);
    EXPECT_EQ(FakeWaveOutFormat().nAvgBytesPerSec, 4000u);
    Command(Play);                                    // playing: only shows Play pushed
    EXPECT_EQ(FakeWaveOutOpenCount(), 1);
    size_t mark = 0;
    Complete(2);
    EXPECT_EQ(PlayedSince(mark), FramesOf(a, 0, 10));

    Command(Pause);
    EXPECT_TRUE(FakeWaveOutPaused());
    EXPECT_TRUE(Pushed(15));
    EXPECT_FALSE(FakeCompleteBuffer());               // a paused device hands nothing back
    Command(Forward3s);                               // no seeking while paused
    EXPECT_EQ(playbackState.pendingSeek, 0);
    Command(Play);                                    // resumes
    EXPECT_FALSE(FakeWaveOutPaused());
    EXPECT_FALSE(Pushed(15));
    Complete();
    EXPECT_EQ(PlayedSince(mark), FramesOf(a, 10, 5));

    // A single click only selects; Next while paused restarts on the next entry.
    FakeClickListItem(ControlHandle(Playlist), 1, false);
    EXPECT_EQ(playbackState.selectedIndex, 1);
    EXPECT_EQ(playbackState.currentIndex, 0);
    Command(Pause);
    Command(Next);
    EXPECT_EQ(playbackState.currentIndex, 1);
    ASSERT_TRUE(PumpUntil([] { return FakeWaveOutOpenCount() == 2; }));
    ASSERT_TRUE(Steady());                            // the restart ended the pause
    EXPECT_FALSE(Pushed(15));
    EXPECT_EQ(TextOf(23), b.path);
    Complete();
    EXPECT_EQ(PlayedSince(mark), FramesOf(b, 0, 5));

    // The end marker is never selected; a double-click restarts at the entry.
    FakeClickListItem(ControlHandle(Playlist), 2, true);
    EXPECT_EQ(Cursor(), 1);
    EXPECT_EQ(playbackState.selectedIndex, 1);
    FakeClickListItem(ControlHandle(Playlist), 0, true);
    ASSERT_TRUE(PumpUntil([] { return FakeWaveOutOpenCount() == 3; }));
    ASSERT_TRUE(Steady());
    Complete();
    EXPECT_EQ(PlayedSince(mark), FramesOf(a, 0, 5));

    // Pause, then stop: idle, buttons released; the selection becomes current.
    FakeClickListItem(ControlHandle(Playlist), 1, false);
    Command(Pause);
    Command(Stop);
    ASSERT_TRUE(Idle());
    EXPECT_FALSE(FakeWaveOutOpen());
    EXPECT_FALSE(Pushed(1));
    EXPECT_FALSE(Pushed(15));
    EXPECT_EQ(TextOf(21), "Ready");
    EXPECT_EQ(TextOf(23), "Ready");
    EXPECT_EQ(playbackState.currentIndex, 1);
    EXPECT_EQ(playbackState.threadActive, 0);

    // A double-click while idle plays the entry.
    FakeClickListItem(ControlHandle(Playlist), 0, true);
    ASSERT_TRUE(Steady());
    EXPECT_EQ(TextOf(23), a.path);
    EXPECT_EQ(FakeThreadPriority(), THREAD_PRIORITY_HIGHEST);
}

// The end of a track by the two options, and a one-entry Playlist.
TEST_F(Player, EndOfTrackRules)
{
    struct Row {
        int advance, repeat, entries, start;
        const char* order;   // the tracks heard, one letter per entry
        bool ends;           // playing ends by itself after them
        int finalIndex;      // currentIndex and the cursor afterwards
    };
    const Row rows[] = {
        {1, 0, 3, 0, "ABC", true, 2},
        {1, 0, 3, 1, "BC", true, 2},
        {1, 1, 3, 1, "BCAB", false, 2},   // B's end already moved on to C
        {0, 1, 3, 1, "BBB", false, 1},
        {0, 0, 3, 1, "B", true, 1},
        {1, 1, 1, 0, "AAA", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "advance " << row.advance << " repeat " << row.repeat << " order "
                                        << row.order);
        SetUp();
        std::vector<Clip> clips = {MakeClip("a.wav", 500, 1, 7, 1), MakeClip("b.wav", 1000, 2, 12, 2),
                                   MakeClip("c.wav", 500, 1, 3, 3)};
        std::vector<std::string> paths;
        for (int i = 0; i < row.entries; i++) paths.push_back(clips[i].path);
        Start(paths, row.repeat, row.advance);
        FakeClickListItem(ControlHandle(Playlist), row.start, true);
        std::string heard;
        for (const char* track = row.order; *track; track++) heard += WholeTrack(clips[*track - 'A']);
        ASSERT_TRUE(Steady());
        while (FakeWaveOutPlayed().size() < heard.size()) Complete();
        EXPECT_TRUE(FakeWaveOutPlayed() == heard);
        if (!row.ends) Command(Stop);
        ASSERT_TRUE(Idle());
        EXPECT_EQ(playbackState.currentIndex, row.finalIndex);
        EXPECT_EQ(playbackState.selectedIndex, row.finalIndex);
        EXPECT_EQ(Cursor(), row.finalIndex);
        EXPECT_EQ(TextOf(21), "Ready");
        EXPECT_FALSE(Pushed(1));
        TearDown();
    }
}

// A stream of one frame is exhausted by the priming; a seek back after the
// first exhausted fill brings a track back with one buffer cycling.
TEST_F(Player, ExhaustedFillsAndSeekingBack)
{
    Clip one = MakeClip("one.wav", 500, 1, 1), clip = MakeClip("clip.wav", 500, 1, 160);
    Start({one.path, clip.path});
    Command(Play);
    ASSERT_TRUE(Steady());
    EXPECT_EQ(playbackState.exhaustedCount, 1);
    Complete();                                       // the only queued buffer ends the track
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(FakeWaveOutPlayed() == FramesOf(one, 0, 5));

    Command(Next);
    Command(Play);
    ASSERT_TRUE(Steady());
    size_t mark = FakeWaveOutPlayed().size();
    Complete(30);                                     // frames 0..149 heard; 150..159 queued
    ASSERT_TRUE(Steady());
    Complete();                                       // this fill finds the end
    EXPECT_EQ(playbackState.exhaustedCount, 1);
    Command(Back3s);                                  // from 160 to 10, at the next fill
    Complete();                                       // 155..159 heard; refills with 10..14
    EXPECT_EQ(playbackState.exhaustedCount, 1);
    EXPECT_EQ(FakeWaveOutQueued(), 1);
    Complete(30);                                     // one buffer cycles on to the end again
    ASSERT_TRUE(Idle());
    std::string heard = FakeWaveOutPlayed().substr(mark);
    EXPECT_TRUE(heard == FramesOf(clip, 0, 160) + FramesOf(clip, 10, 150));
}

// What the device plays follows the seeks frame for frame: the pending amount
// is carried out at the next fill, within the indexed part and beyond it.
TEST_F(Player, PlayedAudioFollowsSeeks)
{
    Clip clip = MakeClip("clip.wav", 1000, 1, 2000);
    Start({clip.path});
    Command(Play);
    ASSERT_TRUE(Steady());
    std::vector<int> fills = {0, 5};   // first frame of each queued buffer, in order
    int next = 10;
    struct Row { int command, frames, buffers; };
    const Row rows[] = {{0, 0, 3}, {18, 3000, 1}, {16, 150, 2}, {13, -750, 2}, {19, 15000, 1},
                        {11, -15000, 1}, {17, 750, 4}, {12, -3000, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        if (row.command) {
            Command(row.command);
            if (next + row.frames <= clip.frames - 1) next = std::max(0, next + row.frames);
        }
        for (int i = 0; i < row.buffers; i++) {
            Complete();
            fills.push_back(next);
            next += 5;
        }
        EXPECT_EQ(TextOf(23), clip.path);
    }
    std::string heard;
    for (size_t i = 0; i + 2 < fills.size(); i++) heard += FramesOf(clip, fills[i], 5);   // two still queued
    EXPECT_TRUE(FakeWaveOutPlayed() == heard);
}

// Entries that cannot be played, each reported, each leaving the player idle.
TEST_F(Player, FailuresToOpen)
{
    struct Row {
        const char* name;
        Bytes bytes;            // empty: a playable clip
        MMRESULT deviceFailure;
        const char* status;     // control 23 afterwards
        const char* box;        // the message box's text, or null for none
    };
    const Row rows[] = {
        {"missing.wav", {}, 0, "Ready", nullptr},
        {"channels.wav", StreamHeaderBytes(3, 8000, 0, 100), 0, "Ready", nullptr},
        {"coder23.wav", StreamHeaderBytes(1, 8000, 23, 100), 0, "Unsupported", nullptr},
        {"coder22.wav", StreamHeaderBytes(1, 8000, 22, 100), 0, nullptr, nullptr},
        {"rate49.wav", StreamHeaderBytes(1, 49, 0, 100), 0, "Ready", nullptr},
        {"toolarge.wav", StreamHeaderBytes(2, 100000, 0, 100), 0, "Ready", nullptr},   // 400,000 bytes a buffer
        {"device.wav", {}, MMSYSERR_BADDEVICEID, "Ready",
         "A device ID has been used that is out of range for your system."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        std::string path = (folder / row.name).string();
        if (row.bytes.empty()) MakeClip(row.name, 500, 1, 20);
        else Write(row.name, std::string(row.bytes.begin(), row.bytes.end()));
        Start({path}, 0, 0, "50");
        if (std::string(row.name) == "missing.wav") std::remove(path.c_str());
        FakeFailWaveOutOpen(row.deviceFailure);
        Command(Play);
        if (!row.status) {                            // coder 22 plays (its frames are silence)
            EXPECT_TRUE(Steady());
            TearDown();
            continue;
        }
        ASSERT_TRUE(Idle());
        EXPECT_EQ(TextOf(21), "Cannot play");
        EXPECT_EQ(TextOf(23), row.status);
        EXPECT_FALSE(Pushed(1));
        EXPECT_FALSE(FakeWaveOutOpen());
        EXPECT_EQ(playbackState.threadActive, 0);
        EXPECT_EQ(FakeMessageBoxCount(), row.box ? 1 : 0);
        if (row.box) {
            EXPECT_STREQ(FakeLastMessageBoxText(), row.box);
            EXPECT_STREQ(FakeLastMessageBoxCaption(), "Error");
            EXPECT_EQ(FakeLastMessageBoxOwner(), window);
        }
        TearDown();
    }
}

// A failing entry in the middle of the Playlist ends playing there.
TEST_F(Player, FailureOnTheWayToTheNextEntry)
{
    Clip a = MakeClip("a.wav", 500, 1, 5);
    Write("bad.wav", std::string("RIFF\0\0\0\0WAVEfmt \0\0\0\0\x3A\x8A", 22));
    Clip c = MakeClip("c.wav", 500, 1, 5);
    Start({a.path, (folder / "bad.wav").string(), c.path}, 0, 1);
    Command(Play);
    ASSERT_TRUE(Steady());
    Complete();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(playbackState.currentIndex, 1);
    EXPECT_EQ(TextOf(21), "Cannot play");
    EXPECT_EQ(FakeWaveOutOpenCount(), 1);
}

// Exit and closing the window while playing or paused stop the thread before
// the settings are written; the program then quits.
TEST_F(Player, ExitWhilePlaying)
{
    for (int way = 0; way < 3; way++) {
        SCOPED_TRACE(way);
        SetUp();
        Clip clip = MakeClip("clip.wav", 1000, 2, 500);
        Start({clip.path}, 1, 1);
        Command(Play);
        ASSERT_TRUE(Steady());
        if (way == 2) Command(Pause);
        if (way == 1) SendMessageA(window, WM_CLOSE, 0, 0);
        else Command(Exit);
        EXPECT_EQ(FakeThreadsRunning(), 0);
        EXPECT_FALSE(FakeWaveOutOpen());
        EXPECT_TRUE(FakeQuitPosted());
        EXPECT_EQ(Read("PELORIX.ini"), "10\n0\n1\n1\n0\n1\n*.*\n" + clip.path + "\n");
        TearDown();
    }
}

// A send from another thread waits until the window's thread takes it. A
// window thread that only waits for the sender deadlocks, shown here as a
// bounded wait that fails; one that takes sent messages while it waits, as
// the exit does, sees the sender end.
TEST_F(Player, SendsFromAnotherThreadWaitForTheWindowThread)
{
    Start({});
    for (bool takesSends : {false, true}) {
        SCOPED_TRACE(takesSends);
        SendMessageA(ControlHandle(23), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("before"));
        HANDLE sender = CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
            SendMessageA(ControlHandle(23), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("sent"));
            return 0;
        }, nullptr, 0, nullptr);
        DWORD woken;
        if (!takesSends) {
            EXPECT_EQ(WaitForSingleObject(sender, 300), static_cast<DWORD>(WAIT_TIMEOUT));
            EXPECT_EQ(TextOf(23), "before");
        }
        while ((woken = MsgWaitForMultipleObjects(1, &sender, FALSE, 5000, QS_SENDMESSAGE)) == WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        EXPECT_EQ(woken, static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(TextOf(23), "sent");
        CloseHandle(sender);
    }
}

// Starting a thread that the platform refuses leaves the player idle.
TEST_F(Player, ThreadCreationFails)
{
    Clip clip = MakeClip("clip.wav", 500, 1, 20);
    Start({clip.path});
    FakeFailThreadCreation(true);
    Command(Play);
    EXPECT_EQ(playbackState.threadActive, 0);
    EXPECT_FALSE(Pushed(1));
    FakeFailThreadCreation(false);
    Command(Play);
    EXPECT_TRUE(Steady());
}

// The position functions on a 5-minute stream at 5 frames per buffer, driven
// directly on the window thread: the jumps, the walks, the preview.
class Position : public Player {
protected:
    Clip clip;
    void SetUp() override
    {
        Player::SetUp();
        clip = MakeClip("long.wav", 100, 1, 15000);   // 2 values a frame; lastFrame 14999
        Start({});
        strcpy(playbackState.currentPath, clip.path.c_str());
        playbackState.streamFile = fopen(clip.path.c_str(), "rb");
        ASSERT_EQ(ReadStreamHeader(playbackState.streamFile, streamHeader), Ok);
        ResetPosition();
    }
    void TearDown() override
    {
        fclose(playbackState.streamFile);
        Player::TearDown();
    }
    // Moves to a frame as a fill would, from wherever the stream stands.
    void Open(const std::string& path)
    {
        if (playbackState.streamFile) fclose(playbackState.streamFile);
        playbackState.streamFile = fopen(path.c_str(), "rb");
        ASSERT_EQ(ReadStreamHeader(playbackState.streamFile, streamHeader), Ok);
        ResetPosition();
    }
    void GoTo(int frame)
    {
        playbackState.pendingSeek = frame - playbackState.frameCounter;
        ApplyPendingSeek();
        ASSERT_EQ(playbackState.frameCounter, frame);
    }
    // The frame the stream stands at decodes to the clip's frame.
    std::string Decoded()
    {
        unsigned char values[4];
        unsigned char* at = values;
        long offset = ftell(playbackState.streamFile);
        DecodeFrame(playbackState.streamFile, streamHeader, at);
        fseek(playbackState.streamFile, offset, SEEK_SET);
        return std::string(reinterpret_cast<char*>(values), static_cast<size_t>(at - values));
    }
};

TEST_F(Position, SeeksFromFrame9000)
{
    struct Row {
        int from;                    // frame before the requests
        std::vector<int> requests;
        int frame, top;              // after the fill
        const char* preview;         // control 23 after the requests; null: unchanged
    };
    const Row rows[] = {
        {9000, {-750}, 8250, 180, nullptr},
        {9000, {3000}, 12000, 240, "Seek to 0:4:0"},
        {9000, {15000}, 9000, 180, nullptr},                  // past the last frame: dropped
        {100, {-150}, 0, 180, nullptr},                       // before the first frame: frame 0
        {14500, {150, 150, 150, 150}, 14950, 299, "Seek to 0:4:59"},   // the fourth is dropped
        {6000, {3000, 3000}, 12000, 240, "Seek to 0:4:0"},    // from the last indexed second
        {14849, {150}, 14999, 299, "Seek to 0:4:59"},         // onto the last frame
    };
    GoTo(9000);
    EXPECT_EQ(playbackState.seekIndexTop, 180);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.from);
        GoTo(row.from);
        if (row.from == 9000 || row.from == 6000) {            // as if played up to 9000 only
            fseek(playbackState.streamFile, playbackState.seekIndex[0], SEEK_SET);
            ResetPosition();
            GoTo(9000);
            GoTo(row.from);
        }
        SendMessageA(ControlHandle(23), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("before"));
        for (int frames : row.requests) RequestSeek(frames);
        EXPECT_EQ(TextOf(23), row.preview ? row.preview : "before");
        ApplyPendingSeek();
        EXPECT_EQ(playbackState.frameCounter, row.frame);
        EXPECT_GE(playbackState.seekIndexTop, row.top);
        EXPECT_EQ(TextOf(23), row.requests.size() == 1 && row.frame == row.from ? "before" : clip.path);
        EXPECT_TRUE(Decoded() == FramesOf(clip, row.frame, 1));
    }
    playbackState.frameCounter = 9350;
    ShowPosition();
    EXPECT_EQ(TextOf(21), "Pos   0: 3: 7  //  0: 4:59");
    playbackState.pauseCount = 1;
    RequestSeek(-150);
    EXPECT_EQ(playbackState.pendingSeek, 0);
    playbackState.pauseCount = 0;
}

// Streams whose header promises more frames than they hold: a walk stops at
// the escape frame, or at the end of a file cut after a whole frame, where
// what follows decodes as silence.
TEST_F(Position, WalksEndEarly)
{
    GoTo(5000);
    long cut = playbackState.seekIndex[100];
    std::string whole = Read("long.wav");
    std::string promised = whole;
    promised[54] = static_cast<char>(40000 & 0xFF);   // totalSamples 40000: lastFrame 19999
    promised[55] = static_cast<char>(40000 >> 8);
    struct Row { std::string bytes; int seek, frame; long offset; std::string decoded; };
    const Row rows[] = {
        {whole.substr(0, static_cast<size_t>(cut)), 3000, 5000, cut, std::string(4, '\0')},
        {promised, 12000, 14999, -1, FramesOf(clip, 14999, 1)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frame);
        Write("short.wav", row.bytes);
        Open((folder / "short.wav").string());
        GoTo(4000);
        RequestSeek(row.seek);
        ApplyPendingSeek();
        EXPECT_EQ(playbackState.frameCounter, row.frame);
        if (row.offset >= 0) {
            EXPECT_EQ(ftell(playbackState.streamFile), row.offset);
        }
        EXPECT_TRUE(Decoded() == row.decoded);
    }
}

// Past 12,500 seconds the SeekIndex is full: it stops growing, and a seek
// beyond it, back or forth, walks from its last entry.
TEST_F(Position, SeeksBeyondAFullIndex)
{
    Clip hours = MakeClip("hours.wav", 50, 1, 630000);   // 3 h 30 min at one value a frame
    Open(hours.path);
    GoTo(629000);
    EXPECT_EQ(playbackState.seekIndexTop, SeekIndexSize - 1);
    for (int frames : {-750, 150, -3000}) {
        int target = playbackState.frameCounter + frames;
        RequestSeek(frames);
        ApplyPendingSeek();
        EXPECT_EQ(playbackState.frameCounter, target);
        EXPECT_TRUE(Decoded() == FramesOf(hours, target, 1));
    }
}
