// pelorix-driver: a console program that finds the running player's window
// (class "PELORIX") and inspects or steers it from another process, for the
// end-to-end tests under Wine. One operation per call; results on standard
// output, one value or one row per line. Exit status 0 when the operation
// succeeded (or its condition held), 1 when the window, control or dialog was
// not there or a wait ran out, 2 for a usage error.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <winternl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char* const UsageText =
    "usage: pelorix-driver OPERATION ...\n"
    "  wait CLASS MS            a visible top-level window of CLASS within MS milliseconds\n"
    "  gone MS                  the player's window has disappeared within MS\n"
    "  text ID                  the control's text (ID main: the main window)\n"
    "  waittext ID TEXT MS      the control's text contains TEXT within MS\n"
    "  lbcount ID               number of list box strings\n"
    "  lbtext ID I              list box string I\n"
    "  lbcursel ID              index of the selected list box string, -1 for none\n"
    "  check ID                 BM_GETCHECK\n"
    "  state ID                 BM_GETSTATE\n"
    "  command ID [CODE]        post WM_COMMAND from control ID with notification CODE\n"
    "  send ID [CODE]           send it and wait until it is handled\n"
    "  stamped ID [CODE]        post it and print when: microseconds since 1970, the host's clock\n"
    "  close                    post WM_CLOSE to the main window\n"
    "  pid                      the player's process identifier\n"
    "  times                    the player's CPU time so far: user and kernel milliseconds\n"
    "  rect ID                  left top right bottom, screen pixels\n"
    "  move X Y W H             move and size the main window\n"
    "  children                 every child: id class style x y width height text\n"
    "  metrics                  tmAveCharWidth tmHeight tmPitchAndFamily of the system font\n"
    "  msgbox MS                wait for a dialog box; print its caption and its text\n"
    "  dlgpress ID              press the dialog box's button ID\n"
    "  dlgopen TEXT MS          type TEXT as the open-file dialog's file name and press Open\n"
    "  lbsel ID I               LB_SETCURSEL I (follow with command ID 1 or 2 to notify)\n"
    "  usage                    the player's handle count, working set and private bytes (KB)\n"
    "  soak SEED COUNT MS CAPTURE  COUNT random commands, each after a gap of 0..MS ms; a line\n"
    "                           each: number, kind, argument, capture files so far and the\n"
    "                           last one's size, taken before sending (CAPTURE: the first file)\n"
    "Texts are printed with C escapes: \\\\ \\n \\r \\t \\\" and \\xHH outside 0x20..0x7E.\n";

const int PollMillis = 20;
const UINT SendTimeoutMillis = 5000;   // a hung player fails the call instead of the test run
const int TextSize = 4096;
const int ClassSize = 256;
const int MaxChildren = 512;

static HWND mainWindow;                // the player's window, found by FindPlayer

static int Usage()
{
    fputs(UsageText, stderr);
    return 2;
}

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

static void PrintEscaped(const char* text)
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
}

static int PrintText(const char* id)
{
    HWND control = FindControl(id);
    char text[TextSize];
    if (control == nullptr || !ReadText(control, text)) return 1;
    PrintEscaped(text);
    putchar('\n');
    return 0;
}

// Polls until the control's text contains the wanted text; the last text seen
// is printed either way.
static int WaitText(const char* id, const char* wanted, int millis)
{
    char text[TextSize];
    text[0] = 0;
    for (int waited = 0;; waited += PollMillis) {
        // Looked up on every poll, quietly: the window may come or go meanwhile.
        HWND window = FindWindowA("PELORIX", nullptr);
        HWND control = window == nullptr ? nullptr : strcmp(id, "main") == 0 ? window : GetDlgItem(window, atoi(id));
        if (control != nullptr && ReadText(control, text) && strstr(text, wanted) != nullptr) break;
        if (waited >= millis) {
            PrintEscaped(text);
            putchar('\n');
            return 1;
        }
        Sleep(PollMillis);
    }
    PrintEscaped(text);
    putchar('\n');
    return 0;
}

static int WaitWindow(const char* className, int millis)
{
    for (int waited = 0;; waited += PollMillis) {
        HWND window = FindWindowA(className, nullptr);
        if (window != nullptr && IsWindowVisible(window)) return 0;
        if (waited >= millis) return 1;
        Sleep(PollMillis);
    }
}

static int WaitGone(int millis)
{
    for (int waited = 0;; waited += PollMillis) {
        if (FindWindowA("PELORIX", nullptr) == nullptr) return 0;
        if (waited >= millis) return 1;
        Sleep(PollMillis);
    }
}

// Sends a message without arguments to a control and prints the result.
static int PrintResult(const char* id, UINT message, WPARAM wParam)
{
    HWND control = FindControl(id);
    LRESULT result;
    if (control == nullptr || !Send(control, message, wParam, 0, result)) return 1;
    printf("%ld\n", (long)result);
    return 0;
}

// Asked for in UTF-16 and converted here: Wine 8 hands an ANSI LB_GETTEXT
// from another process back unconverted, as UTF-16 bytes.
static int PrintListText(const char* id, int index)
{
    HWND list = FindControl(id);
    LRESULT length;
    if (list == nullptr || !Send(list, LB_GETTEXTLEN, (WPARAM)index, 0, length)) return 1;
    if (length < 0 || length >= TextSize) {
        fprintf(stderr, "pelorix-driver: no string %d in list box %s\n", index, id);
        return 1;
    }
    static WCHAR wide[TextSize];
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(list, LB_GETTEXT, (WPARAM)index, (LPARAM)wide, SMTO_ABORTIFHUNG, SendTimeoutMillis,
                            &copied) == 0 ||
        (LRESULT)copied < 0 || copied >= (DWORD_PTR)TextSize) {
        fprintf(stderr, "pelorix-driver: list box %s did not give string %d\n", id, index);
        return 1;
    }
    wide[copied] = 0;
    char text[TextSize];
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, text, TextSize, nullptr, nullptr) == 0) return 1;
    PrintEscaped(text);
    putchar('\n');
    return 0;
}

// WM_COMMAND as the control itself sends it: identifier in the low word, the
// notification code in the high word, the control's handle in lParam.
static int Command(const char* id, int code, bool wait)
{
    if (!FindPlayer()) return 1;
    int identifier = atoi(id);
    HWND control = GetDlgItem(mainWindow, identifier);
    WPARAM wParam = MAKEWPARAM(identifier, code);
    if (!wait) return PostMessageA(mainWindow, WM_COMMAND, wParam, (LPARAM)control) ? 0 : 1;
    LRESULT result;
    return Send(mainWindow, WM_COMMAND, wParam, (LPARAM)control, result) ? 0 : 1;
}

// The moment of posting, on the clock the host's own tools read, so that a
// test can set it against the times at which the captured audio changed.
static int StampedCommand(const char* id, int code)
{
    if (Command(id, code, false) != 0) return 1;
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULONGLONG ticks = (ULONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime;   // 100 ns since 1601
    const ULONGLONG UnixEpochTicks = 116444736000000000ull;
    printf("%llu\n", (ticks - UnixEpochTicks) / 10);
    return 0;
}

static bool PlayerProcess(DWORD& process)
{
    if (!FindPlayer()) return false;
    process = 0;
    GetWindowThreadProcessId(mainWindow, &process);
    return process != 0;
}

static int PrintProcessId()
{
    DWORD process;
    if (!PlayerProcess(process)) return 1;
    printf("%lu\n", (unsigned long)process);
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

// The player's entry in the system's process list, or null.
static const ProcessEntry* PlayerEntry()
{
    DWORD process;
    if (!PlayerProcess(process)) return nullptr;
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

// From the process list: Wine 8's GetProcessTimes on another process's
// handle returns the caller's own times.
static int PrintProcessTimes()
{
    const ProcessEntry* entry = PlayerEntry();
    if (entry == nullptr) return 1;
    printf("%llu %llu\n", (ULONGLONG)entry->userTime.QuadPart / 10000, (ULONGLONG)entry->kernelTime.QuadPart / 10000);
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

static int Move(int x, int y, int width, int height)
{
    if (!FindPlayer()) return 1;
    return SetWindowPos(mainWindow, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 1;
}

struct ChildList {
    HWND windows[MaxChildren];
    int count;
};

static BOOL CALLBACK CollectChild(HWND window, LPARAM list)
{
    ChildList& children = *(ChildList*)list;
    // Direct children only: the main window's controls have no children of
    // their own here, but a dialog's combo boxes do.
    if (GetParent(window) == mainWindow && children.count < MaxChildren) {
        children.windows[children.count++] = window;
    }
    return TRUE;
}

// One row per child, tab-separated, rectangle in the main window's client
// coordinates.
static int PrintChildren()
{
    if (!FindPlayer()) return 1;
    static ChildList children;
    children.count = 0;
    EnumChildWindows(mainWindow, CollectChild, (LPARAM)&children);
    for (int i = 0; i < children.count; i++) {
        HWND child = children.windows[i];
        char className[ClassSize];
        char text[TextSize];
        if (GetClassNameA(child, className, ClassSize) == 0) className[0] = 0;
        if (!ReadText(child, text)) return 1;
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, mainWindow, (POINT*)&rect, 2);
        printf("%d\t%s\t0x%08lX\t%ld\t%ld\t%ld\t%ld\t", GetDlgCtrlID(child), className,
               (unsigned long)(GetWindowLongA(child, GWL_STYLE) & 0xFFFFFFFFul), (long)rect.left, (long)rect.top,
               (long)(rect.right - rect.left), (long)(rect.bottom - rect.top));
        PrintEscaped(text);
        putchar('\n');
    }
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

static HWND FindDialog(int millis)
{
    for (int waited = 0;; waited += PollMillis) {
        HWND dialog = FindWindowA("#32770", nullptr);
        if (dialog != nullptr && IsWindowVisible(dialog)) return dialog;
        if (waited >= millis) return nullptr;
        Sleep(PollMillis);
    }
}

struct DialogText {
    char text[TextSize];
    bool found;
};

// The message text is the static control that has text; the icon's has none.
static BOOL CALLBACK FindDialogText(HWND window, LPARAM found)
{
    DialogText& result = *(DialogText*)found;
    char className[ClassSize];
    if (GetClassNameA(window, className, ClassSize) == 0 || lstrcmpiA(className, "Static") != 0) return TRUE;
    if (!ReadText(window, result.text) || result.text[0] == 0) return TRUE;
    result.found = true;
    return FALSE;
}

static int PrintMessageBox(int millis)
{
    HWND dialog = FindDialog(millis);
    if (dialog == nullptr) {
        fputs("pelorix-driver: no dialog box\n", stderr);
        return 1;
    }
    char caption[TextSize];
    if (!ReadText(dialog, caption)) return 1;
    static DialogText message;
    message.found = false;
    message.text[0] = 0;
    EnumChildWindows(dialog, FindDialogText, (LPARAM)&message);
    PrintEscaped(caption);
    putchar('\n');
    PrintEscaped(message.text);
    putchar('\n');
    return 0;
}

// Posted, as a click would arrive: the dialog's own loop runs in the player.
static int PressDialogButton(int identifier)
{
    HWND dialog = FindDialog(0);
    if (dialog == nullptr) {
        fputs("pelorix-driver: no dialog box\n", stderr);
        return 1;
    }
    HWND button = GetDlgItem(dialog, identifier);
    if (button == nullptr) {
        fprintf(stderr, "pelorix-driver: no button %d in the dialog box\n", identifier);
        return 1;
    }
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(identifier, BN_CLICKED), (LPARAM)button) ? 0 : 1;
}

// The file-name field is an Edit inside the ComboBox inside ComboBoxEx32 1148.
// The dialog shows itself before it puts the initial name there (or empties
// the field, for a folder), so the name is set until it has read back for a
// few polls; then Open is posted as a press of Return would.
static HWND FileNameField(HWND dialog)
{
    HWND field = dialog == nullptr ? nullptr : GetDlgItem(dialog, 1148);
    HWND combo = field == nullptr ? nullptr : FindWindowExA(field, nullptr, "ComboBox", nullptr);
    return combo == nullptr ? nullptr : FindWindowExA(combo, nullptr, "Edit", nullptr);
}

static int AnswerOpenDialog(const char* text, int millis)
{
    char shown[TextSize];
    int steady = 0;
    for (int waited = 0; waited <= millis; waited += PollMillis) {
        HWND dialog = FindDialog(0);
        HWND edit = FileNameField(dialog);
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

// Wine 8's GetProcessHandleCount on another process gives 0, and so does its
// PrivateUsage; the process list has the handle count then. The working set
// is the process's resident size there.
static int PrintUsage()
{
    const ProcessEntry* entry = PlayerEntry();
    if (entry == nullptr) return 1;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                 (DWORD)(DWORD_PTR)entry->uniqueProcessId);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    DWORD handles = 0;
    BOOL measured = process != nullptr && GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof memory);
    if (process == nullptr || !GetProcessHandleCount(process, &handles) || handles == 0) handles = entry->handleCount;
    if (process != nullptr) CloseHandle(process);
    if (!measured) {
        fprintf(stderr, "pelorix-driver: no memory figures (error %lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    printf("%lu %llu %llu\n", (unsigned long)handles, (unsigned long long)memory.WorkingSetSize / 1024,
           (unsigned long long)memory.PrivateUsage / 1024);
    return 0;
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
        int argument = command->identifier == 35 ? (int)SoakRandom(rows > 0 ? (unsigned)rows : 1)
                                                 : command->frames;
        CaptureMark(capture, files, size);
        printf("%d %s %d %d %lld\n", i, command->kind, argument, files, files > 0 ? size : 0);
        fflush(stdout);
        if (command->identifier == 35 && !Send(list, LB_SETCURSEL, argument, 0, done)) return 1;
        char id[16];
        snprintf(id, sizeof id, "%d", command->identifier);
        if (Command(id, command->identifier == 35 ? LBN_DBLCLK : BN_CLICKED, true) != 0) {
            fprintf(stderr, "pelorix-driver: command %d (%s) was not handled\n", i, command->kind);
            return 1;
        }
    }
    return 0;
}

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);   // LF line ends, as the tests compare them
    if (argc < 2) return Usage();
    const char* operation = argv[1];
    int operands = argc - 2;
    char** operand = argv + 2;
    int result = 2;
    if (strcmp(operation, "wait") == 0 && operands == 2) result = WaitWindow(operand[0], atoi(operand[1]));
    else if (strcmp(operation, "gone") == 0 && operands == 1) result = WaitGone(atoi(operand[0]));
    else if (strcmp(operation, "text") == 0 && operands == 1) result = PrintText(operand[0]);
    else if (strcmp(operation, "waittext") == 0 && operands == 3)
        result = WaitText(operand[0], operand[1], atoi(operand[2]));
    else if (strcmp(operation, "lbcount") == 0 && operands == 1) result = PrintResult(operand[0], LB_GETCOUNT, 0);
    else if (strcmp(operation, "lbtext") == 0 && operands == 2) result = PrintListText(operand[0], atoi(operand[1]));
    else if (strcmp(operation, "lbcursel") == 0 && operands == 1) result = PrintResult(operand[0], LB_GETCURSEL, 0);
    else if (strcmp(operation, "check") == 0 && operands == 1) result = PrintResult(operand[0], BM_GETCHECK, 0);
    else if (strcmp(operation, "state") == 0 && operands == 1) result = PrintResult(operand[0], BM_GETSTATE, 0);
    else if (strcmp(operation, "command") == 0 && (operands == 1 || operands == 2))
        result = Command(operand[0], operands == 2 ? atoi(operand[1]) : BN_CLICKED, false);
    else if (strcmp(operation, "send") == 0 && (operands == 1 || operands == 2))
        result = Command(operand[0], operands == 2 ? atoi(operand[1]) : BN_CLICKED, true);
    else if (strcmp(operation, "stamped") == 0 && (operands == 1 || operands == 2))
        result = StampedCommand(operand[0], operands == 2 ? atoi(operand[1]) : BN_CLICKED);
    else if (strcmp(operation, "pid") == 0 && operands == 0) result = PrintProcessId();
    else if (strcmp(operation, "times") == 0 && operands == 0) result = PrintProcessTimes();
    else if (strcmp(operation, "close") == 0 && operands == 0)
        result = FindPlayer() && PostMessageA(mainWindow, WM_CLOSE, 0, 0) ? 0 : 1;
    else if (strcmp(operation, "rect") == 0 && operands == 1) result = PrintRect(operand[0]);
    else if (strcmp(operation, "move") == 0 && operands == 4)
        result = Move(atoi(operand[0]), atoi(operand[1]), atoi(operand[2]), atoi(operand[3]));
    else if (strcmp(operation, "children") == 0 && operands == 0) result = PrintChildren();
    else if (strcmp(operation, "metrics") == 0 && operands == 0) result = PrintMetrics();
    else if (strcmp(operation, "msgbox") == 0 && operands == 1) result = PrintMessageBox(atoi(operand[0]));
    else if (strcmp(operation, "dlgpress") == 0 && operands == 1) result = PressDialogButton(atoi(operand[0]));
    else if (strcmp(operation, "dlgopen") == 0 && operands == 2) result = AnswerOpenDialog(operand[0], atoi(operand[1]));
    else if (strcmp(operation, "lbsel") == 0 && operands == 2) result = PrintResult(operand[0], LB_SETCURSEL, atoi(operand[1]));
    else if (strcmp(operation, "usage") == 0 && operands == 0) result = PrintUsage();
    else if (strcmp(operation, "soak") == 0 && operands == 4)
        result = Soak((unsigned)strtoul(operand[0], nullptr, 10), atoi(operand[1]), atoi(operand[2]), operand[3]);
    else return Usage();
    fflush(stdout);
    return result;
}
