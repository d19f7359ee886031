// The stand-in Win32 layer's test API and its smaller services: text
// metrics and device contexts, painting, system icons, message boxes and
// SearchPathA, file moves and the last error. Test support only: it keeps
// the contract the program relies on, not the look.
#include "fakeinternal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

struct FakeDeviceContext { int unused; };
struct FakeInstance { int unused; };
struct FakeIcon { int unused; };

std::recursive_mutex fakeLock;
static thread_local int holdDepth;

Hold::Hold()
{
    fakeLock.lock();
    holdDepth++;
}

Hold::~Hold()
{
    holdDepth--;
    fakeLock.unlock();
}

void RequireNoHold()
{
    if (holdDepth == 0) return;
    fputs("fake layer: a window procedure or a wait reached with the window lock held\n", stderr);
    abort();
}

// Message boxes come from any thread (the playback thread reports device
// errors); their record has its own lock, so a box never waits for a window
// thread.
static std::mutex boxLock;
static int messageBoxCount;
static std::string messageBoxText;
static std::string messageBoxCaption;
static HWND messageBoxOwner;
static TEXTMETRICA textMetrics;
static int contextsHeld;
static std::string executablePath;
static std::mutex lockedLock;     // guards lockedFiles: paths a test holds open without sharing
static std::set<std::string> lockedFiles;

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
    ResetMessages();
    ResetThreads();
    ResetWaveOut();
    ResetFiles();
    {
        std::lock_guard<std::mutex> hold(boxLock);
        messageBoxCount = 0;
        messageBoxText.clear();
        messageBoxCaption.clear();
        messageBoxOwner = nullptr;
    }
    Hold hold;
    ResetWindows();
    SetDefaultMetrics();
    contextsHeld = 0;
    executablePath.clear();
    std::lock_guard<std::mutex> holdLocked(lockedLock);
    lockedFiles.clear();
}

int FakeMessageBoxCount() { std::lock_guard<std::mutex> hold(boxLock); return messageBoxCount; }
const char* FakeLastMessageBoxText() { std::lock_guard<std::mutex> hold(boxLock); return messageBoxText.c_str(); }
const char* FakeLastMessageBoxCaption() { std::lock_guard<std::mutex> hold(boxLock); return messageBoxCaption.c_str(); }
HWND FakeLastMessageBoxOwner() { std::lock_guard<std::mutex> hold(boxLock); return messageBoxOwner; }
void FakeSetTextMetrics(const TEXTMETRICA& metrics) { Hold hold; textMetrics = metrics; }
int FakeDeviceContextsHeld() { Hold hold; return contextsHeld; }

void FakeSetExecutablePath(const char* path)
{
    Hold hold;
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
    Hold hold;
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
    Hold hold;
    if (!LiveWindow(window) || !paint || paint->hdc != &screenContext) return FALSE;
    contextsHeld--;
    return TRUE;
}

HDC WINAPI GetDC(HWND window)
{
    Hold hold;
    if (window && !LiveWindow(window)) return nullptr;
    contextsHeld++;
    return &screenContext;
}

int WINAPI ReleaseDC(HWND, HDC deviceContext)
{
    Hold hold;
    if (deviceContext != &screenContext || contextsHeld == 0) return 0;
    contextsHeld--;
    return 1;
}

BOOL WINAPI GetTextMetricsA(HDC deviceContext, TEXTMETRICA* metrics)
{
    Hold hold;
    if (deviceContext != &screenContext || !metrics) return FALSE;
    *metrics = textMetrics;
    return TRUE;
}

// ---- dialogs and files ----

// Answered at once with OK, as if the user had pressed it; nothing is pumped.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT)
{
    std::lock_guard<std::mutex> hold(boxLock);
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
    Hold hold;
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

// ---- files and the last error ----

static thread_local DWORD lastError;

DWORD WINAPI GetLastError() { return lastError; }
void WINAPI SetLastError(DWORD errorCode) { lastError = errorCode; }

static BOOL FailWith(DWORD errorCode)
{
    lastError = errorCode;
    return FALSE;
}

static DWORD ErrorOf(int error)
{
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    }
    return ERROR_ACCESS_DENIED;   // EACCES, EPERM, EISDIR, EBUSY, EXDEV: what Windows reports for them
}

void FakeLockFile(const char* path, bool locked)
{
    std::lock_guard<std::mutex> hold(lockedLock);
    if (locked) lockedFiles.insert(path);
    else lockedFiles.erase(path);
}

// Why Windows would refuse to replace or delete the file at path, or 0:
// held open, or read-only (no owner write permission, as Wine maps it,
// checked here because root writes anyway).
static DWORD Refusal(const char* path, bool readOnlyCounts)
{
    {
        std::lock_guard<std::mutex> hold(lockedLock);
        if (lockedFiles.count(path)) return ERROR_SHARING_VIOLATION;
    }
    struct stat status;
    if (readOnlyCounts && stat(path, &status) == 0 && S_ISREG(status.st_mode) && !(status.st_mode & S_IWUSR))
        return ERROR_ACCESS_DENIED;
    return 0;
}

// Without MOVEFILE_REPLACE_EXISTING an existing target is kept and the move
// fails; with it, rename() replaces the target in one step. A read-only
// source may move; a read-only target is not replaced.
BOOL WINAPI MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags)
{
    if (!existingName || !newName || (flags & ~MOVEFILE_REPLACE_EXISTING)) return FailWith(ERROR_INVALID_PARAMETER);
    struct stat status;
    if (stat(existingName, &status) != 0) return FailWith(ErrorOf(errno));
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && stat(newName, &status) == 0) return FailWith(ERROR_ALREADY_EXISTS);
    DWORD refusal = Refusal(existingName, false);
    if (!refusal) refusal = Refusal(newName, true);
    if (refusal) return FailWith(refusal);
    if (rename(existingName, newName) != 0) return FailWith(ErrorOf(errno));
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName)
{
    if (!fileName) return FailWith(ERROR_INVALID_PARAMETER);
    if (DWORD refusal = Refusal(fileName, true)) return FailWith(refusal);
    if (unlink(fileName) != 0) return FailWith(ErrorOf(errno));
    return TRUE;
}

static struct FakeStart {
    FakeStart() { SetDefaultMetrics(); }
} fakeStart;
