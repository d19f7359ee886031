// pelorix-driver: a console program that finds the running player's window
// (class "PELORIX") and inspects or steers it from another process, for the
// end-to-end tests under Wine. One operation per call (the table at the end
// lists them); results on standard output, one value or one row per line.
// Exit status 0 when the operation succeeded (or its condition held), 1 when
// the window, control or dialog was not there or a wait ran out, 2 for a
// usage error. Texts are printed with C escapes: \\ \n \r \t \" and \xHH
// outside 0x20..0x7E.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const int PollMillis = 20;
const UINT SendTimeoutMillis = 5000;   // a hung player fails the call instead of the test run
const int TextSize = 4096;
const int ClassSize = 256;

static HWND mainWindow;                // the player's window, found by FindPlayer

static bool FindPlayer()
{
    mainWindow = FindWindowA("PELORIX", nullptr);
    if (mainWindow != nullptr) return true;
    fputs("pelorix-driver: no PELORIX window\n", stderr);
    return false;
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

// A visible top-level window of the class, polled for up to millis.
static HWND FindVisible(const char* className, int millis)
{
    for (int waited = 0;; waited += PollMillis) {
        HWND window = FindWindowA(className, nullptr);
        if (window != nullptr && IsWindowVisible(window)) return window;
        if (waited >= millis) return nullptr;
        Sleep(PollMillis);
    }
}

// Polls until no window of the player's class is left, hidden or not.
static int WaitGone(int millis)
{
    for (int waited = 0; FindWindowA("PELORIX", nullptr) != nullptr; waited += PollMillis) {
        if (waited >= millis) return 1;
        Sleep(PollMillis);
    }
    return 0;
}

static HWND FindDialog(int millis)
{
    HWND dialog = FindVisible("#32770", millis);
    if (dialog == nullptr) fputs("pelorix-driver: no dialog box\n", stderr);
    return dialog;
}

// Messages to another process's window go through the system; a timeout keeps
// a hung window from hanging the driver.
static bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SendTimeoutMillis, &answer) == 0) {
        fputs("pelorix-driver: the window did not answer\n", stderr);
        return false;
    }
    result = (LRESULT)answer;
    return true;
}

static bool ReadText(HWND window, char* text)
{
    LRESULT length;
    text[0] = 0;
    if (!Send(window, WM_GETTEXT, TextSize, (LPARAM)text, length)) return false;
    if (length < 0) length = 0;
    if (length >= TextSize) length = TextSize - 1;
    text[length] = 0;
    return true;
}

// The text escaped, then the end of the line.
static void PrintLine(const char* text)
{
    for (const unsigned char* c = (const unsigned char*)text; *c != 0; c++) {
        if (*c == '\\') fputs("\\\\", stdout);
        else if (*c == '\n') fputs("\\n", stdout);
        else if (*c == '\r') fputs("\\r", stdout);
        else if (*c == '\t') fputs("\\t", stdout);
        else if (*c == '"') fputs("\\\"", stdout);
        else if (*c < 0x20 || *c > 0x7E) printf("\\x%02X", *c);
        else putchar(*c);
    }
    putchar('\n');
}

static int PrintText(const char* id)
{
    HWND control = FindControl(id);
    char text[TextSize];
    if (control == nullptr || !ReadText(control, text)) return 1;
    PrintLine(text);
    return 0;
}

// Sends a message to a control and prints the result.
static int PrintResult(const char* id, UINT message, WPARAM wParam)
{
    HWND control = FindControl(id);
    LRESULT result;
    if (control == nullptr || !Send(control, message, wParam, 0, result)) return 1;
    printf("%ld\n", (long)result);
    return 0;
}

// Every string of the list box, a line each. Asked for in UTF-16 and converted
// here: Wine 8 hands an ANSI LB_GETTEXT from another process back unconverted.
static int PrintListRows(const char* id)
{
    HWND list = FindControl(id);
    LRESULT rows, length;
    if (list == nullptr || !Send(list, LB_GETCOUNT, 0, 0, rows)) return 1;
    for (int index = 0; index < rows; index++) {
        static WCHAR wide[TextSize];
        char text[TextSize];
        DWORD_PTR copied = 0;
        if (!Send(list, LB_GETTEXTLEN, (WPARAM)index, 0, length) || length < 0 || length >= TextSize ||
            SendMessageTimeoutW(list, LB_GETTEXT, (WPARAM)index, (LPARAM)wide, SMTO_ABORTIFHUNG,
                                SendTimeoutMillis, &copied) == 0 ||
            (LRESULT)copied < 0 || copied >= (DWORD_PTR)TextSize) {
            fprintf(stderr, "pelorix-driver: list box %s did not give string %d\n", id, index);
            return 1;
        }
        wide[copied] = 0;
        if (WideCharToMultiByte(CP_ACP, 0, wide, -1, text, TextSize, nullptr, nullptr) == 0) return 1;
        PrintLine(text);
    }
    return 0;
}

// WM_COMMAND as the control itself sends it: identifier in the low word, the
// notification code in the high word, the control's handle in lParam.
static int Command(int identifier, int code, bool wait)
{
    if (!FindPlayer()) return 1;
    HWND control = GetDlgItem(mainWindow, identifier);
    WPARAM wParam = MAKEWPARAM(identifier, code);
    if (!wait) return PostMessageA(mainWindow, WM_COMMAND, wParam, (LPARAM)control) ? 0 : 1;
    LRESULT result;
    return Send(mainWindow, WM_COMMAND, wParam, (LPARAM)control, result) ? 0 : 1;
}

// The moment of posting, on the clock the host's own tools read, so that a
// benchmark can set it against the times at which the captured audio changed.
static int StampedCommand(int identifier, int code)
{
    if (Command(identifier, code, false) != 0) return 1;
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULONGLONG ticks = (ULONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime;   // 100 ns since 1601
    const ULONGLONG UnixEpochTicks = 116444736000000000ull;
    printf("%llu\n", (ticks - UnixEpochTicks) / 10);
    return 0;
}

// The leading members of SYSTEM_PROCESS_INFORMATION, which winternl.h hides.
struct ProcessEntry {
    ULONG nextEntryOffset;
    ULONG numberOfThreads;
    LARGE_INTEGER reserved[3];
    LARGE_INTEGER createTime, userTime, kernelTime;   // 100 ns units
    UNICODE_STRING imageName;
    LONG basePriority;
    HANDLE uniqueProcessId;
    HANDLE inheritedFromUniqueProcessId;
    ULONG handleCount;
};

// The player's entry in the system's process list, or null. Wine 8 gives
// another process's times and handle count only there: its GetProcessTimes
// returns the caller's own times, its GetProcessHandleCount 0.
static const ProcessEntry* PlayerEntry()
{
    DWORD process = 0;
    if (!FindPlayer() || GetWindowThreadProcessId(mainWindow, &process) == 0) return nullptr;
    typedef LONG(WINAPI * QueryFunction)(ULONG, PVOID, ULONG, PULONG);
    QueryFunction query =
        (QueryFunction)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    const ULONG SystemProcessInformation = 5;
    static ULONGLONG list[1 << 18];   // 2 MB, aligned for the entries
    ULONG length = 0;
    if (query == nullptr || query(SystemProcessInformation, list, sizeof list, &length) != 0) {
        fputs("pelorix-driver: no process list\n", stderr);
        return nullptr;
    }
    for (const char* at = (const char*)list;; ) {
        const ProcessEntry& entry = *(const ProcessEntry*)at;
        if ((DWORD)(DWORD_PTR)entry.uniqueProcessId == process) return &entry;
        if (entry.nextEntryOffset == 0) break;
        at += entry.nextEntryOffset;
    }
    fputs("pelorix-driver: the player is not in the process list\n", stderr);
    return nullptr;
}

// The player's CPU time so far (user and kernel milliseconds), or its handle count.
static int PrintProcessFigures(bool handles)
{
    const ProcessEntry* entry = PlayerEntry();
    if (entry == nullptr) return 1;
    if (handles) printf("%lu\n", (unsigned long)entry->handleCount);
    else printf("%llu %llu\n", (ULONGLONG)entry->userTime.QuadPart / 10000,
                (ULONGLONG)entry->kernelTime.QuadPart / 10000);
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

// One row per direct child (a dialog's combo boxes have children of their
// own), tab-separated, rectangle in the main window's client coordinates.
static BOOL CALLBACK PrintChild(HWND child, LPARAM failed)
{
    char className[ClassSize];
    char text[TextSize];
    if (GetParent(child) != mainWindow) return TRUE;
    if (GetClassNameA(child, className, ClassSize) == 0) className[0] = 0;
    if (!ReadText(child, text)) *(bool*)failed = true;
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, mainWindow, (POINT*)&rect, 2);
    printf("%d\t%s\t0x%08lX\t%ld\t%ld\t%ld\t%ld\t", GetDlgCtrlID(child), className,
           (unsigned long)(GetWindowLongA(child, GWL_STYLE) & 0xFFFFFFFFul), (long)rect.left, (long)rect.top,
           (long)(rect.right - rect.left), (long)(rect.bottom - rect.top));
    PrintLine(text);
    return TRUE;
}

static int PrintChildren()
{
    bool failed = false;
    if (!FindPlayer()) return 1;
    EnumChildWindows(mainWindow, PrintChild, (LPARAM)&failed);
    return failed ? 1 : 0;
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

// The message text is the static control that has text; the icon's has none.
static BOOL CALLBACK FindDialogText(HWND window, LPARAM text)
{
    char className[ClassSize];
    if (GetClassNameA(window, className, ClassSize) == 0 || lstrcmpiA(className, "Static") != 0) return TRUE;
    return !ReadText(window, (char*)text) || ((char*)text)[0] == 0;
}

static int PrintMessageBox(int millis)
{
    HWND dialog = FindDialog(millis);
    char caption[TextSize];
    static char message[TextSize];
    if (dialog == nullptr || !ReadText(dialog, caption)) return 1;
    message[0] = 0;
    EnumChildWindows(dialog, FindDialogText, (LPARAM)message);
    PrintLine(caption);
    PrintLine(message);
    return 0;
}

// Posted, as a click would arrive: the dialog's own loop runs in the player.
static int PressDialogButton(int identifier)
{
    HWND dialog = FindDialog(0);
    HWND button = dialog == nullptr ? nullptr : GetDlgItem(dialog, identifier);
    if (button == nullptr) return 1;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(identifier, BN_CLICKED), (LPARAM)button) ? 0 : 1;
}

// The file-name field is an Edit inside the ComboBox inside ComboBoxEx32 1148.
// The dialog shows itself before it puts the initial name there (or empties
// the field, for a folder), so the name is set until it has read back for a
// few polls; then Open is posted as a press of Return would.
static int AnswerOpenDialog(const char* text, int millis)
{
    char shown[TextSize];
    int steady = 0;
    for (int waited = 0; waited <= millis; waited += PollMillis) {
        HWND dialog = FindVisible("#32770", 0);
        HWND field = dialog == nullptr ? nullptr : GetDlgItem(dialog, 1148);
        HWND combo = field == nullptr ? nullptr : FindWindowExA(field, nullptr, "ComboBox", nullptr);
        HWND edit = combo == nullptr ? nullptr : FindWindowExA(combo, nullptr, "Edit", nullptr);
        LRESULT done;
        if (edit != nullptr && ReadText(edit, shown)) {
            if (strcmp(shown, text) != 0) {
                steady = 0;
                if (!Send(edit, WM_SETTEXT, 0, (LPARAM)text, done)) return 1;
            } else if (++steady == 3) {
                return PostMessageA(dialog, WM_COMMAND, IDOK, 0) ? 0 : 1;
            }
        }
        Sleep(PollMillis);
    }
    fputs("pelorix-driver: no open-file dialog took the name\n", stderr);
    return 1;
}

// The soak's commands: kind, control identifier, frames a seek moves, share
// in 100. "dbl" picks a random Playlist row, the end marker included.
struct SoakCommand {
    const char* kind;
    int identifier;
    int frames;
    int weight;
};
static const SoakCommand SoakCommands[] = {
    {"seek", 11, -15000, 5}, {"seek", 12, -3000, 5}, {"seek", 13, -750, 7}, {"seek", 14, -150, 8},
    {"seek", 16, 150, 8}, {"seek", 17, 750, 7}, {"seek", 18, 3000, 5}, {"seek", 19, 15000, 5},
    {"pause", 15, 0, 10}, {"play", 1, 0, 16}, {"stop", 2, 0, 4}, {"next", 20, 0, 6}, {"prev", 10, 0, 4},
    {"dbl", 35, 0, 6}, {"lang", 0, 0, 4},
};

static unsigned long long soakState;
static unsigned SoakRandom(unsigned bound)   // xorshift64*: the same sequence on every platform
{
    soakState ^= soakState >> 12;
    soakState ^= soakState << 25;
    soakState ^= soakState >> 27;
    return (unsigned)((soakState * 2685821657736338717ull) >> 33) % bound;
}

// Capture files so far (CAPTURE, CAPTURE.0001, ...) and the size of the last;
// counted on from the last call, as files only come.
static void CaptureMark(const char* capture, int& files, long long& size)
{
    char name[MAX_PATH];
    WIN32_FILE_ATTRIBUTE_DATA data;
    for (;; files++) {
        if (files == 0) snprintf(name, sizeof name, "%s", capture);
        else snprintf(name, sizeof name, "%s.%04d", capture, files);
        if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data)) break;
        size = (long long)data.nFileSizeHigh << 32 | data.nFileSizeLow;
    }
}

static int Soak(unsigned seed, int count, int maxGapMillis, const char* capture)
{
    soakState = 0x9E3779B97F4A7C15ull ^ seed;
    int files = 0;
    long long size = 0;
    for (int i = 0; i < count; i++) {
        // Mostly short gaps, where commands race each other and the playback
        // thread, and now and then a long one, where an entry can play out.
        unsigned gap = SoakRandom(maxGapMillis + 1);
        Sleep((DWORD)((unsigned long long)gap * gap / (maxGapMillis > 0 ? maxGapMillis : 1)));
        unsigned pick = SoakRandom(100);
        const SoakCommand* command = SoakCommands;
        while (pick >= (unsigned)command->weight) pick -= command++->weight;
        HWND list = FindControl("35");
        LRESULT rows = 0, done;
        if (list == nullptr || !Send(list, LB_GETCOUNT, 0, 0, rows)) return 1;
        bool row = command->identifier == 35;
        int argument = row ? (int)SoakRandom(rows > 0 ? (unsigned)rows : 1) : command->frames;
        CaptureMark(capture, files, size);
        printf("%d %s %d %d %lld\n", i, command->kind, argument, files, files > 0 ? size : 0);
        fflush(stdout);
        if (row && !Send(list, LB_SETCURSEL, argument, 0, done)) return 1;
        if (Command(command->identifier, row ? LBN_DBLCLK : BN_CLICKED, true) != 0) {
            fprintf(stderr, "pelorix-driver: command %d (%s) was not handled\n", i, command->kind);
            return 1;
        }
    }
    return 0;
}

// An operation: its name, its operands (some last ones optional).
struct Operation {
    const char* name;
    const char* operands;
    int least, most;
    int (*run)(int count, char** operand);
};

static int CodeOperand(int count, char** operand)   // [CODE], BN_CLICKED when left out
{
    return count == 2 ? atoi(operand[1]) : BN_CLICKED;
}

// ID is a control's identifier, or main for the main window; MS a time in milliseconds.
static const Operation Operations[] = {
    // a visible top-level window of CLASS within MS; the player's window gone within MS
    {"wait", "CLASS MS", 2, 2, [](int, char** a) { return FindVisible(a[0], atoi(a[1])) != nullptr ? 0 : 1; }},
    {"gone", "MS", 1, 1, [](int, char** a) { return WaitGone(atoi(a[0])); }},
    {"text", "ID", 1, 1, [](int, char** a) { return PrintText(a[0]); }},
    {"rows", "ID", 1, 1, [](int, char** a) { return PrintListRows(a[0]); }},
    {"lbcursel", "ID", 1, 1, [](int, char** a) { return PrintResult(a[0], LB_GETCURSEL, 0); }},
    {"lbsel", "ID I", 2, 2, [](int, char** a) { return PrintResult(a[0], LB_SETCURSEL, atoi(a[1])); }},
    {"check", "ID", 1, 1, [](int, char** a) { return PrintResult(a[0], BM_GETCHECK, 0); }},
    {"state", "ID", 1, 1, [](int, char** a) { return PrintResult(a[0], BM_GETSTATE, 0); }},
    // WM_COMMAND from control ID: posted; sent, waiting until it is handled; posted, printing
    // when: microseconds since 1970 on the host's clock
    {"command", "ID [CODE]", 1, 2, [](int n, char** a) { return Command(atoi(a[0]), CodeOperand(n, a), false); }},
    {"send", "ID [CODE]", 1, 2, [](int n, char** a) { return Command(atoi(a[0]), CodeOperand(n, a), true); }},
    {"stamped", "ID [CODE]", 1, 2, [](int n, char** a) { return StampedCommand(atoi(a[0]), CodeOperand(n, a)); }},
    {"close", "", 0, 0, [](int, char**) { return FindPlayer() && PostMessageA(mainWindow, WM_CLOSE, 0, 0) ? 0 : 1; }},
    {"times", "", 0, 0, [](int, char**) { return PrintProcessFigures(false); }},
    {"handles", "", 0, 0, [](int, char**) { return PrintProcessFigures(true); }},
    {"rect", "ID", 1, 1, [](int, char** a) { return PrintRect(a[0]); }},   // left top right bottom, screen pixels
    {"move", "X Y W H", 4, 4,
     [](int, char** a) {
         return FindPlayer() && SetWindowPos(mainWindow, nullptr, atoi(a[0]), atoi(a[1]), atoi(a[2]), atoi(a[3]),
                                             SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 1;
     }},
    {"children", "", 0, 0, [](int, char**) { return PrintChildren(); }},
    {"metrics", "", 0, 0, [](int, char**) { return PrintMetrics(); }},
    // a dialog box within MS: its caption and text; press its button ID; type TEXT as the
    // open-file dialog's file name and press Open
    {"msgbox", "MS", 1, 1, [](int, char** a) { return PrintMessageBox(atoi(a[0])); }},
    {"dlgpress", "ID", 1, 1, [](int, char** a) { return PressDialogButton(atoi(a[0])); }},
    {"dlgopen", "TEXT MS", 2, 2, [](int, char** a) { return AnswerOpenDialog(a[0], atoi(a[1])); }},
    // COUNT random commands, each after a gap of 0..MS; a line each: number, kind, argument, capture
    // files so far and the last one's size, taken before sending (CAPTURE: the first file)
    {"soak", "SEED COUNT MS CAPTURE", 4, 4,
     [](int, char** a) { return Soak((unsigned)strtoul(a[0], nullptr, 10), atoi(a[1]), atoi(a[2]), a[3]); }},
};

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);   // LF line ends, as the tests compare them
    for (const Operation& operation : Operations) {
        if (argc >= 2 && strcmp(argv[1], operation.name) == 0 && argc - 2 >= operation.least &&
            argc - 2 <= operation.most) {
            int result = operation.run(argc - 2, argv + 2);
            fflush(stdout);
            return result;
        }
    }
    fputs("usage: pelorix-driver OPERATION ...\n", stderr);
    for (const Operation& operation : Operations)
        fprintf(stderr, "  %s %s\n", operation.name, operation.operands);
    return 2;
}
