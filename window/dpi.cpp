// The window's DPI, the controls' font for it and the main window's size.
#include "window/dpi.h"

typedef UINT(WINAPI* DpiForWindowCall)(HWND);
typedef BOOL(WINAPI* AdjustForDpiCall)(RECT*, DWORD, BOOL, DWORD, UINT);
typedef int(WINAPI* MetricsForDpiCall)(int, UINT);

static FARPROC User32Call(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

static int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window)
{
    DpiForWindowCall dpiForWindow = reinterpret_cast<DpiForWindowCall>(reinterpret_cast<void*>(User32Call("GetDpiForWindow")));
    int dpi = dpiForWindow ? static_cast<int>(dpiForWindow(window)) : 0;
    return dpi > 0 ? dpi : ScreenDpi();
}

HFONT MakeFontForDpi(int dpi)
{
    if (dpi == 96 || dpi <= 0) return nullptr;
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
    return CreateFontIndirectA(&metrics.lfMessageFont);
}

static int MetricForDpi(int index, int dpi)
{
    MetricsForDpiCall metricsForDpi = reinterpret_cast<MetricsForDpiCall>(reinterpret_cast<void*>(User32Call("GetSystemMetricsForDpi")));
    return metricsForDpi ? metricsForDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

void FitMainWindow(HWND window, int clientWidth, int clientHeight, int dpi)
{
    // The bars show while the window is smaller than the canvas; AdjustWindowRectEx leaves them out.
    RECT outer = {0, 0, clientWidth + MetricForDpi(SM_CXVSCROLL, dpi), clientHeight + MetricForDpi(SM_CYHSCROLL, dpi)};
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    DWORD extendedStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
    AdjustForDpiCall adjustForDpi = reinterpret_cast<AdjustForDpiCall>(reinterpret_cast<void*>(User32Call("AdjustWindowRectExForDpi")));
    if (!adjustForDpi || !adjustForDpi(&outer, style, FALSE, extendedStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&outer, style, FALSE, extendedStyle);
    RECT place = {};
    GetWindowRect(window, &place);
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        if (width > work.right - work.left) width = work.right - work.left;
        if (height > work.bottom - work.top) height = work.bottom - work.top;
        if (place.left + width > work.right) place.left = work.right - width;
        if (place.top + height > work.bottom) place.top = work.bottom - height;
        if (place.left < work.left) place.left = work.left;
        if (place.top < work.top) place.top = work.top;
    }
    SetWindowPos(window, nullptr, place.left, place.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
