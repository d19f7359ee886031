// The stand-in Win32 layer's test API and its smaller services: text
// metrics and device contexts, painting, system icons, message boxes and
// SearchPathA. Test support only: it keeps the contract the program relies
// on, not the look. One recursive lock serialises everything.
#include "fakeinternal.h"

#include <cstring>
#include <strings.h>

struct FakeDeviceContext { int unused; };
struct FakeInstance { int unused; };
struct FakeIcon { int unused; };

FakeLock fakeLock;

void FakeLock::lock()
{
    if (owner.load() == std::this_thread::get_id()) {
        depth++;
        return;
    }
    mutex.lock();
    owner = std::this_thread::get_id();
    depth = 1;
}

void FakeLock::unlock()
{
    if (--depth > 0) return;
    owner = std::thread::id();
    mutex.unlock();
}

int FakeLock::ReleaseAll()
{
    if (owner.load() != std::this_thread::get_id()) return 0;
    int held = depth;
    depth = 1;
    unlock();
    return held;
}

void FakeLock::Reacquire(int held)
{
    if (held == 0) return;
    lock();
    depth = held;
}

static int messageBoxCount;
static std::string messageBoxText;
static std::string messageBoxCaption;
static HWND messageBoxOwner;
static TEXTMETRICA textMetrics;
static int contextsHeld;
static std::string executablePath;

static FakeDeviceContext screenContext;
static FakeInstance programInstance;
static FakeIcon systemIcon;
static FakeIcon systemCursor;

static void SetDefaultMetrics()
{
    memset(&textMetrics, 0, sizeof textMetrics);
    textMetrics.tmHeight = 16;
    textMetrics.tmAscent = 13;
    textMetrics.tmDescent = 3;
    textMetrics.tmAveCharWidth = 7;
    textMetrics.tmMaxCharWidth = 14;
    textMetrics.tmWeight = 700;
    textMetrics.tmPitchAndFamily = 0x21;
}

void FakeReset()
{
    Hold hold(fakeLock);
    ResetWindows();
    ResetThreads();
    ResetWaveOut();
    messageBoxCount = 0;
    messageBoxText.clear();
    messageBoxCaption.clear();
    messageBoxOwner = nullptr;
    SetDefaultMetrics();
    contextsHeld = 0;
    executablePath.clear();
}

int FakeMessageBoxCount() { Hold hold(fakeLock); return messageBoxCount; }
const char* FakeLastMessageBoxText() { Hold hold(fakeLock); return messageBoxText.c_str(); }
const char* FakeLastMessageBoxCaption() { Hold hold(fakeLock); return messageBoxCaption.c_str(); }
HWND FakeLastMessageBoxOwner() { Hold hold(fakeLock); return messageBoxOwner; }
void FakeSetTextMetrics(const TEXTMETRICA& metrics) { Hold hold(fakeLock); textMetrics = metrics; }
int FakeDeviceContextsHeld() { Hold hold(fakeLock); return contextsHeld; }

void FakeSetExecutablePath(const char* path)
{
    Hold hold(fakeLock);
    executablePath = path ? path : "";
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    return moduleName ? nullptr : &programInstance;
}

// System icons and cursors are the resource numbers 32512 and up.
static bool SystemResource(HINSTANCE instance, LPCSTR name)
{
    uintptr_t number = reinterpret_cast<uintptr_t>(name);
    return !instance && number >= 32512 && number <= 32651;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    return SystemResource(instance, name) ? &systemIcon : nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    return SystemResource(instance, name) ? &systemCursor : nullptr;
}

// ---- painting and metrics ----

HDC WINAPI BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target || !paint) return nullptr;
    memset(paint, 0, sizeof *paint);
    paint->hdc = &screenContext;
    GetClientRect(window, &paint->rcPaint);
    target->needsPaint = false;
    contextsHeld++;
    return &screenContext;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    Hold hold(fakeLock);
    if (!LiveWindow(window) || !paint || paint->hdc != &screenContext) return FALSE;
    contextsHeld--;
    return TRUE;
}

HDC WINAPI GetDC(HWND window)
{
    Hold hold(fakeLock);
    if (window && !LiveWindow(window)) return nullptr;
    contextsHeld++;
    return &screenContext;
}

int WINAPI ReleaseDC(HWND, HDC deviceContext)
{
    Hold hold(fakeLock);
    if (deviceContext != &screenContext || contextsHeld == 0) return 0;
    contextsHeld--;
    return 1;
}

BOOL WINAPI GetTextMetricsA(HDC deviceContext, TEXTMETRICA* metrics)
{
    Hold hold(fakeLock);
    if (deviceContext != &screenContext || !metrics) return FALSE;
    *metrics = textMetrics;
    return TRUE;
}

// ---- dialogs and files ----

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT)
{
    Hold hold(fakeLock);
    messageBoxCount++;
    messageBoxText = text ? text : "";
    messageBoxCaption = caption ? caption : "Error";
    messageBoxOwner = owner;
    return IDOK;
}

static const char* LastComponent(const char* path)
{
    const char* last = path;
    for (const char* at = path; *at; at++)
        if (*at == '/' || *at == '\\') last = at + 1;
    return last;
}

// Answers with the executable's path when asked for its file name; the
// extension is added only to a name that has none. Too small a buffer gets
// the size needed, terminator included, as Windows reports it.
DWORD WINAPI SearchPathA(LPCSTR, LPCSTR fileName, LPCSTR extension, DWORD bufferLength,
                         LPSTR buffer, LPSTR* filePart)
{
    Hold hold(fakeLock);
    if (!fileName || executablePath.empty()) return 0;
    std::string wanted = fileName;
    if (extension && !strchr(LastComponent(fileName), '.')) wanted += extension;
    const char* found = LastComponent(executablePath.c_str());
    if (strcasecmp(found, wanted.c_str()) != 0) return 0;
    DWORD length = static_cast<DWORD>(executablePath.size());
    if (!buffer || bufferLength < length + 1) return length + 1;
    memcpy(buffer, executablePath.c_str(), length + 1);
    if (filePart) *filePart = buffer + (found - executablePath.c_str());
    return length;
}

static struct FakeStart {
    FakeStart() { SetDefaultMetrics(); }
} fakeStart;
