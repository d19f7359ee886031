// The main window: registration, creation, the message loop and the window
// procedure, whose WM_CREATE runs the program's start-up.
#include "app/mainwindow.h"

#include <shellapi.h>

#include "app/commandline.h"
#include "codec/streamformat.h"
#include "playback/playbackstate.h"
#include "playback/playbackthread.h"
#include "ui/commands.h"
#include "ui/items.h"
#include "ui/keys.h"
#include "ui/options.h"
#include "ui/playlist.h"
#include "ui/playlistview.h"
#include "window/controls.h"
#include "window/dpi.h"
#include "window/layout.h"
#include "window/paths.h"
#include "window/scrolling.h"
#include "window/units.h"

static const char* const MainClassName = "PELORIX";
static const char* const MainCaption = "PELORIX 2.2";
static const int PlayerIcon = 1;   // the ICON of the exe's resources (cmake/resources.cmake)

static HINSTANCE programInstance;   // for creating the controls
static bool startedUp;              // the layout loaded and the controls exist
static bool shutDown;               // WM_DESTROY has been handled
static int windowDpi;               // the DPI the controls' font and units are made for
static HFONT controlFont;           // of the controls at windowDpi; NULL: the system font (96 DPI)
static LayoutUnits layoutUnits;     // measured from controlFont; every size comes from them

static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

ATOM RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(PlayerIcon));
    windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(PlayerIcon), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                        LR_SHARED));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = MainClassName;
    return RegisterClassExA(&windowClass);
}

HWND OpenMainWindow(HINSTANCE instance, int showCommand)
{
    programInstance = instance;
    HWND window = CreateWindowExA(0, MainClassName, MainCaption, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    if (startedUp) {   // big enough for every control, as far as the monitor allows; the bars scroll the rest
        SIZE extent = LayoutExtent(layoutUnits);
        FitMainWindow(window, extent.cx, extent.cy, windowDpi);
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

int RunMessageLoop()
{
    MSG message = {};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        if (HandleKey(message)) continue;   // a key standing for a control, as an accelerator would
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : Failed;
}

int RunProgram(HINSTANCE instance, int showCommand)
{
    // Items for a player already running on the same PELORIX.ini go to it, and this start ends.
    FindProgramPaths();
    ReadCommandLine();
    if (HandItemsOver(MainClassName) == Ok) return 0;
    if (!RegisterMainWindowClass(instance)) return 0;
    HWND window = OpenMainWindow(instance, showCommand);
    if (!window) return Failed;
    if (startedUp) AddCommandItems(window);
    return RunMessageLoop();
}

// WM_CREATE. A missing layout file ends start-up before any control exists;
// the loader has then shown "I need <path>" and posted the quit message.
static void StartUp(HWND window)
{
    startedUp = false;
    shutDown = false;
    windowDpi = WindowDpi(window);
    if (controlFont) DeleteObject(controlFont);
    controlFont = MakeFontForDpi(windowDpi);
    LayoutUnits units = layoutUnits = MeasureLayoutUnits(window, controlFont);
    InitScrolling(units);
    ForgetControls();
    SetDefaultOptions();
    if (FindProgramPaths() == Ok) ReadSettings();   // not found: both paths stay empty, so the load below fails
    if (LoadProgramLayout(window, languageNumber) != Ok) return;
    InitPlaybackOptions();
    SetPlaylistFont(controlFont);   // the rows' height, measured as the list box is made
    CreateControls(window, programInstance, units);
    if (controlFont) PlaceControls(units, controlFont);
    WatchPlaylistRows(ControlHandle(PlaylistSlot));
    ShowIdleTexts();
    ResetPlaybackFlags();
    FillPlaylist();
    DragAcceptFiles(window, TRUE);
    startedUp = true;
}

// WM_DESTROY, from the exit command or the window's destruction: the playback
// thread is stopped first, so the device and the stream file are closed by
// the thread that owns them, then the settings are written. Once only, and
// only after a whole start-up: the system destroys at process end a window
// that the exit command already took down, or one whose layout was missing.
static void ShutDown()
{
    if (shutDown) return;
    shutDown = true;
    StopPlaybackAndWait();
    if (startedUp) WriteSettings();
    PostQuitMessage(0);
}

// WM_DPICHANGED: the font and units of the new DPI, every control placed in
// them with the canvas back at 0, and the window at the suggested rectangle
// (without one, as large as the layout).
static void ChangeDpi(HWND window, int dpi, const RECT* suggested)
{
    if (!startedUp || shutDown || dpi <= 0) return;
    HFONT font = MakeFontForDpi(dpi);
    windowDpi = dpi;
    layoutUnits = MeasureLayoutUnits(window, font);
    InitScrolling(layoutUnits);
    PlaceControls(layoutUnits, font);
    SetPlaylistFont(font);
    if (controlFont) DeleteObject(controlFont);
    controlFont = font;
    SIZE extent = LayoutExtent(layoutUnits);
    if (suggested)
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    else FitMainWindow(window, extent.cx, extent.cy, dpi);
    RECT client = {};
    GetClientRect(window, &client);   // the bars for the new units, also when the size stayed
    ScrollOnResize(window, MAKELPARAM(client.right, client.bottom));
    InvalidateRect(window, nullptr, TRUE);
}

static void Paint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: StartUp(window); return 0;
    case WM_DESTROY: ShutDown(); return 0;
    case WM_SIZE: ScrollOnResize(window, lParam); return 0;
    case WM_PAINT: Paint(window); return 0;
    case WM_DPICHANGED:   // wParam the new DPI, lParam the suggested window rectangle
        ChangeDpi(window, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND: HandleCommand(window, wParam, lParam); return 0;
    case WM_APPCOMMAND: if (HandleAppCommand(window, lParam)) return TRUE; break;
    case WM_HSCROLL: ScrollHorizontally(window, wParam); return 0;
    case WM_VSCROLL: ScrollVertically(window, wParam); return 0;
    case WM_COPYDATA:   // items from a second start
        return startedUp && !shutDown && TakeHandedItems(window, reinterpret_cast<COPYDATASTRUCT*>(lParam));
    case WM_DROPFILES: DropItems(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_MEASUREITEM: return MeasurePlaylistRow(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_DRAWITEM: return DrawPlaylistRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case PlayingMessage: ShowPlaying(window, MainCaption, reinterpret_cast<const char*>(lParam)); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
