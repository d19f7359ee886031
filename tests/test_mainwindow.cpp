// The main window on the fake layer: start-up from a layout file written here,
// the missing layout file and executable, scrolling by window messages, the
// language command stepping through the variants, also while another thread
// reads texts as the playback thread does, and the options from texts.
#include "playertest.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "app/mainwindow.h"
#include "window/scrolling.h"
#include "ui/options.h"

// Texts 0, 21, 23, 43 and 45 differ between the base file and its variants;
// the variants also move control 0, which a language change must not apply.
static const char* const BaseLayout =
    "/* layout for the window tests */\r\n"
    "#define TIME 21 /*Time*/\r\n// 0, 0x50000000, 20, 4, 740, 16\r\n"
    "#define LANGUAGE 0 /*Language*/\r\n// 1, 0x50000000, 780, 3, 100, 18\r\n"
    "#define REPEAT 4 /*Repeat*/\r\n// 1, 0x50000003, 20, 73, 200, 16\r\n"
    "#define ADVANCE 5 /*Advance*/\r\n// 1, 0x50000003, 240, 73, 300, 16\r\n"
    "#define ODD 7 /*Odd*/\r\n// 4, 0x50000000, 0, 0, 10, 10\r\n"
    "#define STATUS 23 /*File*/\r\n// 0, 0x50000000, -5, 100, 960, 25\r\n"
    "#define CLEAR_FIRST 28 /*Clear first*/\r\n// 1, 0x50000003, 560, 73, 420, 16\r\n"
    "#define PLAYLIST 35 /*Playlist*/\r\n// 3, 0x50A00101, 20, 90, 740, 265\r\n"
    "#define IDLE 43 /*Ready*/\r\n#define END 45 /*(end)*/\r\n#define FRAMES 47 /*11*/\r\n#define DEVICE 48 /*-1*/\r\n";

static std::string PlaceOf(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// Without the layout file the program ends with a message naming the file
// beside the executable; without a window it does not wait for messages.
// Then with the fake's system font: columns of 10 pixels, lines of 16, a top
// margin of 3 (each control's class, style and caption the Wine suite checks);
// scrolling by window messages moves the canvas.
TEST_F(Player, StartUpAndScrolling)
{
    EXPECT_EQ(RunProgram(GetModuleHandleA(nullptr), SW_SHOWNORMAL), 0);
    window = FindWindowA("PELORIX", nullptr);
    EXPECT_TRUE(window && FakeLastMessageBoxOwner() == window);
    EXPECT_EQ(std::string(FakeLastMessageBoxText()), "I need " + (folder / "PELORIX.h").string());
    EXPECT_EQ(FakeMessageBoxCount() + FakeChildCount(window) + FakeQuitCode(), 1);
    EXPECT_TRUE(FakeQuitPosted());
    Again();
    Write("PELORIX.h", BaseLayout);
    FakeFailWindowCreation("PELORIX");
    EXPECT_NE(RunProgram(GetModuleHandleA(nullptr), SW_SHOWNORMAL), 0);
    EXPECT_FALSE(FakeQuitPosted());
    Again();
    Start({}, 0, 0, "", BaseLayout);
    EXPECT_EQ(FindWindowA("PELORIX", "PELORIX 2.2"), window);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x00FF0000u);
    WNDCLASSA c = {};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "PELORIX", &c));
    EXPECT_TRUE(c.style == 3 && c.hbrBackground == reinterpret_cast<HBRUSH>(16) &&
                c.hIcon == LoadIconA(nullptr, IDI_APPLICATION) && c.hCursor == LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(GetDlgItem(window, 35), ControlHandle(35));
    std::string controls;   // class and place
    for (int slot : {0, 4, 21, 23, 35}) {
        char name[32] = "";
        GetClassNameA(ControlHandle(slot), name, sizeof name);
        controls += std::string(name) + " " + PlaceOf(ControlHandle(slot)) + ", ";
    }
    EXPECT_EQ(controls, "Button 780,9 100x28, Button 20,166 200x25, Static 20,11 740x25, Static -5,227 960x40, "
                        "ListBox 20,204 740x424, ");
    EXPECT_EQ(FakeChildCount(window), 7);
    EXPECT_EQ(ControlHandle(7), nullptr);       // type 4 names no class
    EXPECT_EQ(Rows() + " " + Seen(), "(end) Ready|Ready|--|0 0 0|closed");   // the idle texts, not the captions
    EXPECT_EQ(std::vector<int>({playbackState.framesPerBuffer, playbackState.deviceId, playbackState.playlistCount,
                                FakeMessageBoxCount(), FakeDeviceContextsHeld()}), std::vector<int>({25, -1, 0, 0, 0}));
    struct Row { UINT message; int request, value, column, line; };   // WM_SIZE: width and height
    // Shown at 800 x 600 with columns of 10 and lines of 16 pixels: at most 22 columns and 5 lines.
    const Row rows[] = {
        {WM_HSCROLL, SB_LINERIGHT, 0, 1, 0},
        {WM_SIZE, 800, 600, 0, 0},                   // unchanged size: one column back
        {WM_HSCROLL, SB_THUMBPOSITION, 10, 0, 0},    // only tracking moves
        {WM_HSCROLL, SB_THUMBTRACK, 10, 10, 0},
        {WM_SIZE, 795, 600, 9, 0},                   // shrunk by less than a column: one back
        {WM_SIZE, 785, 600, 9, 0},                   // by a whole column: stays
        {WM_SIZE, 800, 600, 7, 0},                   // grown by 15 pixels: 1 whole column plus one
        {WM_HSCROLL, SB_PAGERIGHT, 0, 15, 0},
        {WM_HSCROLL, SB_PAGERIGHT, 0, 22, 0},        // stops at the maximum
        {WM_HSCROLL, SB_PAGELEFT, 0, 14, 0},
        {WM_VSCROLL, SB_PAGEDOWN, 0, 14, 5},         // 37 lines asked, 5 allowed
        {WM_SIZE, 0, 0, 14, 5},                      // minimised: positions kept
        {WM_SIZE, 800, 600, 0, 0},                   // restored: back toward 0, stopping there
        {WM_HSCROLL, SB_LINELEFT, 0, 0, 0},
        {WM_SIZE, 800, 100, 0, 0},
        {WM_VSCROLL, SB_PAGEDOWN, 0, 0, 6},          // 100 / 16 lines
        {WM_VSCROLL, SB_BOTTOM, 0, 0, 36},           // 40 - 6 + 2
        {WM_VSCROLL, SB_TOP, 0, 0, 0},
        {WM_SIZE, 800, 10, 0, 0},
        {WM_VSCROLL, SB_PAGEDOWN, 0, 0, 1},          // less than a line: one line
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        if (row.message == WM_SIZE) SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(row.request, row.value));
        else SendMessageA(window, row.message, MAKEWPARAM(row.request, row.value), 0);
        EXPECT_EQ(GetScrollPos(window, SB_HORZ), row.column);
        EXPECT_EQ(GetScrollPos(window, SB_VERT), row.line);
        EXPECT_EQ(PlaceOf(ControlHandle(21)),   // first placed at 20, 11
                  std::to_string(20 - 10 * row.column) + "," + std::to_string(11 - 16 * row.line) + " 740x25");
    }
    EXPECT_EQ(ResizeDelta(65535, 0, 1, 0), 0);   // extents are 16-bit
    EXPECT_EQ(ScrollMaximum(100, 800, 7), 0);    // never below 0
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(FakeQuitPosted());
    EXPECT_EQ(RunMessageLoop(), 0);
}

static const char* const captions[] = {"Language", "Sprache", "Langue"};
static const char* const idleTexts[] = {"Ready", "Bereit", "Pr\xEAt"};
static const char* const endMarkers[] = {"(end)", "(Ende)", "(fin)"};
static const char* const timeTexts[] = {"Time", "Zeit", "Temps"};

static bool OneOf(const char* text, const char* const (&choices)[3])
{
    return !strcmp(text, choices[0]) || !strcmp(text, choices[1]) || !strcmp(text, choices[2]);
}

static std::string Variant(int v)   // moves control 0, which a reload must not apply
{
    return std::string("#define TIME 21 /*") + timeTexts[v] + "*/\r\n// 0, 0x50000000, 20, 4, 740, 16\r\n" +
           "#define LANGUAGE 0 /*" + captions[v] + "*/\r\n// 1, 0x50000000, 500, 30, 100, 18\r\n" +
           "#define PLAYLIST 35 /*Playlist*/\r\n// 3, 0x50A00101, 20, 90, 740, 265\r\n#define IDLE 43 /*" +
           idleTexts[v] + "*/\r\n#define END 45 /*" + endMarkers[v] + "*/\r\n";
}

// Each press of control 0 steps the language; the Playlist's rows stay and
// only the end marker after them is replaced; identifiers without a command do
// nothing. Then another thread copies texts and sends to the controls as the
// playback thread does while the window thread steps on, carrying out the
// sends as it waits: every text read is one whole text of one language (and,
// built with ThreadSanitizer, no race is reported).
TEST_F(Player, LanguageCommandStepsThroughVariants)
{
    for (int v : {1, 2}) Write("PELORIX.h0" + std::to_string(v), Variant(v));
    Start({}, 0, 0, "", BaseLayout);
    SendMessageA(ControlHandle(35), LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("/music/a.pxa"));
    SendMessageA(ControlHandle(35), LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("/music/b.pxa"));
    playbackState.playlistCount = 2;
    for (int language : {1, 2, 0, 1}) {   // no variant 3: back to the base file
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(ControlHandle(0)));
        EXPECT_EQ(languageNumber, language);
        EXPECT_EQ(TextOf(0) + "|" + TextOf(21) + "|" + TextOf(23) + "|" + Rows(),
                  std::string(captions[language]) + "|" + idleTexts[language] + "|" + idleTexts[language] +
                      "|/music/a.pxa /music/b.pxa " + endMarkers[language]);
        EXPECT_EQ(PlaceOf(ControlHandle(0)), "780,9 100x28");   // places of a reload are not applied
        EXPECT_EQ(GetFocus(), window);
    }
    for (int identifier : {7, 35, 59, 60, 0xFFFF}) Command(identifier);
    EXPECT_EQ(languageNumber, 1);
    EXPECT_EQ(FakeMessageBoxCount(), 0);
    EXPECT_EQ(playbackState.framesPerBuffer, 25);  // kept from start-up
    std::atomic<bool> done(false), finished(false);
    std::atomic<int> reads(0), torn(0);
    std::thread sender([&] {
        for (char text[400]; !done; reads++) {
            ShowIdleTexts();
            SendMessageA(ControlHandle(21), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            torn += !OneOf(text, idleTexts);
            CopyLayoutText(21, text, sizeof text);
            torn += !OneOf(text, timeTexts);
            SendMessageA(ControlHandle(35), LB_GETTEXT, 2, reinterpret_cast<LPARAM>(text));
            torn += !OneOf(text, endMarkers);
        }
        finished = true;
    });
    for (int press = 0; press < 300; press++) {
        int before = reads;
        Command(Language);
        EXPECT_TRUE(PumpUntil([&] { return reads >= before + 2; }));   // a whole pass after each press
    }
    done = true;
    EXPECT_TRUE(PumpUntil([&] { return finished.load(); }));
    sender.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(languageNumber, 1);
}

TEST(PlaybackOptions, FramesPerBufferFromText)
{
    struct Row { const char* text; int frames; };
    const Row rows[] = {{"5", 5}, {"6", 10}, {"10", 10}, {"11", 25}, {"25", 25}, {"26", 50}, {"0", 5}, {"", 5},
                        {"abc", 5}, {"-7", 5}, {" 12", 25}, {"7 frames", 10}, {"99999999999999999999", 50}};
    for (const Row& row : rows) EXPECT_EQ(FramesPerBufferFromText(row.text), row.frames) << '"' << row.text << '"';
}
