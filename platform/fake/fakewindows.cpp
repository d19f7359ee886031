// The stand-in windows: classes, creation and destruction, the window
// queries, the message queue and loop, and scrolling with the scroll bars.
#include "fakeinternal.h"

#include <cstring>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <strings.h>

static const int MaxWindows = 512;   // per reset; dead slots are reused

static FakeWindow windows[MaxWindows];
static int nextWindow;                         // where the search for a free slot starts
static std::vector<WNDCLASSA> classes;
static std::vector<std::string> classNames;    // owns the names of classes
static std::deque<MSG> queue;
static bool quitPending;                       // taken by GetMessageA
static bool quitPosted;                        // since the reset
static int quitCode;
static HWND focusWindow;
static int defaultClientWidth = 800;
static int defaultClientHeight = 600;
static std::string failingClass;

FakeWindow* LiveWindow(HWND window)
{
    uintptr_t at = reinterpret_cast<uintptr_t>(window);
    uintptr_t first = reinterpret_cast<uintptr_t>(&windows[0]);
    uintptr_t end = reinterpret_cast<uintptr_t>(&windows[MaxWindows]);
    if (at < first || at >= end || (at - first) % sizeof(FakeWindow) != 0) return nullptr;
    return window->alive ? window : nullptr;
}

static void ClearWindow(FakeWindow& window)
{
    window.alive = false;
    window.className.clear();
    window.text.clear();
    window.items.clear();
    window.procedure = nullptr;
    window.parent = nullptr;
}

static void DropSentMessages();

void ResetWindows()
{
    DropSentMessages();
    for (FakeWindow& window : windows) ClearWindow(window);
    nextWindow = 0;
    classes.clear();
    classNames.clear();
    queue.clear();
    quitPending = false;
    quitPosted = false;
    quitCode = 0;
    focusWindow = nullptr;
    defaultClientWidth = 800;
    defaultClientHeight = 600;
    failingClass.clear();
}

bool FakeQuitPosted() { Hold hold(fakeLock); return quitPosted; }
int FakeQuitCode() { Hold hold(fakeLock); return quitCode; }

void FakeSetClientSize(int width, int height)
{
    Hold hold(fakeLock);
    defaultClientWidth = width;
    defaultClientHeight = height;
}

void FakeFailWindowCreation(const char* className)
{
    Hold hold(fakeLock);
    failingClass = className ? className : "";
}

int FakeChildCount(HWND parent)
{
    Hold hold(fakeLock);
    if (!LiveWindow(parent)) return 0;
    int count = 0;
    for (FakeWindow& window : windows)
        if (window.alive && window.parent == parent) count++;
    return count;
}

// ---- window classes ----

static int FindClass(LPCSTR name)
{
    if (!name) return -1;
    for (size_t i = 0; i < classes.size(); i++)
        if (strcasecmp(classNames[i].c_str(), name) == 0) return static_cast<int>(i);
    return -1;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass)
{
    Hold hold(fakeLock);
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
    if (FindClass(windowClass->lpszClassName) >= 0) return 0;    // already registered
    classes.push_back(*windowClass);
    classNames.push_back(windowClass->lpszClassName);
    classes.back().lpszClassName = nullptr;
    classes.back().lpszMenuName = nullptr;
    return static_cast<ATOM>(0xC000 + classes.size());
}

BOOL WINAPI GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* windowClass)
{
    Hold hold(fakeLock);
    int found = FindClass(className);
    if (found < 0 || !windowClass) return FALSE;
    *windowClass = classes[found];
    windowClass->lpszClassName = classNames[found].c_str();
    return TRUE;
}

static bool ControlKind(LPCSTR name, WindowKind& kind, const char*& shownName)
{
    static const struct { const char* name; WindowKind kind; } builtIn[] = {
        {"Static", StaticControl}, {"Button", ButtonControl},
        {"Edit", EditControl}, {"ListBox", ListBoxControl}};
    for (const auto& entry : builtIn)
        if (strcasecmp(entry.name, name) == 0) {
            kind = entry.kind;
            shownName = entry.name;
            return true;
        }
    return false;
}

// ---- windows ----

static FakeWindow* NewWindow()
{
    for (int tried = 0; tried < MaxWindows; tried++) {
        FakeWindow& window = windows[(nextWindow + tried) % MaxWindows];
        if (!window.alive) {
            nextWindow = (nextWindow + tried + 1) % MaxWindows;
            ClearWindow(window);
            return &window;
        }
    }
    return nullptr;
}

LRESULT DeliverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    FakeWindow* target = LiveWindow(window);
    if (!target) return 0;
    if (target->kind == UserWindow) return target->procedure(window, message, wParam, lParam);
    return ControlProcedure(target, message, wParam, lParam);
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID parameter)
{
    Hold hold(fakeLock);
    if (!className) return nullptr;
    if (!failingClass.empty() && strcasecmp(failingClass.c_str(), className) == 0) return nullptr;
    WindowKind kind = UserWindow;
    const char* shownName = className;
    int userClass = FindClass(className);
    if (userClass < 0 && !ControlKind(className, kind, shownName)) return nullptr;
    if ((style & WS_CHILD) && !LiveWindow(parent)) return nullptr;
    FakeWindow* window = NewWindow();
    if (!window) return nullptr;

    window->alive = true;
    window->owner = std::this_thread::get_id();
    window->kind = kind;
    window->className = kind == UserWindow ? classNames[userClass] : shownName;
    window->procedure = kind == UserWindow ? classes[userClass].lpfnWndProc : nullptr;
    window->parent = LiveWindow(parent) ? parent : nullptr;
    window->style = style;
    window->exStyle = exStyle;
    window->identifier = (style & WS_CHILD) ? static_cast<int>(reinterpret_cast<intptr_t>(menu)) : 0;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = (style & WS_CHILD) ? 0 : defaultClientWidth;
        height = (style & WS_CHILD) ? 0 : defaultClientHeight;
    }
    window->rect = RECT{x, y, x + width, y + height};
    window->visible = (style & WS_VISIBLE) != 0;
    window->sizeSent = false;
    window->needsPaint = window->visible;
    window->text = windowName ? windowName : "";
    window->checkState = 0;
    window->pushed = false;
    window->selection = -1;
    for (int bar = 0; bar < 2; bar++)
        window->scrollMinimum[bar] = window->scrollMaximum[bar] = window->scrollPosition[bar] = 0;

    if (kind == UserWindow) {
        CREATESTRUCTA create = {parameter, instance, menu, parent, height, width, y, x,
                                static_cast<LONG>(style), windowName, className, exStyle};
        if (window->procedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
            DestroyWindow(window);
            return nullptr;
        }
    }
    return window;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target) return FALSE;
    DeliverMessage(window, WM_DESTROY, 0, 0);
    for (FakeWindow& child : windows)
        if (child.alive && child.parent == window) DestroyWindow(&child);
    if (focusWindow == window) focusWindow = nullptr;
    ClearWindow(*target);
    return TRUE;
}

LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer)
{
    if (size == 0 || buffer == 0) return 0;
    size_t length = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(reinterpret_cast<char*>(buffer), text.data(), length);
    reinterpret_cast<char*>(buffer)[length] = 0;
    return static_cast<LRESULT>(length);
}

// The text messages every window answers the same way.
bool TextMessage(FakeWindow* window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_SETTEXT:
        window->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        result = TRUE;
        return true;
    case WM_GETTEXT:
        result = CopyText(window->text, wParam, lParam);
        return true;
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(window->text.size());
        return true;
    }
    return false;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target) return 0;
    LRESULT result = 0;
    if (TextMessage(target, message, wParam, lParam, result)) return result;
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target) return FALSE;
    BOOL wasVisible = target->visible;
    target->visible = showCommand != SW_HIDE;
    if (target->visible && !wasVisible) target->needsPaint = true;
    if (target->visible && !target->parent && !target->sizeSent) {
        target->sizeSent = true;
        LONG width = target->rect.right - target->rect.left;
        LONG height = target->rect.bottom - target->rect.top;
        DeliverMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    }
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND window)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target) return FALSE;
    if (target->visible && target->needsPaint) DeliverMessage(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { Hold hold(fakeLock); return LiveWindow(window) != nullptr; }

BOOL WINAPI IsWindowVisible(HWND window)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    return target && target->visible;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName)
{
    Hold hold(fakeLock);
    for (FakeWindow& window : windows) {
        if (!window.alive || window.parent) continue;
        if (className && strcasecmp(window.className.c_str(), className) != 0) continue;
        if (windowName && window.text != windowName) continue;
        return &window;
    }
    return nullptr;
}

HWND WINAPI GetDlgItem(HWND parent, int identifier)
{
    Hold hold(fakeLock);
    if (!LiveWindow(parent)) return nullptr;
    for (FakeWindow& window : windows)
        if (window.alive && window.parent == parent && window.identifier == identifier) return &window;
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND window)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    return target ? target->identifier : 0;
}

HWND WINAPI GetParent(HWND window)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    return target ? target->parent : nullptr;
}

LONG WINAPI GetWindowLongA(HWND window, int index)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target) return 0;
    switch (index) {
    case GWL_STYLE: return static_cast<LONG>(target->style);
    case GWL_EXSTYLE: return static_cast<LONG>(target->exStyle);
    case GWL_ID: return target->identifier;
    }
    return 0;
}

int WINAPI GetClassNameA(HWND window, LPSTR buffer, int size)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target || size <= 0) return 0;
    return static_cast<int>(CopyText(target->className, size, reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int size)
{
    if (size <= 0) return 0;
    return static_cast<int>(SendMessageA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer)));
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target || !rect) return FALSE;
    *rect = RECT{0, 0, target->rect.right - target->rect.left, target->rect.bottom - target->rect.top};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect)
{
    Hold hold(fakeLock);
    FakeWindow* target = LiveWindow(window);
    if (!target || !rect) return FALSE;
    *rect = target->rect;
    for (FakeWindow* parent = LiveWindow(target->parent); parent; parent = LiveWindow(parent->parent)) {
        rect->left += parent->rect.left;
        rect->right += parent->rect.left;
        rect->top += parent->rect.top;
        rect->bottom += parent->rect.top;
    }
    return TRUE;
}

HWND WINAPI SetFocus(HWND window)
{
    Hold hold(fakeLock);
    if (window && !LiveWindow(window)) return nullptr;
    HWND previous = focusWindow;
    focusWindow = window;
    return previous;
}

HWND WINAPI GetFocus() { Hold hold(fakeLock); return focusWindow; }

// ---- messages ----

// A message sent from another thread waits here until the window's own
// thread takes it, as on Windows: a window thread that waits without taking
// sent messages keeps the sender waiting.
struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    bool done;
};
static std::mutex sentMutex;
static std::condition_variable sentTaken;
static std::deque<SentMessage*> sentQueue;

static std::thread::id OwnerOf(HWND window)
{
    FakeWindow* target = LiveWindow(window);
    return target ? target->owner : std::thread::id();
}

bool SentMessagePending()
{
    Hold hold(fakeLock);
    std::lock_guard<std::mutex> sentHold(sentMutex);
    for (SentMessage* sent : sentQueue)
        if (OwnerOf(sent->window) == std::this_thread::get_id()) return true;
    return false;
}

void ProcessSentMessages()
{
    Hold hold(fakeLock);
    for (;;) {
        SentMessage* taken = nullptr;
        {
            std::lock_guard<std::mutex> sentHold(sentMutex);
            for (auto at = sentQueue.begin(); at != sentQueue.end(); ++at) {
                std::thread::id owner = OwnerOf((*at)->window);
                if (owner == std::this_thread::get_id() || owner == std::thread::id()) {
                    taken = *at;
                    sentQueue.erase(at);
                    break;
                }
            }
        }
        if (!taken) return;
        LRESULT result = DeliverMessage(taken->window, taken->message, taken->wParam, taken->lParam);
        std::lock_guard<std::mutex> sentHold(sentMutex);
        taken->result = result;
        taken->done = true;
        sentTaken.notify_all();
    }
}

// Sends still waiting at a reset end with 0, so no thread waits for a window
// that is gone.
static void DropSentMessages()
{
    std::lock_guard<std::mutex> sentHold(sentMutex);
    for (SentMessage* sent : sentQueue) sent->done = true;
    sentQueue.clear();
    sentTaken.notify_all();
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Hold hold(fakeLock);
    std::thread::id owner = OwnerOf(window);
    if (owner == std::thread::id()) return 0;
    if (owner == std::this_thread::get_id()) return DeliverMessage(window, message, wParam, lParam);
    SentMessage sent = {window, message, wParam, lParam, 0, false};
    {
        std::lock_guard<std::mutex> sentHold(sentMutex);
        sentQueue.push_back(&sent);
    }
    int held = fakeLock.ReleaseAll();
    for (;;) {
        ProcessSentMessages();   // a sender still takes what is sent to its own windows
        std::unique_lock<std::mutex> sentHold(sentMutex);
        if (sent.done) break;
        sentTaken.wait_for(sentHold, std::chrono::milliseconds(1));
        if (sent.done) break;
    }
    fakeLock.Reacquire(held);
    return sent.result;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Hold hold(fakeLock);
    if (window && !LiveWindow(window)) return FALSE;
    queue.push_back(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode)
{
    Hold hold(fakeLock);
    quitPending = true;
    quitPosted = true;
    quitCode = exitCode;
}

BOOL WINAPI GetMessageA(MSG* message, HWND, UINT, UINT)
{
    Hold hold(fakeLock);
    ProcessSentMessages();
    if (!message) return -1;
    if (!queue.empty()) {
        *message = queue.front();
        queue.pop_front();
        return message->message != WM_QUIT;
    }
    if (quitPending) {
        quitPending = false;
        *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, 0, POINT{0, 0}};
        return FALSE;
    }
    return -1;
}

BOOL WINAPI PeekMessageA(MSG* message, HWND, UINT, UINT, UINT flags)
{
    Hold hold(fakeLock);
    ProcessSentMessages();
    if (!message || (flags & PM_QS_SENDMESSAGE) || queue.empty()) return FALSE;
    *message = queue.front();
    if (flags & PM_REMOVE) queue.pop_front();
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    Hold hold(fakeLock);
    if (!message) return 0;
    return DeliverMessage(message->hwnd, message->message, message->wParam, message->lParam);
}

// ---- scrolling ----

BOOL WINAPI ScrollWindow(HWND window, int dx, int dy, const RECT* scrollRect, const RECT*)
{
    Hold hold(fakeLock);
    if (!LiveWindow(window)) return FALSE;
    if (scrollRect) return TRUE;       // only the whole client area carries the children along
    for (FakeWindow& child : windows) {
        if (!child.alive || child.parent != window) continue;
        child.rect.left += dx;
        child.rect.right += dx;
        child.rect.top += dy;
        child.rect.bottom += dy;
    }
    return TRUE;
}

static FakeWindow* ScrollBarOwner(HWND window, int bar)
{
    return (bar == SB_HORZ || bar == SB_VERT) ? LiveWindow(window) : nullptr;
}

int WINAPI SetScrollPos(HWND window, int bar, int position, BOOL)
{
    Hold hold(fakeLock);
    FakeWindow* target = ScrollBarOwner(window, bar);
    if (!target) return 0;
    int previous = target->scrollPosition[bar];
    if (position < target->scrollMinimum[bar]) position = target->scrollMinimum[bar];
    if (position > target->scrollMaximum[bar]) position = target->scrollMaximum[bar];
    target->scrollPosition[bar] = position;
    return previous;
}

int WINAPI GetScrollPos(HWND window, int bar)
{
    Hold hold(fakeLock);
    FakeWindow* target = ScrollBarOwner(window, bar);
    return target ? target->scrollPosition[bar] : 0;
}

BOOL WINAPI SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL)
{
    Hold hold(fakeLock);
    FakeWindow* target = ScrollBarOwner(window, bar);
    if (!target || minimum > maximum) return FALSE;
    target->scrollMinimum[bar] = minimum;
    target->scrollMaximum[bar] = maximum;
    int& position = target->scrollPosition[bar];
    if (position < minimum) position = minimum;
    if (position > maximum) position = maximum;
    return TRUE;
}

BOOL WINAPI GetScrollRange(HWND window, int bar, int* minimum, int* maximum)
{
    Hold hold(fakeLock);
    FakeWindow* target = ScrollBarOwner(window, bar);
    if (!target || !minimum || !maximum) return FALSE;
    *minimum = target->scrollMinimum[bar];
    *maximum = target->scrollMaximum[bar];
    return TRUE;
}
