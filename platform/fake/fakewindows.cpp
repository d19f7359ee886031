// The stand-in windows: classes, creation and destruction, the window
// queries, and scrolling with the scroll bars. A window procedure is called
// with no lock held, on the window's own thread (sends route there).
#include "fakeinternal.h"

#include <cstring>
#include <strings.h>

static const int MaxWindows = 512;   // per reset; dead slots are reused

static FakeWindow windows[MaxWindows];
static int nextWindow;                         // where the search for a free slot starts
static std::vector<WNDCLASSA> classes;
static std::vector<std::string> classNames;    // owns the names of classes
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

void ResetWindows()
{
    for (FakeWindow& window : windows) ClearWindow(window);
    nextWindow = 0;
    classes.clear();
    classNames.clear();
    focusWindow = nullptr;
    defaultClientWidth = 800;
    defaultClientHeight = 600;
    failingClass.clear();
}

void FakeSetClientSize(int width, int height)
{
    Hold hold;
    defaultClientWidth = width;
    defaultClientHeight = height;
}

void FakeFailWindowCreation(const char* className)
{
    Hold hold;
    failingClass = className ? className : "";
}

int FakeChildCount(HWND parent)
{
    Hold hold;
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
    Hold hold;
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
    Hold hold;
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
    WNDPROC procedure;
    {
        Hold hold;
        FakeWindow* target = LiveWindow(window);
        if (!target) return 0;
        procedure = target->procedure;
    }
    if (!procedure) return ControlProcedure(window, message, wParam, lParam);
    RequireNoHold();
    return procedure(window, message, wParam, lParam);
}

// The record of a new window, or NULL; fakeLock held.
static FakeWindow* NewRecord(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                             int x, int y, int& width, int& height, HWND parent, HMENU menu, DWORD owner)
{
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
    window->owner = owner;
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
    return window;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID parameter)
{
    DWORD owner = GetCurrentThreadId();
    FakeWindow* window;
    {
        Hold hold;
        window = NewRecord(exStyle, className, windowName, style, x, y, width, height, parent, menu, owner);
        if (!window || window->kind != UserWindow) return window;
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    CREATESTRUCTA create = {parameter, instance, menu, parent, height, width, y, x,
                            static_cast<LONG>(style), windowName, className, exStyle};
    if (DeliverMessage(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    return window;
}

// WM_DESTROY goes to the window first, then to its children.
static void DestroyTree(HWND window)
{
    SendMessageA(window, WM_DESTROY, 0, 0);
    for (;;) {
        HWND child = nullptr;
        {
            Hold hold;
            for (FakeWindow& candidate : windows)
                if (candidate.alive && candidate.parent == window) child = &candidate;
        }
        if (!child) break;
        DestroyTree(child);
    }
    Hold hold;
    FakeWindow* target = LiveWindow(window);
    if (focusWindow == window) focusWindow = nullptr;
    if (target) ClearWindow(*target);
}

// Only the window's own thread may destroy it, as on Windows.
BOOL WINAPI DestroyWindow(HWND window)
{
    DWORD caller = GetCurrentThreadId();
    {
        Hold hold;
        FakeWindow* target = LiveWindow(window);
        if (!target) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (target->owner != caller) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    DestroyTree(window);
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
    {
        Hold hold;
        FakeWindow* target = LiveWindow(window);
        if (!target) return 0;
        LRESULT result = 0;
        if (TextMessage(target, message, wParam, lParam, result)) return result;
    }
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand)
{
    BOOL wasVisible;
    bool firstShow = false;
    LPARAM size = 0;
    {
        Hold hold;
        FakeWindow* target = LiveWindow(window);
        if (!target) return FALSE;
        wasVisible = target->visible;
        target->visible = showCommand != SW_HIDE;
        if (target->visible && !wasVisible) target->needsPaint = true;
        if (target->visible && !target->parent && !target->sizeSent) {
            target->sizeSent = firstShow = true;
            size = MAKELPARAM(target->rect.right - target->rect.left, target->rect.bottom - target->rect.top);
        }
    }
    if (firstShow) SendMessageA(window, WM_SIZE, SIZE_RESTORED, size);
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND window)
{
    bool paint;
    {
        Hold hold;
        FakeWindow* target = LiveWindow(window);
        if (!target) return FALSE;
        paint = target->visible && target->needsPaint;
    }
    if (paint) SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { Hold hold; return LiveWindow(window) != nullptr; }

BOOL WINAPI IsWindowVisible(HWND window)
{
    Hold hold;
    FakeWindow* target = LiveWindow(window);
    return target && target->visible;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName)
{
    Hold hold;
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
    Hold hold;
    if (!LiveWindow(parent)) return nullptr;
    for (FakeWindow& window : windows)
        if (window.alive && window.parent == parent && window.identifier == identifier) return &window;
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND window)
{
    Hold hold;
    FakeWindow* target = LiveWindow(window);
    return target ? target->identifier : 0;
}

HWND WINAPI GetParent(HWND window)
{
    Hold hold;
    FakeWindow* target = LiveWindow(window);
    return target ? target->parent : nullptr;
}

LONG WINAPI GetWindowLongA(HWND window, int index)
{
    Hold hold;
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
    Hold hold;
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
    Hold hold;
    FakeWindow* target = LiveWindow(window);
    if (!target || !rect) return FALSE;
    *rect = RECT{0, 0, target->rect.right - target->rect.left, target->rect.bottom - target->rect.top};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect)
{
    Hold hold;
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
    Hold hold;
    if (window && !LiveWindow(window)) return nullptr;
    HWND previous = focusWindow;
    focusWindow = window;
    return previous;
}

HWND WINAPI GetFocus() { Hold hold; return focusWindow; }

// ---- scrolling ----

BOOL WINAPI ScrollWindow(HWND window, int dx, int dy, const RECT* scrollRect, const RECT*)
{
    Hold hold;
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
    Hold hold;
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
    Hold hold;
    FakeWindow* target = ScrollBarOwner(window, bar);
    return target ? target->scrollPosition[bar] : 0;
}

BOOL WINAPI SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL)
{
    Hold hold;
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
    Hold hold;
    FakeWindow* target = ScrollBarOwner(window, bar);
    if (!target || !minimum || !maximum) return FALSE;
    *minimum = target->scrollMinimum[bar];
    *maximum = target->scrollMaximum[bar];
    return TRUE;
}
