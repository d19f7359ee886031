// The main window on the fake layer: start-up from a layout file written here,
// the missing layout file and executable, scrolling by window messages, and
// the language command stepping through the variants.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "fakewin.h"
#include "app/controls.h"
#include "app/mainwindow.h"
#include "playback/playbackstate.h"
#include "ui/options.h"

namespace fs = std::filesystem;

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

static std::string Variant(const char* language, const char* idle, const char* end)
{
    return std::string("#define TIME 21 /*Zeit*/\r\n// 0, 0x50000000, 20, 4, 740, 16\r\n") +
           "#define LANGUAGE 0 /*" + language + "*/\r\n// 1, 0x50000000, 500, 30, 100, 18\r\n" +
           "#define STATUS 23 /*Datei*/\r\n// 0, 0x50000000, -5, 100, 960, 25\r\n" +
           "#define IDLE 43 /*" + idle + "*/\r\n#define END 45 /*" + end + "*/\r\n";
}

static std::string TextOf(HWND window)
{
    char text[400] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

static std::string RowsOf(HWND listBox)
{
    std::string rows;
    for (int i = 0; i < static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0)); i++) {
        char text[400];
        LRESULT length = SendMessageA(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        rows += (i ? "|" : "") + std::string(text, static_cast<size_t>(length));
    }
    return rows;
}

static std::string Place(int left, int top, int width, int height)
{
    return std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(width) + "x" +
           std::to_string(height);
}

static std::string PlaceOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return Place(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

class MainWindow : public testing::Test {
protected:
    fs::path folder = fs::temp_directory_path() / ("pelorix-window-tests-" + std::to_string(getpid())) /
                      testing::UnitTest::GetInstance()->current_test_info()->name();

    // The fake layer as at program start: the executable in the test's folder,
    // a variable-pitch font whose column is 10 pixels and line 16.
    void Reset(const std::string& executable)
    {
        FakeReset();
        FakeSetExecutablePath(executable.c_str());
        TEXTMETRICA metrics = {};
        metrics.tmHeight = 16;
        metrics.tmAveCharWidth = 7;
        metrics.tmPitchAndFamily = 0x21;
        FakeSetTextMetrics(metrics);
    }
    void SetUp() override
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
        Reset((folder / "PELORIX.exe").string());
    }
    void TearDown() override { fs::remove_all(folder.parent_path()); }
    void Write(const char* name, const std::string& bytes) { std::ofstream(folder / name, std::ios::binary) << bytes; }

    HWND Start()
    {
        EXPECT_NE(RegisterMainWindowClass(GetModuleHandleA(nullptr)), 0);
        HWND window = OpenMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        EXPECT_NE(window, nullptr);
        return window;
    }
};

TEST_F(MainWindow, StartUpCreatesTheDescribedControls)
{
    Write("PELORIX.h", BaseLayout);
    HWND window = Start();
    EXPECT_EQ(FindWindowA("PELORIX", "PELORIX 2.2"), window);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x00FF0000u);
    EXPECT_TRUE(IsWindowVisible(window));
    WNDCLASSA windowClass = {};
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "PELORIX", &windowClass));
    EXPECT_EQ(windowClass.style, 3u);
    EXPECT_EQ(windowClass.hbrBackground, reinterpret_cast<HBRUSH>(16));
    EXPECT_EQ(windowClass.hIcon, LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_EQ(windowClass.hCursor, LoadCursorA(nullptr, IDC_ARROW));

    // Columns of 10 pixels, lines of 16 and a top margin of 3 give the places.
    struct Row { int slot; const char* className; const char* text; DWORD style; const char* place; };
    const Row rows[] = {
        {0, "Button", "Language", 0x50000000, "780,9 100x28"},
        {4, "Button", "Repeat", 0x50000003, "20,166 200x25"},
        {5, "Button", "Advance", 0x50000003, "240,166 300x25"},
        {21, "Static", "Ready", 0x50000000, "20,11 740x25"},       // the idle text, not its caption
        {23, "Static", "Ready", 0x50000000, "-5,227 960x40"},
        {28, "Button", "Clear first", 0x50000003, "560,166 420x25"},
        {35, "ListBox", "Playlist", 0x50A00101, "20,204 740x424"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "slot " << row.slot);
        HWND control = ControlHandle(row.slot);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetDlgItem(window, row.slot), control);
        char className[32] = "";
        GetClassNameA(control, className, sizeof className);
        EXPECT_STREQ(className, row.className);
        EXPECT_EQ(TextOf(control), row.text);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)), row.style);
        EXPECT_EQ(PlaceOf(control), row.place);
    }
    EXPECT_EQ(FakeChildCount(window), 7);
    EXPECT_EQ(ControlHandle(7), nullptr);       // type 4 names no class
    EXPECT_EQ(RowsOf(ControlHandle(35)), "(end)");
    EXPECT_EQ(SendMessageA(ControlHandle(35), LB_GETCURSEL, 0, 0), 0);
    for (int slot : {4, 5, 28}) EXPECT_EQ(SendMessageA(ControlHandle(slot), BM_GETCHECK, 0, 0), 0) << slot;
    EXPECT_EQ(playbackState.framesPerBuffer, 25);
    EXPECT_EQ(playbackState.deviceId, -1);
    EXPECT_EQ(playbackState.playlistCount, 0);
    EXPECT_EQ(playbackState.selectedIndex, 0);
    EXPECT_STREQ(lastFolder, "*.*");

    EXPECT_EQ(FakeMessageBoxCount(), 0);
    EXPECT_EQ(FakeDeviceContextsHeld(), 0);
    EXPECT_FALSE(FakeQuitPosted());
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(FakeQuitPosted());
    EXPECT_EQ(RunMessageLoop(), 0);
}

TEST_F(MainWindow, MissingFilesEndTheProgramWithAMessage)
{
    struct Row { std::string executable, message; };
    const Row rows[] = {
        {(folder / "PELORIX.exe").string(), "I need " + (folder / "PELORIX.h").string()},
        {"", "I need "},
        {"/" + std::string(290, 'x') + "/PELORIX.exe", "I need "},   // 303 bytes: does not fit
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.executable);
        Reset(row.executable);
        EXPECT_EQ(RunProgram(GetModuleHandleA(nullptr), SW_SHOWNORMAL), 0);
        HWND window = FindWindowA("PELORIX", nullptr);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(FakeMessageBoxCount(), 1);
        EXPECT_STREQ(FakeLastMessageBoxText(), row.message.c_str());
        EXPECT_STREQ(FakeLastMessageBoxCaption(), "Error");
        EXPECT_EQ(FakeLastMessageBoxOwner(), window);
        EXPECT_EQ(FakeChildCount(window), 0);
        for (int slot = 0; slot < SlotCount; slot++) EXPECT_EQ(ControlHandle(slot), nullptr);
        EXPECT_TRUE(FakeQuitPosted());
        EXPECT_EQ(FakeQuitCode(), 0);
        EXPECT_TRUE(IsWindowVisible(window));
    }
}

TEST_F(MainWindow, ProgramEntryFailures)
{
    Write("PELORIX.h", BaseLayout);
    FakeFailWindowCreation("PELORIX");
    EXPECT_NE(RunProgram(GetModuleHandleA(nullptr), SW_SHOWNORMAL), 0);   // no window: does not wait
    EXPECT_FALSE(FakeQuitPosted());
    FakeFailWindowCreation(nullptr);
    EXPECT_EQ(RunProgram(GetModuleHandleA(nullptr), SW_SHOWNORMAL), 0);   // class already registered
    EXPECT_EQ(FindWindowA("PELORIX", nullptr), nullptr);
}

TEST_F(MainWindow, ScrollingMovesTheCanvas)
{
    Write("PELORIX.h", BaseLayout);
    HWND window = Start();
    struct Row {
        UINT message;
        int request, value;   // WM_SIZE: width and height; else request and thumb position
        int column, line;     // scroll positions afterwards
        int left, top;        // control 21 afterwards, first placed at 20, 11
    };
    // Shown at 800 x 600 with columns of 10 and lines of 16 pixels: at most 22 columns and 5 lines.
    const Row rows[] = {
        {WM_HSCROLL, SB_LINERIGHT, 0, 1, 0, 10, 11},
        {WM_HSCROLL, SB_LINERIGHT, 0, 2, 0, 0, 11},
        {WM_HSCROLL, SB_LINERIGHT, 0, 3, 0, -10, 11},
        {WM_SIZE, 800, 600, 2, 0, 0, 11},                   // unchanged size: one column back
        {WM_HSCROLL, SB_THUMBPOSITION, 10, 2, 0, 0, 11},
        {WM_HSCROLL, SB_THUMBTRACK, 10, 10, 0, -80, 11},
        {WM_HSCROLL, SB_PAGERIGHT, 0, 18, 0, -160, 11},
        {WM_HSCROLL, SB_PAGERIGHT, 0, 22, 0, -200, 11},     // stops at the maximum
        {WM_HSCROLL, SB_RIGHT, 0, 22, 0, -200, 11},
        {WM_HSCROLL, SB_PAGELEFT, 0, 14, 0, -120, 11},
        {WM_VSCROLL, SB_PAGEDOWN, 0, 14, 5, -120, -69},     // 37 lines asked, 5 allowed
        {WM_VSCROLL, SB_LINEDOWN, 0, 14, 5, -120, -69},
        {WM_SIZE, 0, 0, 14, 5, -120, -69},                  // minimised: positions kept
        {WM_SIZE, 800, 600, 0, 0, 20, 11},                  // restored: back toward 0, stopping there
        {WM_SIZE, 800, 100, 0, 0, 20, 11},
        {WM_VSCROLL, SB_PAGEDOWN, 0, 0, 6, 20, -85},        // 100 / 16 lines
        {WM_VSCROLL, SB_PAGEUP, 0, 0, 0, 20, 11},
        {WM_VSCROLL, SB_BOTTOM, 0, 0, 36, 20, -565},        // 40 - 6 + 2
        {WM_VSCROLL, SB_TOP, 0, 0, 0, 20, 11},
        {WM_SIZE, 800, 10, 0, 0, 20, 11},
        {WM_VSCROLL, SB_PAGEDOWN, 0, 0, 1, 20, -5},         // less than a line: one line
        {WM_VSCROLL, SB_PAGEUP, 0, 0, 0, 20, 11},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        if (row.message == WM_SIZE) SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(row.request, row.value));
        else SendMessageA(window, row.message, MAKEWPARAM(row.request, row.value), 0);
        EXPECT_EQ(GetScrollPos(window, SB_HORZ), row.column);
        EXPECT_EQ(GetScrollPos(window, SB_VERT), row.line);
        EXPECT_EQ(PlaceOf(ControlHandle(21)), Place(row.left, row.top, 740, 25));
    }
}

// Each press of control 0 steps the language; the playlist's rows stay and
// only the end marker after them is replaced; identifiers without a command do nothing.
TEST_F(MainWindow, LanguageCommandStepsThroughVariants)
{
    const char* const captions[] = {"Language", "Sprache", "Langue"};
    const char* const idleTexts[] = {"Ready", "Bereit", "Pr\xEAt"};
    const char* const endMarkers[] = {"(end)", "(Ende)", "(fin)"};
    struct Row { std::vector<int> variants, languages; };   // files besides PELORIX.h; language after each press
    const Row rows[] = {
        {{1, 2}, {1, 2, 0, 1}},
        {{2}, {0, 0}},                 // 1 is missing, so 2 is never reached
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.variants.size() << " variants");
        SetUp();
        Write("PELORIX.h", BaseLayout);
        for (int v : row.variants)
            Write(v == 1 ? "PELORIX.h01" : "PELORIX.h02", Variant(captions[v], idleTexts[v], endMarkers[v]));
        HWND window = Start();
        HWND playlist = ControlHandle(35);
        SendMessageA(playlist, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("/music/a.pxa"));
        SendMessageA(playlist, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("/music/b.pxa"));
        playbackState.playlistCount = 2;
        for (int language : row.languages) {
            SCOPED_TRACE(testing::Message() << "language " << language);
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(ControlHandle(0)));
            EXPECT_EQ(languageNumber, language);
            EXPECT_EQ(TextOf(ControlHandle(0)), captions[language]);
            EXPECT_EQ(TextOf(ControlHandle(21)), idleTexts[language]);
            EXPECT_EQ(TextOf(ControlHandle(23)), idleTexts[language]);
            EXPECT_EQ(RowsOf(playlist), std::string("/music/a.pxa|/music/b.pxa|") + endMarkers[language]);
            EXPECT_EQ(PlaceOf(ControlHandle(0)), "780,9 100x28");   // places of a reload are not applied
            EXPECT_EQ(GetFocus(), window);
        }
        for (int identifier : {7, 35, 59, 60, 0xFFFF}) {
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(identifier, 0), 0);
            EXPECT_EQ(languageNumber, row.languages.back()) << identifier;
        }
        EXPECT_EQ(FakeMessageBoxCount(), 0);
        EXPECT_EQ(playbackState.framesPerBuffer, 25);  // kept from start-up
    }
}
