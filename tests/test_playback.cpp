// The player playing on the fake layer: the whole program, window procedure
// and playback thread, with the device handing buffers back when a test says
// so. What the device played is compared with the clips' PCM.
#include "playertest.h"

#include <cstdio>
#include <map>

#include "codec/framedecoder.h"
#include "playback/playbackthread.h"
#include "playback/position.h"
#include "testfiles.h"

namespace fs = std::filesystem;

// Every request in every state of a session, and what the user sees.
TEST_F(Player, SessionStatesAndRequests)
{
    Clip a = MakeClip("a.wav", 1000, 2, 60), b = MakeClip("b.wav", 500, 1, 60, 2);
    Start({a.path, b.path});
    Command(Pause);                                   // idle: nothing
    Command(Previous);                                // idle: moves, wrapping round, starts nothing
    EXPECT_EQ(Seen(), "Ready|Ready|--|1 1 1|closed");
    EXPECT_EQ(FakeThreadsRunning(), 0);
    Command(Next);
    Command(Play);
    ASSERT_TRUE(Steady());
    const std::string a0 = "Pos   0: 0: 0  //  0: 0: 1|a.wav|";
    EXPECT_EQ(Seen(), a0 + "P-|0 0 0|running");
    WAVEFORMATEX format = FakeWaveOutFormat();   // the fake refuses one whose other fields disagree
    EXPECT_EQ(std::to_string(format.nSamplesPerSec) + " " + std::to_string(format.nChannels), "1000 2");
    Command(Play);                                    // playing: nothing more
    EXPECT_EQ(FakeWaveOutOpenCount(), 1);
    std::string heard;   // by the device, across opens
    Complete(2);
    EXPECT_EQ(FakeWaveOutPlayed(), heard += FramesOf(a, 0, 10));

    Command(Pause);
    EXPECT_FALSE(FakeCompleteBuffer());               // a paused device hands nothing back
    Command(Back3s);                                  // no seeking while paused
    EXPECT_EQ(playbackState.pendingSeek, 0);
    EXPECT_EQ(Seen(), a0 + "PP|0 0 0|paused");
    Command(Pause);                                   // resumes
    EXPECT_EQ(Seen(), a0 + "P-|0 0 0|running");
    Command(Pause);
    Command(Play);                                    // resumes too
    EXPECT_EQ(Seen(), a0 + "P-|0 0 0|running");
    Complete();
    EXPECT_EQ(FakeWaveOutPlayed(), heard += FramesOf(a, 10, 5));

    // A single click only selects; Next while paused restarts on the next entry.
    Click(1);
    EXPECT_EQ(Seen(), a0 + "P-|0 1 1|running");
    Command(Pause);
    Command(Next);
    ASSERT_TRUE(PumpUntil([] { return FakeWaveOutOpenCount() == 2; }));
    ASSERT_TRUE(Steady());                            // the restart ended the pause
    EXPECT_EQ(Seen(), "Pos   0: 0: 0  //  0: 0: 1|b.wav|P-|1 1 1|running");
    Complete();
    EXPECT_EQ(FakeWaveOutPlayed(), heard += FramesOf(b, 0, 5));

    // The end marker is never selected; a double-click restarts at the entry.
    Click(2, true);
    EXPECT_EQ(Seen(), "Pos   0: 0: 0  //  0: 0: 1|b.wav|P-|1 1 1|running");
    Click(0, true);
    ASSERT_TRUE(PumpUntil([] { return FakeWaveOutOpenCount() == 3; }));
    ASSERT_TRUE(Steady());
    Complete();
    EXPECT_EQ(FakeWaveOutPlayed(), heard += FramesOf(a, 0, 5));

    // Pause, then stop: idle, buttons released; the selection becomes current.
    Click(1);
    Command(Pause);
    Command(Stop);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(Seen(), "Ready|Ready|--|1 1 1|closed");
    Click(0, true);                                   // a double-click while idle plays the entry
    ASSERT_TRUE(Steady());
    EXPECT_EQ(Seen(), "Pos   0: 0: 0  //  0: 0: 1|a.wav|P-|0 0 0|running");
    EXPECT_EQ(FakeThreadPriority(), THREAD_PRIORITY_HIGHEST);
    Command(Pause);                                   // exit while paused: the thread ends before the
    Command(Exit);                                    // settings are written, then the program quits
    EXPECT_EQ(FakeThreadsRunning() + FakeWaveOutOpen(), 0);
    EXPECT_TRUE(FakeQuitPosted());
    EXPECT_EQ(Read("PELORIX.ini"), "10\n0\n0\n0\n0\n2\n*.*\n" + a.path + "\n" + b.path + "\n");
}

// The end of a track by the two options, and a one-entry Playlist; an entry
// clicked while the first track plays becomes current when playing ends.
TEST_F(Player, EndOfTrackRules)
{
    // order: the tracks heard, one letter per entry; ends: playing ends by itself
    // after them; last: the entry clicked, then currentIndex, selectedIndex and the cursor.
    struct Row { int advance, repeat, entries, start; const char* order; bool ends; int last; };
    const Row rows[] = {
        {1, 0, 3, 0, "ABC", true, 2}, {1, 0, 3, 1, "BC", true, 2},
        {1, 1, 3, 1, "BCAB", false, 2},   // B's end already moved on to C
        {0, 1, 3, 1, "BBB", false, 1}, {0, 0, 3, 1, "B", true, 0}, {1, 1, 1, 0, "AAA", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.order);
        Again();
        std::vector<Clip> clips = {MakeClip("a.wav", 500, 1, 7, 1), MakeClip("b.wav", 1000, 2, 12, 2),
                                   MakeClip("c.wav", 500, 1, 3, 3)};
        std::vector<std::string> paths;
        for (int i = 0; i < row.entries; i++) paths.push_back(clips[i].path);
        Start(paths, row.repeat, row.advance);
        Click(row.start, true);
        std::string heard;   // whole buffers of 5 frames, the last filled up with silence
        for (const char* track = row.order; *track; track++) {
            const Clip& clip = clips[*track - 'A'];
            heard += FramesOf(clip, 0, (clip.frames + 4) / 5 * 5);
        }
        ASSERT_TRUE(Steady());
        Click(row.last);
        for (int i = 0; i < 20 && FakeWaveOutPlayed().size() < heard.size(); i++) Complete();
        EXPECT_TRUE(FakeWaveOutPlayed() == heard);
        if (!row.ends) Command(Stop);
        ASSERT_TRUE(Idle());
        std::string last = std::to_string(row.last);
        EXPECT_EQ(Seen(), "Ready|Ready|--|" + last + " " + last + " " + last + "|closed");
    }
}

// What the device plays follows the seeks frame for frame: the pending amount
// is carried out at the next fill, within the indexed part and beyond it; a
// seek back after the first exhausted fill brings the track back with one
// buffer cycling to the end.
TEST_F(Player, PlayedAudioFollowsSeeks)
{
    Clip clip = MakeClip("clip.wav", 1000, 1, 2000);
    Start({clip.path});
    Command(Play);
    ASSERT_TRUE(Steady());
    std::vector<int> fills = {0, 5};   // first frame of each buffer, in order
    int next = 10;
    struct Row { int command, frames, buffers; };
    const Row rows[] = {{0, 0, 3}, {18, 3000, 1}, {16, 150, 2}, {13, -750, 2}, {19, 15000, 1},
                        {11, -15000, 1}, {17, 750, 4}, {12, -3000, 2}, {0, 0, 398}};   // the last fill of 1995
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        if (row.command) {
            Command(row.command);
            if (next + row.frames <= clip.frames - 1) next = std::max(0, next + row.frames);
        }
        for (int i = 0; i < row.buffers; i++, next += 5) {
            Complete();
            fills.push_back(next);
        }
        EXPECT_EQ(TextOf(23), clip.path);
    }
    Complete();                                       // this fill finds the end
    EXPECT_EQ(playbackState.exhaustedCount, 1);
    Command(Back3s);                                  // from 2000 to 1850, at the next fill
    Complete();
    EXPECT_EQ(FakeWaveOutQueued(), 1);
    Complete(30);                                     // one buffer cycles on to the end again
    ASSERT_TRUE(Idle());
    std::string heard;
    for (int first : fills) heard += FramesOf(clip, first, 5);
    for (int first = 1850; first < 2000; first += 5) heard += FramesOf(clip, first, 5);
    EXPECT_TRUE(FakeWaveOutPlayed() == heard);
}

// Entries that cannot be played, each reported, each leaving the player idle,
// and stream files spoilt while they play, whose rest still plays out (the
// damaged frames are the decoder tests' concern). With advance on, the entry
// after a playable one is tried: it passes the start-up check and fails to
// open, which ends playing.
TEST_F(Player, FailuresToOpen)
{
    // bytes empty: a playable clip, which the names truncated, unlinked and emptied spoil once playing.
    struct Row { const char* name; Bytes bytes; MMRESULT deviceFailure; const char* seen; };
    const char* const idle = "Cannot play|Ready|--|0 0 0|closed", *next = "Cannot play|Ready|--|1 1 1|closed";
    const Row rows[] = {
        {"missing.wav", {}, 0, idle},
        {"channels.wav", StreamHeaderBytes(3, 8000, 0, 100), 0, idle},
        {"coder23.wav", StreamHeaderBytes(1, 8000, 23, 100), 0, "Cannot play|Unsupported|--|0 0 0|closed"},
        {"coder22.wav", StreamHeaderBytes(1, 8000, 22, 100), 0, next},   // its frames are silence
        {"rate49.wav", StreamHeaderBytes(1, 49, 0, 100), 0, idle},
        {"toolarge.wav", StreamHeaderBytes(2, 100000, 0, 100), 0, idle},   // 400,000 bytes
        {"device.wav", {}, MMSYSERR_BADDEVICEID, idle},
        {"truncated.wav", {}, 0, next},
        {"unlinked.wav", {}, 0, next},
        {"emptied.wav", {}, 0, next},
        {"plays.wav", {}, 0, next},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Again();
        std::string path = (folder / row.name).string(), name = row.name;
        if (row.bytes.empty()) MakeClip(row.name, 1000, 2, 400);
        else Write(row.name, std::string(row.bytes.begin(), row.bytes.end()));
        Write("bad.wav", std::string("RIFF\0\0\0\0WAVEfmt \0\0\0\0\x3A\x8A", 22));
        Start({path, (folder / "bad.wav").string()}, 0, 1, "50");
        if (name == "missing.wav") std::remove(path.c_str());
        FakeFailWaveOutOpen(row.deviceFailure);
        Command(Play);
        bool plays = std::string(row.seen) == next;
        if (plays) {
            ASSERT_TRUE(Steady());
            if (name == "unlinked.wav") fs::remove(path);
            if (name == "truncated.wav") fs::resize_file(path, fs::file_size(path) / 3);
            if (name == "emptied.wav") fs::resize_file(path, 0);
            for (int i = 0; i < 20 && FakeThreadsRunning(); i++) Complete();
        }
        ASSERT_TRUE(Idle());
        EXPECT_EQ(Seen(), row.seen);
        EXPECT_EQ(FakeWaveOutOpenCount() + playbackState.threadActive, plays ? 1 : 0);
        EXPECT_EQ(FakeMessageBoxCount(), row.deviceFailure ? 1 : 0);
        if (row.deviceFailure) {
            EXPECT_EQ(std::string(FakeLastMessageBoxText()) + "|" + FakeLastMessageBoxCaption(),
                      "A device ID has been used that is out of range for your system.|Error");
            EXPECT_EQ(FakeLastMessageBoxOwner(), window);
        }
    }
    Click(0);
    FakeFailThreadCreation(true);                     // a thread the platform refuses: still idle
    Command(Play);
    EXPECT_EQ(Seen(), idle);
    EXPECT_EQ(playbackState.threadActive, 0);
    FakeFailThreadCreation(false);
    Command(Play);
    EXPECT_TRUE(Steady());
}

// The position functions driven directly on the window thread, as a fill
// would call them, on the open stream.
static void Open(const std::string& path)
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

static std::string Decoded()   // the frame the stream stands at
{
    unsigned char values[4], *at = values;
    long offset = ftell(playbackState.streamFile);
    DecodeFrame(playbackState.streamFile, streamHeader, at);
    fseek(playbackState.streamFile, offset, SEEK_SET);
    return std::string(reinterpret_cast<char*>(values), static_cast<size_t>(at - values));
}

// Seeks in the indexed part (a jump) and beyond it (a walk, with the preview),
// in a stream whose header promises more frames than it holds (the walk stops
// at the escape frame), in one cut after a whole frame (silence follows), and
// past 12,500 seconds, where the full index stops growing and a seek beyond
// it, back or forth, walks from its last entry.
TEST_F(Player, Seeks)
{
    Start({});
    std::map<std::string, Clip> clips = {{"long", MakeClip("long.wav", 100, 1, 15000)},   // 5 min, 2 values a frame
                                         {"hours", MakeClip("hours.wav", 50, 1, 630000)}};  // 3 h 30 min, 1 value
    strcpy(playbackState.currentPath, clips["long"].path.c_str());
    Open(clips["long"].path);
    GoTo(5000);
    std::string whole = Read("long.wav"), promised = whole;
    promised[54] = static_cast<char>(40000 & 0xFF);   // totalSamples 40000: lastFrame 19999
    promised[55] = static_cast<char>(40000 >> 8);
    Write("promised.wav", promised);
    Write("cut.wav", whole.substr(0, static_cast<size_t>(playbackState.seekIndex[100])));
    clips["promised"] = clips["cut"] = clips["long"];
    RequestSeek(150);                                 // left by the stream before: dropped on opening
    Open(clips["long"].path);
    EXPECT_EQ(playbackState.pendingSeek, 0);
    // played: up to there after opening, -1 going on as the last row left it;
    // frame: after the fill; preview: control 23 after the requests, null unchanged.
    struct Row { const char* stream; int played, from; std::vector<int> requests; int frame; const char* preview; };
    const Row rows[] = {
        {"long", 9000, 9000, {-750}, 8250, nullptr},
        {"long", 9000, 9000, {3000}, 12000, "Seek to 0:4:0"},
        {"long", 14500, 14500, {150, 150, 150, 150}, 14950, "Seek to 0:4:59"},   // the fourth is dropped
        {"long", 9000, 6000, {3000, 3000}, 12000, "Seek to 0:4:0"},       // from the last indexed second
        {"long", 14849, 14849, {150}, 14999, "Seek to 0:4:59"},           // onto the last frame
        {"promised", 4000, 4000, {12000}, 14999, "Seek to 0:5:20"},
        {"cut", 4000, 4000, {3000}, 5000, "Seek to 0:2:20"},
        {"hours", 9000, 9000, {60}, 9060, "Seek to 0:3:1"},              // into the second after the index
        {"hours", 629000, 629000, {-750}, 628250, "Seek to 3:29:25"},
        {"hours", -1, -1, {-10000}, 618250, nullptr},                     // into the index
        {"hours", -1, -1, {9000}, 627250, "Seek to 3:29:5"},              // out of it again
        {"hours", -1, -1, {2749}, 629999, "Seek to 3:29:59"},
        {"hours", -1, -1, {-1}, 629998, "Seek to 3:29:59"},
        {"hours", -1, -1, {-629999}, 0, nullptr},
        {"hours", -1, -1, {629999}, 629999, "Seek to 3:29:59"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.stream << " " << row.from << " " << row.requests[0]);
        if (row.played >= 0) {
            Open((folder / (row.stream + std::string(".wav"))).string());
            GoTo(row.played);
            GoTo(row.from);
        }
        SendMessageA(ControlHandle(23), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("before"));
        for (int frames : row.requests) RequestSeek(frames);
        EXPECT_EQ(TextOf(23), row.preview ? row.preview : "before");
        bool taken = playbackState.pendingSeek != 0;
        ApplyPendingSeek();
        EXPECT_EQ(playbackState.frameCounter, row.frame);
        EXPECT_EQ(TextOf(23), taken ? playbackState.currentPath : "before");
        bool silent = row.stream == std::string("cut");
        EXPECT_TRUE(Decoded() == (silent ? std::string(4, '\0') : FramesOf(clips[row.stream], row.frame, 1)));
    }
    EXPECT_EQ(playbackState.seekIndexTop, SeekIndexSize - 1);
    ShowPosition();
    EXPECT_EQ(TextOf(21), "Pos   3:29:59  //  3:29:59");
    fclose(playbackState.streamFile);
    playbackState.streamFile = nullptr;
}
