// pelorix-driver: a console program that finds the running player's window
// (class "PELORIX") and steers or reads it from another process: for the
// demo and the benchmarks under Wine. One operation
// per call (the table at the end); results on standard output. Exit status 0
// when the operation succeeded, 1 when the window or control was not there,
// did not answer or a wait ran out, 2 for a usage error.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const int PollMillis = 20;
const UINT SendTimeoutMillis = 5000;   // a hung player fails the call instead of the test run

static HWND mainWindow;                // the player's window, found by FindPlayer

static bool FindPlayer()
{
    mainWindow = FindWindowA("PELORIX", nullptr);
    if (mainWindow == nullptr) fputs("pelorix-driver: no PELORIX window\n", stderr);
    return mainWindow != nullptr;
}

// "main" names the main window; a number names the child with that identifier.
static HWND FindControl(const char* id)
{
    if (!FindPlayer()) return nullptr;
    if (strcmp(id, "main") == 0) return mainWindow;
    HWND control = GetDlgItem(mainWindow, atoi(id));
    if (control == nullptr) fprintf(stderr, "pelorix-driver: no control %s\n", id);
    return control;
}

// Polls until a visible window of the player's class is there.
static int AwaitShown(int millis)
{
    for (int waited = 0;; waited += PollMillis) {
        HWND window = FindWindowA("PELORIX", nullptr);
        if (window != nullptr && IsWindowVisible(window)) return 0;
        if (waited >= millis) return 1;
        Sleep(PollMillis);
    }
}

// Messages to another process's window go through the system; a timeout keeps
// a hung window from hanging the driver. The result printed when asked.
static int Send(const char* id, UINT message, WPARAM wParam, LPARAM lParam, bool print)
{
    HWND window = FindControl(id);
    DWORD_PTR answer = 0;
    if (window == nullptr) return 1;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SendTimeoutMillis, &answer) == 0) {
        fputs("pelorix-driver: the window did not answer\n", stderr);
        return 1;
    }
    if (print) printf("%ld\n", (long)answer);
    return 0;
}

static int PrintText(const char* id)
{
    static char text[4096];
    if (Send(id, WM_GETTEXT, sizeof text, (LPARAM)text, false) != 0) return 1;
    puts(text);
    return 0;
}

// WM_COMMAND as the control itself sends it: identifier in the low word, the
// notification code (BN_CLICKED when left out) in the high word, the control's
// handle in lParam. Posted, or sent to wait until it is handled.
static int Command(int count, char** operand, bool wait)
{
    if (!FindPlayer()) return 1;
    int identifier = atoi(operand[0]);
    WPARAM wParam = MAKEWPARAM(identifier, count == 2 ? atoi(operand[1]) : BN_CLICKED);
    LPARAM control = (LPARAM)GetDlgItem(mainWindow, identifier);
    if (wait) return Send("main", WM_COMMAND, wParam, control, false);
    return PostMessageA(mainWindow, WM_COMMAND, wParam, control) ? 0 : 1;
}

// Posted, then the moment of posting on the clock the host's own tools read
// (microseconds since 1970), so that a benchmark can set it against the
// times at which the captured audio changed.
static int StampedCommand(int count, char** operand)
{
    if (Command(count, operand, false) != 0) return 1;
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULONGLONG ticks = (ULONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime;   // 100 ns since 1601
    printf("%llu\n", (ticks - 116444736000000000ull) / 10);
    return 0;
}

static int PrintRect(const char* id)
{
    HWND window = FindControl(id);
    RECT rect;
    if (window == nullptr || !GetWindowRect(window, &rect)) return 1;
    printf("%ld %ld %ld %ld\n", (long)rect.left, (long)rect.top, (long)rect.right, (long)rect.bottom);
    return 0;
}

// The main window's client area, in screen pixels.
static int PrintClient()
{
    RECT rect;
    if (!FindPlayer() || !GetClientRect(mainWindow, &rect)) return 1;
    MapWindowPoints(mainWindow, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    printf("%ld %ld %ld %ld\n", (long)rect.left, (long)rect.top, (long)rect.right, (long)rect.bottom);
    return 0;
}

// The system font, as the player measures it for its layout units.
static int PrintMetrics()
{
    HDC context = GetDC(nullptr);
    TEXTMETRICA metrics;
    BOOL measured = GetTextMetricsA(context, &metrics);
    ReleaseDC(nullptr, context);
    if (!measured) return 1;
    printf("%ld %ld %d\n", (long)metrics.tmAveCharWidth, (long)metrics.tmHeight, (int)metrics.tmPitchAndFamily);
    return 0;
}

// The file-name field of the visible file dialog: an Edit in the ComboBox in
// ComboBoxEx32 1148 of a "#32770" box; NULL while there is none.
static HWND FileNameField(HWND* box)
{
    *box = FindWindowA("#32770", nullptr);
    if (*box == nullptr || !IsWindowVisible(*box)) return nullptr;
    HWND combo = FindWindowExA(GetDlgItem(*box, 1148), nullptr, "ComboBox", nullptr);
    return FindWindowExA(combo, nullptr, "Edit", nullptr);
}

// Answers the file dialog that an add command opened, once the dialog has put
// its own start text in the field and left it (5 polls alike), then polls the
// Playlist (35) until it holds rows rows. Prints the milliseconds from the
// answer to the poll that saw them: the window thread answers no poll while
// it adds, so this is the add's time.
static int AnswerFileDialog(const char* answer, int rows)
{
    HWND box = nullptr, field = nullptr;
    char text[4096] = "", last[4096] = "";
    for (int waited = 0, same = 0; same < 5; waited += PollMillis, Sleep(PollMillis)) {
        if (waited >= 10000) {
            fputs("pelorix-driver: no file dialog\n", stderr);
            return 1;
        }
        field = FileNameField(&box);
        if (field == nullptr) continue;
        GetWindowTextA(field, text, sizeof text);
        same = strcmp(text, last) == 0 ? same + 1 : 0;
        strcpy(last, text);
    }
    HWND playlist = FindControl("35");
    if (playlist == nullptr) return 1;
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM)answer);
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (;; Sleep(1)) {
        DWORD_PTR count = 0;
        // No SMTO_ABORTIFHUNG: a window busy adding for minutes is what is measured.
        if (SendMessageTimeoutA(playlist, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 600000, &count) == 0) {
            fputs("pelorix-driver: the Playlist did not answer\n", stderr);
            return 1;
        }
        if ((long)count >= rows) break;
        QueryPerformanceCounter(&now);
        if (now.QuadPart - start.QuadPart > 600 * frequency.QuadPart) {
            fprintf(stderr, "pelorix-driver: the Playlist holds %ld rows, not %d\n", (long)count, rows);
            return 1;
        }
    }
    QueryPerformanceCounter(&now);
    printf("%lld\n", (long long)((now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart));
    return 0;
}

struct Operation {
    const char* name;
    const char* operands;
    int least, most;
    int (*run)(int count, char** operand);
};

// ID is a control's identifier, or main for the main window; MS a time in milliseconds.
static const Operation Operations[] = {
    {"wait", "MS", 1, 1, [](int, char** a) { return AwaitShown(atoi(a[0])); }},   // the window shown
    {"text", "ID", 1, 1, [](int, char** a) { return PrintText(a[0]); }},
    {"state", "ID", 1, 1, [](int, char** a) { return Send(a[0], BM_GETSTATE, 0, 0, true); }},
    {"command", "ID [CODE]", 1, 2, [](int n, char** a) { return Command(n, a, false); }},
    {"send", "ID [CODE]", 1, 2, [](int n, char** a) { return Command(n, a, true); }},
    {"stamped", "ID [CODE]", 1, 2, StampedCommand},
    {"close", "", 0, 0, [](int, char**) { return FindPlayer() && PostMessageA(mainWindow, WM_CLOSE, 0, 0) ? 0 : 1; }},
    {"rect", "ID", 1, 1, [](int, char** a) { return PrintRect(a[0]); }},   // left top right bottom, screen pixels
    {"client", "", 0, 0, [](int, char**) { return PrintClient(); }},   // left top right bottom, screen pixels
    {"move", "X Y W H", 4, 4,
     [](int, char** a) {
         return FindPlayer() && SetWindowPos(mainWindow, nullptr, atoi(a[0]), atoi(a[1]), atoi(a[2]), atoi(a[3]),
                                             SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 1;
     }},
    {"metrics", "", 0, 0, [](int, char**) { return PrintMetrics(); }},
    // the file dialog answered, then the milliseconds until the Playlist holds ROWS rows (end marker included)
    {"dialog", "ANSWER ROWS", 2, 2, [](int, char** a) { return AnswerFileDialog(a[0], atoi(a[1])); }},
};

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);   // LF line ends, as the scripts compare them
    for (const Operation& operation : Operations) {
        if (argc >= 2 && strcmp(argv[1], operation.name) == 0 && argc - 2 >= operation.least &&
            argc - 2 <= operation.most) {
            int result = operation.run(argc - 2, argv + 2);
            fflush(stdout);
            return result;
        }
    }
    fputs("usage: pelorix-driver OPERATION ...\n", stderr);
    for (const Operation& operation : Operations) fprintf(stderr, "  %s %s\n", operation.name, operation.operands);
    return 2;
}
