// Resize and scroll-bar scrolling. Each axis keeps its position and maximum in
// units and its last client extent in pixels; the view moves by whole units.
#include "window/scrolling.h"

struct ScrollAxis {
    int unit;         // pixels per column or line
    int canvasSize;   // columns or lines
    int position;     // first visible column or line
    int maximum;      // highest position the bar allows
    int lastExtent;   // client width or height in pixels at the last WM_SIZE
    int bar;          // SB_HORZ or SB_VERT
};

static ScrollAxis horizontal = {1, CanvasColumns, 0, 0, 0, SB_HORZ};
static ScrollAxis vertical = {1, CanvasLines, 0, 0, 0, SB_VERT};

void InitScrolling(const LayoutUnits& units)
{
    horizontal = ScrollAxis{units.charWidth, CanvasColumns, 0, 0, 0, SB_HORZ};
    vertical = ScrollAxis{units.lineHeight, CanvasLines, 0, 0, 0, SB_VERT};
}

int ResizeDelta(int lastExtent, int extent, int unit, int position)
{
    int delta = (lastExtent - extent) / unit - 1;
    if (delta > 0) delta = 0;
    if (delta < -position) delta = -position;
    return delta;
}

int ScrollMaximum(int canvasSize, int extent, int unit)
{
    int maximum = canvasSize - extent / unit + 2;
    return maximum < 0 ? 0 : maximum;
}

int HorizontalStep(int request, int thumb, int position)
{
    switch (request) {
    case SB_LINELEFT: return -1;
    case SB_LINERIGHT: return 1;
    case SB_PAGELEFT: return -8;
    case SB_PAGERIGHT: return 8;
    case SB_THUMBTRACK: return thumb - position;
    }
    return 0;
}

int VerticalStep(int request, int thumb, int position, int maximum, int clientHeight, int lineHeight)
{
    int page = clientHeight / lineHeight;
    switch (request) {
    case SB_LINEUP: return -1;
    case SB_LINEDOWN: return 1;
    case SB_PAGEUP: return page > 1 ? -page : -1;
    case SB_PAGEDOWN: return page > 1 ? page : 1;
    case SB_THUMBTRACK: return thumb - position;
    case SB_TOP: return -position;
    case SB_BOTTOM: return maximum - position;
    }
    return 0;
}

int ClampStep(int step, int position, int maximum)
{
    if (step > maximum - position) step = maximum - position;
    if (step < -position) step = -position;
    return step;
}

// A step toward the far edge moves the canvas, children included, the other way.
static void MoveCanvas(HWND window, const ScrollAxis& axis, int step)
{
    int pixels = -step * axis.unit;
    if (axis.bar == SB_HORZ) ScrollWindow(window, pixels, 0, nullptr, nullptr);
    else ScrollWindow(window, 0, pixels, nullptr, nullptr);
}

static void ResizeAxis(HWND window, ScrollAxis& axis, int extent)
{
    int delta = ResizeDelta(axis.lastExtent, extent, axis.unit, axis.position);
    axis.position += delta;
    MoveCanvas(window, axis, delta);          // also when delta is 0
    axis.lastExtent = extent;
    axis.maximum = ScrollMaximum(axis.canvasSize, extent, axis.unit);
    SetScrollRange(window, axis.bar, 0, axis.maximum, FALSE);
    // Lowered without moving the canvas: the bar shows the nearest position it allows.
    if (axis.position > axis.maximum) axis.position = axis.maximum;
    SetScrollPos(window, axis.bar, axis.position, TRUE);
}

void ScrollOnResize(HWND window, LPARAM size)
{
    ResizeAxis(window, horizontal, LOWORD(size));
    ResizeAxis(window, vertical, HIWORD(size));
}

static void StepAxis(HWND window, ScrollAxis& axis, int step)
{
    step = ClampStep(step, axis.position, axis.maximum);
    if (step == 0) return;
    axis.position += step;
    MoveCanvas(window, axis, step);
    SetScrollPos(window, axis.bar, axis.position, TRUE);
}

void ScrollHorizontally(HWND window, WPARAM request)
{
    StepAxis(window, horizontal, HorizontalStep(LOWORD(request), HIWORD(request), horizontal.position));
}

void ScrollVertically(HWND window, WPARAM request)
{
    int step = VerticalStep(LOWORD(request), HIWORD(request), vertical.position, vertical.maximum,
                            vertical.lastExtent, vertical.unit);
    StepAxis(window, vertical, step);
}
