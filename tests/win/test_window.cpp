// The main window: start-up with and without its layout file, scrolling by window messages, the
// language command stepping through the variants while another thread reads texts, its keys, the buffer option.
#include "playertest.h"

#include <atomic>
#include <cstring>

#include "app/mainwindow.h"
#include "window/scrolling.h"

// Texts 0, 21, 23, 43 and 45 differ between the base file and its variants.
static const char* const BaseLayout =
    "#define TIME 21 /*Time*/\r\n// 0, 0x50000000, 20, 4, 740, 16\r\n"
    "#define LANGUAGE 0 /*Language*/\r\n// 1, 0x50000000, 780, 3, 100, 18\r\n"
    "#define REPEAT 4 /*Repeat*/\r\n// 1, 0x50000003, 20, 73, 200, 16\r\n"
    "#define ADVANCE 5 /*Advance*/\r\n// 1, 0x50000003, 240, 73, 300, 16\r\n"
    "#define ODD 7 /*Odd*/\r\n// 4, 0x50000000, 0, 0, 10, 10\r\n"
    "#define STATUS 23 /*File*/\r\n// 0, 0x50000000, -5, 100, 960, 25\r\n"
    "#define CLEAR_FIRST 28 /*Clear first*/\r\n// 1, 0x50000003, 560, 73, 420, 16\r\n"
    "#define PLAYLIST 35 /*Playlist*/\r\n// 3, 0x50A00101, 20, 90, 740, 265\r\n"
    "#define IDLE 43 /*Ready*/\r\n#define END 45 /*(end)*/\r\n#define FRAMES 47 /*11*/\r\n#define DEVICE 48 /*-1*/\r\n";

static std::string Place(int x, int y, int width, int height)   // as "x,y widthxheight"
{
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
}

static std::string PlaceOf(HWND control)   // in the main window's client area
{
    RECT r = {};
    GetWindowRect(control, &r), MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return Place(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

static DWORD createdStyle;    // of the last main window created while the hook was set
static bool refuseCreation;   // the hook makes that creation fail
static LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam)
{
    const CREATESTRUCTA* create = code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs : nullptr;
    if (!create || IS_INTRESOURCE(create->lpszClass) || strcmp(create->lpszClass, "PELORIX"))
        return CallNextHookEx(nullptr, code, wParam, lParam);
    createdStyle = create->style;
    return refuseCreation;
}

static void CALLBACK QuitLate(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(7); }   // a loop left waiting

// Start-up with the real system font, scrolling; then the whole program when its window can't be created,
// and without the layout file, where it names the file and ends rather than waiting for messages.
TEST_F(Player, StartUpAndScrolling)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CBT, WatchCreation, nullptr, GetCurrentThreadId());
    Start({}, 0, 0, "", BaseLayout);
    EXPECT_EQ(createdStyle, 0x00FF0000u);
    EXPECT_EQ(FindWindowA("PELORIX", "PELORIX 2.2"), window);
    WNDCLASSA c = {};
    EXPECT_TRUE(GetClassInfoA(instance, "PELORIX", &c) && c.style == 3 &&
                c.hbrBackground == reinterpret_cast<HBRUSH>(16) && c.hIcon && c.hIcon != LoadIconA(nullptr, IDI_APPLICATION) &&
                c.hCursor == LoadCursorA(nullptr, IDC_ARROW));
    // The units from the system font: a variable-pitch one (bit 0 set) has columns of 3/2 its average
    // width; a fifth of a line is the margin.
    TEXTMETRICA font = {};
    HDC dc = GetDC(window);
    GetTextMetricsA(dc, &font), ReleaseDC(window, dc);
    const int line = font.tmHeight, column = font.tmAveCharWidth * (font.tmPitchAndFamily & 1 ? 3 : 2) / 2;
    // In tenths (14/100 of a line for y), the canvas scrolled by columns and lines.
    auto inUnits = [&](int x, int y, int width, int height, int columns = 0, int lines = 0) {
        return Place(x * column / 10 - columns * column, line / 5 + y * line * 14 / 100 - lines * line,
                     width * column / 10, height * line / 10);
    };
    std::string controls;   // identifier, class and place, in creation order
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        GetClassNameA(child, name, sizeof name);
        controls += std::to_string(GetDlgCtrlID(child)) + " " + name + " " + PlaceOf(child) + ", ";
    }
    EXPECT_EQ(controls, "0 Button " + inUnits(780, 3, 100, 18) + ", 4 Button " + inUnits(20, 73, 200, 16) +
                        ", 5 Button " + inUnits(240, 73, 300, 16) + ", 21 Static " + inUnits(20, 4, 740, 16) +
                        ", 23 Static " + inUnits(-5, 100, 960, 25) + ", 28 Button " + inUnits(560, 73, 420, 16) +
                        ", 35 ListBox " + inUnits(20, 90, 740, 265) + ", ");   // type 4 names no class: no 7
    EXPECT_EQ(Rows() + " " + Seen(), "(end) Ready|Ready|--|0 0 0");   // the idle texts, not the captions
    EXPECT_EQ(std::vector<int>({playbackState.framesPerBuffer, playbackState.deviceId, playbackState.playlistCount}),
              std::vector<int>({25, -1, 0}));

    // Both bars shown for every size below (one shown or hidden would send a WM_SIZE of its own).
    MoveWindow(window, 0, 0, 300, 200, TRUE);
    const int wide = 80 * column, high = 37 * line + line / 2;      // 22 columns and 5 lines to scroll
    struct Row { UINT message; int request, value, column, line; };   // WM_SIZE: width and height
    // An unchanged size goes one column back; only tracking moves the thumb; shrunk by less than a column:
    // one back, by a whole one: stays; grown by 1.5: 1 whole plus one; paging stops at the maximum; 37 lines
    // asked, 5 allowed; minimised: kept; restored: back toward 0, stopping there; a page of 6 lines; the
    // bottom at 40 - 6 + 2; less than a line: one line.
    const Row rows[] = {
        {WM_SIZE, wide, high, 0, 0}, {WM_HSCROLL, SB_LINERIGHT, 0, 1, 0}, {WM_SIZE, wide, high, 0, 0},
        {WM_HSCROLL, SB_THUMBPOSITION, 10, 0, 0}, {WM_HSCROLL, SB_THUMBTRACK, 10, 10, 0},
        {WM_SIZE, wide - column / 2, high, 9, 0}, {WM_SIZE, wide - column * 3 / 2, high, 9, 0},
        {WM_SIZE, wide, high, 7, 0}, {WM_HSCROLL, SB_PAGERIGHT, 0, 15, 0}, {WM_HSCROLL, SB_PAGERIGHT, 0, 22, 0},
        {WM_HSCROLL, SB_PAGELEFT, 0, 14, 0}, {WM_VSCROLL, SB_PAGEDOWN, 0, 14, 5}, {WM_SIZE, 0, 0, 14, 5},
        {WM_SIZE, wide, high, 0, 0}, {WM_HSCROLL, SB_LINELEFT, 0, 0, 0}, {WM_SIZE, wide, 6 * line + line / 4, 0, 0},
        {WM_VSCROLL, SB_PAGEDOWN, 0, 0, 6}, {WM_VSCROLL, SB_BOTTOM, 0, 0, 36}, {WM_VSCROLL, SB_TOP, 0, 0, 0},
        {WM_SIZE, wide, line / 2, 0, 0}, {WM_VSCROLL, SB_PAGEDOWN, 0, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        if (row.message == WM_SIZE) SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(row.request, row.value));
        else SendMessageA(window, row.message, MAKEWPARAM(row.request, row.value), 0);
        EXPECT_EQ(GetScrollPos(window, SB_HORZ), row.column);
        EXPECT_EQ(GetScrollPos(window, SB_VERT), row.line);
        EXPECT_EQ(PlaceOf(ControlHandle(PositionSlot)), inUnits(20, 4, 740, 16, row.column, row.line));
    }
    EXPECT_EQ(ResizeDelta(65535, 0, 1, 0), 0);   // extents are 16-bit
    EXPECT_EQ(ScrollMaximum(100, 800, 7), 0);    // never below 0
    // Moved to a monitor of 192 DPI: the window at the suggested rectangle, the controls in a font of that DPI
    // and placed in its units, the Playlist's rows as high as that font, the canvas back at 0; then back at 96
    // DPI, in the system font, as before.
    for (int dpi : {192, 96}) {
        RECT suggested = {10, 20, 1300, 1000}, now = {};
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(window, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested)) << dpi;
        HWND position = ControlHandle(PositionSlot);
        EXPECT_EQ(SendMessageA(position, WM_GETFONT, 0, 0) != 0, dpi != 96);
        RECT place = {};
        GetWindowRect(position, &place);
        if (dpi == 96) EXPECT_EQ(PlaceOf(position), inUnits(20, 4, 740, 16));
        else EXPECT_GE((place.right - place.left) * 10, 740 * column * 3 / 2) << PlaceOf(position);
        const LRESULT rowHeight = SendMessageA(ControlHandle(PlaylistSlot), LB_GETITEMHEIGHT, 0, 0);
        EXPECT_TRUE(dpi == 96 ? rowHeight == line : rowHeight * 2 >= line * 3) << dpi << ": rows " << rowHeight;
    }
    SendMessageA(window, WM_CLOSE, 0, 0), window = nullptr;
    EXPECT_EQ(RunMessageLoop(), 0);   // the quit message of the destroy

    ASSERT_TRUE(UnregisterClassA("PELORIX", instance));   // RunProgram registers it again
    refuseCreation = true;
    EXPECT_EQ(RunProgram(instance, SW_SHOWNORMAL), 999);
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    refuseCreation = false;
    ASSERT_TRUE(DeleteFileA((folder + "PELORIX.h").c_str()) && UnregisterClassA("PELORIX", instance));
    UINT_PTR timer = SetTimer(nullptr, 0, 10000, QuitLate);
    EXPECT_EQ(Answering([&] { EXPECT_EQ(RunProgram(instance, SW_SHOWNORMAL), 0); }),   // the quit start-up posted
              "I need " + folder + "PELORIX.h|Error|PELORIX");
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    window = FindWindowA("PELORIX", nullptr);
    EXPECT_EQ(GetWindow(window, GW_CHILD), nullptr);
}

static const char* const captions[] = {"Language", "Sprache", "Langue"}, *const idleTexts[] = {"Ready", "Bereit",
    "Pr\xC3\xAAt"}, *const endMarkers[] = {"(end)", "(Ende)", "(fin)"}, *const timeTexts[] = {"Time", "Zeit", "Temps"};

static bool OneOf(const char* text, const char* const (&choices)[3])
{
    return !strcmp(text, choices[0]) || !strcmp(text, choices[1]) || !strcmp(text, choices[2]);
}

static std::atomic<bool> readerDone;
static std::atomic<int> passes, torn;
// As the playback thread does while the window thread reloads: texts copied, and sent to the controls.
static DWORD WINAPI ReadTexts(void*)
{
    for (char text[400]; !readerDone; passes++) {
        torn += !OneOf((CopyLayoutText(PositionSlot, text, sizeof text), text), timeTexts);
        ShowIdleTexts();
        SendMessageA(ControlHandle(PositionSlot), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        torn += !OneOf(text, idleTexts);
    }
    return 0;
}

// Each press of control 0 steps the language; the Playlist's rows stay and only the end marker after them
// is replaced; identifiers without a command do nothing. Then another thread copies texts while each reload
// runs, and sends to the controls while the window thread waits: each text read is whole, of one language.
// Variant 2 is written as before names could be in any script, in Windows-1252, and shows as it did.
TEST_F(Player, LanguageCommandStepsThroughVariants)
{
    for (int v : {1, 2}) {   // each variant moves control 0, which a reload must not apply
        std::string text = std::string("#define TIME 21 /*") + timeTexts[v] +
              "*/\r\n// 0, 0x50000000, 20, 4, 740, 16\r\n#define LANGUAGE 0 /*" + captions[v] +
              "*/\r\n// 1, 0x50000000, 500, 30, 100, 18\r\n#define PLAYLIST 35 /*Playlist*/\r\n" +
              "// 3, 0x50A00101, 20, 90, 740, 265\r\n#define IDLE 43 /*" + idleTexts[v] + "*/\r\n#define END 45 /*" +
              endMarkers[v] + "*/\r\n";
        if (v == 2) text.replace(text.find("\xC3\xAA"), 2, "\xEA");
        Write("PELORIX.h0" + std::to_string(v), text);
    }
    Start({MakeClip("a.pxa", 500, 1, 10).path, MakeClip("b.pxa", 500, 1, 10).path}, 0, 0, "", BaseLayout);
    const std::string place = PlaceOf(ControlHandle(LanguageSlot));
    for (int language : {1, 2, 0, 1}) {   // no variant 3: back to the base file
        SetFocus(ControlHandle(PlaylistSlot));
        Command(LanguageSlot);
        EXPECT_EQ(TextOf(LanguageSlot) + "|" + TextOf(PositionSlot) + "|" + TextOf(StatusSlot) + "|" + Rows(),
                  std::string(captions[language]) + "|" + idleTexts[language] + "|" + idleTexts[language] +
                      "|a b " + endMarkers[language]);
        EXPECT_EQ(PlaceOf(ControlHandle(LanguageSlot)), place);   // places of a reload are not applied
        EXPECT_EQ(GetFocus(), window);
    }
    for (int identifier : {7, 35, 59, 60, 0xFFFF}) Command(identifier);
    EXPECT_EQ(TextOf(LanguageSlot) + "|" + Rows(), "Sprache|a b (Ende)");
    EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);
    EXPECT_EQ(playbackState.framesPerBuffer, 25);   // kept from start-up

    HANDLE reader = CreateThread(nullptr, 0, ReadTexts, nullptr, 0, nullptr);
    for (int press = 0; press < 99; press++) {   // 33 rounds: back at 1
        EXPECT_TRUE(PumpUntil([&, before = passes.load()] { return passes > before; }));
        Command(LanguageSlot);
    }
    readerDone = true;
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(reader, 0) == WAIT_OBJECT_0; }));
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(TextOf(LanguageSlot), "Sprache");
}

// Keys as the keyboard types them at the focus, with held down around key (with == key: held till it repeats);
// then carries out messages until key's release has been taken.
static bool Type(WORD key, WORD with)
{
    std::vector<INPUT> keys;
    auto add = [&](WORD code, DWORD flags) {
        keys.push_back({INPUT_KEYBOARD, {}}), keys.back().ki.wVk = code, keys.back().ki.dwFlags = flags;
    };
    if (with) add(with, 0);
    add(key, 0), add(key, KEYEVENTF_KEYUP);
    if (with && with != key) add(with, KEYEVENTF_KEYUP);
    SHORT toggled = GetKeyState(key) & 1;   // flips as each press is taken
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    return PumpUntil([&] { return (GetKeyState(key) & 1) != toggled && GetKeyState(key) >= 0; });
}

// Each key does what its control does: at the window (the Playlist's then) or at a control; after a press the
// focus is the Playlist's, so Space after Remove plays; a key held toggles once; plain Up and Down stay the
// Playlist's; the media keys as their buttons; seeks taken while idle add up; Tab in slot order through what
// takes the focus (no static, hidden or disabled control), round; Enter at a button presses it.
TEST_F(Player, KeysActAsTheirControls)
{
    Start({MakeClip("P.pxa", 500, 1, 3000).path, MakeClip("Q.pxa", 500, 1, 3000).path,
           MakeClip("R.pxa", 500, 1, 3000).path}, 0, 0, "25");
    EnableWindow(ControlHandle(Back5MinSlot), FALSE);
    auto look = [&] {   // rows|file|pushed|indices|focus pendingSeek
        std::string seen = Seen();
        HWND focus = GetFocus();
        return Rows() + seen.substr(seen.find('|')) + "|" +
               std::to_string(GetParent(focus) == window ? GetDlgCtrlID(focus) : -1) + " " +
               std::to_string(playbackState.pendingSeek);
    };
    // focus: the control given the focus first (-1: none), which key 0 clicks.
    struct Row { int focus; WORD key, with; const char* seen; };
    const WORD Ctrl = VK_CONTROL;
    const Row rows[] = {
        {-1, VK_DOWN, 0, "P Q R (end)|Ready|--|1 1 1|35 0"}, {RemoveSlot, 0, 0, "P R (end)|Ready|--|1 1 1|35 0"},
        {-1, VK_SPACE, 0, "P R (end)|R.pxa|P-|1 1 1|35 0"}, {-1, VK_SPACE, VK_SPACE, "P R (end)|R.pxa|PP|1 1 1|35 0"},
        {-1, VK_SPACE, 0, "P R (end)|R.pxa|P-|1 1 1|35 0"}, {-1, VK_UP, Ctrl, "P R (end)|P.pxa|P-|0 0 0|35 0"},
        {-1, VK_DOWN, Ctrl, "P R (end)|R.pxa|P-|1 1 1|35 0"}, {-1, VK_UP, 0, "P R (end)|R.pxa|P-|1 0 0|35 0"},
        {-1, VK_RETURN, 0, "P R (end)|P.pxa|P-|0 0 0|35 0"},
        {-1, VK_MEDIA_PLAY_PAUSE, 0, "P R (end)|P.pxa|PP|0 0 0|35 0"},
        {-1, VK_MEDIA_NEXT_TRACK, 0, "P R (end)|R.pxa|P-|1 1 1|35 0"},
        {-1, VK_MEDIA_PREV_TRACK, 0, "P R (end)|P.pxa|P-|0 0 0|35 0"},
        {-1, VK_MEDIA_STOP, 0, "P R (end)|Ready|--|0 0 0|35 0"}, {-1, VK_LEFT, 0, "P R (end)|Ready|--|0 0 0|35 -150"},
        {-1, VK_RIGHT, 0, "P R (end)|Ready|--|0 0 0|35 0"}, {-1, VK_LEFT, Ctrl, "P R (end)|Ready|--|0 0 0|35 -3000"},
        {-1, VK_RIGHT, Ctrl, "P R (end)|Ready|--|0 0 0|35 0"}, {-1, VK_DELETE, 0, "R (end)|Ready|--|0 0 0|35 0"},
        {PlaylistSlot, VK_TAB, 0, "R (end)|Ready|--|0 0 0|0 0"},
        {LanguageSlot, VK_TAB, VK_SHIFT, "R (end)|Ready|--|0 0 0|35 0"},
        {NextSlot, VK_TAB, 0, "R (end)|Ready|--|0 0 0|25 0"}, {AdvanceSlot, VK_TAB, 0, "R (end)|Ready|--|0 0 0|10 0"},
        {PreviousSlot, VK_TAB, 0, "R (end)|Ready|--|0 0 0|12 0"}, {RemoveSlot, VK_RETURN, 0, "(end)|Ready|--|0 0 0|35 0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        if (row.focus >= 0) SetFocus(ControlHandle(row.focus));
        if (row.key) ASSERT_TRUE(Type(row.key, row.with));
        else SendMessageA(ControlHandle(row.focus), BM_CLICK, 0, 0);
        // What it shows, once a session has opened or ended (Space while one opens would be Play again).
        auto settled = [] { return playbackState.playing == playbackState.threadActive; };
        EXPECT_TRUE(PumpUntil([&] { return look() == row.seen && settled(); })) << look();
    }
}

TEST(PlaybackOptions, FramesPerBufferFromText)
{
    struct Row { const char* text; int frames; };
    const Row rows[] = {{"5", 5}, {"6", 10}, {"10", 10}, {"11", 25}, {"25", 25}, {"26", 50}, {"0", 5}, {"", 5},
                        {"abc", 5}, {"-7", 5}, {" 12", 25}, {"7 frames", 10}, {"99999999999999999999", 50}};
    for (const Row& row : rows) EXPECT_EQ(FramesPerBufferFromText(row.text), row.frames) << '"' << row.text << '"';
}
