// The player playing on the real device: the whole program, window procedure
// and playback thread. The device plays by itself (about 4 times real time
// under Wine's capture), so the clips are long enough for a state to hold
// while it is looked at; what each opening played is compared at the end.
#include "playertest.h"

// Every request in every state of a session, and what the user sees.
TEST_F(Player, SessionStatesAndRequests)
{
    // 8 s each, at rates whose audio Wine's capture keeps across a pause (at 1000 Hz it loses some).
    Clip a = MakeClip("a.wav", 8000, 2, 400), b = MakeClip("b.wav", 22050, 1, 400, 2);
    Start({a.path, b.path}, 0, 0, "25");   // buffers long enough that the fast device never runs dry
    Command(PauseSlot);                               // idle: nothing
    Command(PreviousSlot);                            // idle: moves, wrapping round, starts nothing
    EXPECT_EQ(Seen(), "Ready|Ready|--|1 1 1");
    EXPECT_EQ(playbackState.threadActive, 0);
    Command(NextSlot);
    Command(PlaySlot);
    ASSERT_TRUE(Playing());
    const std::string a0 = "Pos   0: 0: #  //  0: 0: 7|a.wav|", b0 = "Pos   0: 0: #  //  0: 0: 7|b.wav|";
    EXPECT_TRUE(Shows(a0 + "P-|0 0 0"));
    Command(PlaySlot);                                // playing: nothing more
    // Wine 8 loses audio that was queued when a pause comes within 2 ms of the start.
    EXPECT_TRUE(Moves());

    Command(PauseSlot);
    EXPECT_TRUE(Shows(a0 + "PP|0 0 0"));
    PumpUntil([] { return false; }, 1);               // a buffer ending just as it paused may come back;
    EXPECT_FALSE(Moves(1));                           // after that nothing plays
    Command(Back3sSlot);                              // no seeking while paused
    EXPECT_EQ(playbackState.pendingSeek, 0);
    Command(PauseSlot);                               // resumes
    EXPECT_TRUE(Moves());
    EXPECT_TRUE(Shows(a0 + "P-|0 0 0"));
    Command(PauseSlot);
    Command(PlaySlot);                                // resumes too
    EXPECT_TRUE(Moves());
    EXPECT_TRUE(Shows(a0 + "P-|0 0 0"));

    // A single click only selects; Next while paused restarts on the next entry.
    Click(1);
    EXPECT_TRUE(Shows(a0 + "P-|0 1 1"));
    Command(PauseSlot);
    Command(NextSlot);
    EXPECT_TRUE(Shows(b0 + "P-|1 1 1"));              // the restart ended the pause

    // The end marker is never selected; a double-click restarts at the entry.
    Click(2, true);
    EXPECT_TRUE(Shows(b0 + "P-|1 1 1"));
    Click(0, true);
    EXPECT_TRUE(Shows(a0 + "P-|0 0 0"));

    // Pause, then stop: idle, buttons released; the selection becomes current.
    Click(1);
    Command(PauseSlot);
    Command(StopSlot);
    EXPECT_TRUE(Shows("Ready|Ready|--|1 1 1"));
    Click(0, true);                                   // a double-click while idle plays the entry
    ASSERT_TRUE(Playing());
    EXPECT_TRUE(Shows(a0 + "P-|0 0 0"));
    EXPECT_EQ(GetThreadPriority(playbackState.threadHandle), THREAD_PRIORITY_HIGHEST);
    EXPECT_TRUE(Moves());
    Command(PauseSlot);                               // exit while paused: the thread ends before the
    Command(ExitSlot);                                // settings are written, then the program quits
    EXPECT_EQ(playbackState.threadActive, 0);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(Read("PELORIX.ini"), "10\r\n0\r\n0\r\n0\r\n0\r\n2\r\n*.*\r\n" + a.path + "\r\n" + b.path + "\r\n");

    // One capture per opening: a, b on Next, a on the double-click, a again after the stop.
    std::vector<std::string> captures = Captures();
    ASSERT_EQ(captures.size(), 4u);
    const Clip* played[] = {&a, &b, &a, &a};
    for (int i = 0; i < 4; i++) EXPECT_GE(PlayedBuffers(captures[i], *played[i], 25), 0) << "opening " << i;
    EXPECT_GE(PlayedBuffers(captures[0], a, 25), 2);   // its position moved on three times
}
