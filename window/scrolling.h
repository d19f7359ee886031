// Scrolling of the control canvas (100 columns by 40 lines): the main
// window's scroll bars and resizing move the child controls with ScrollWindow.
#pragma once

#include <windows.h>

#include "window/units.h"

const int CanvasColumns = 100;
const int CanvasLines = 40;

// Both axes back to position 0, maximum 0 and last extent 0, with the units
// of start-up.
void InitScrolling(const LayoutUnits& units);

// WM_SIZE: the client width is the low word of size, the height the high word.
void ScrollOnResize(HWND window, LPARAM size);

// WM_HSCROLL and WM_VSCROLL: the request is the low word, the thumb position
// the high word.
void ScrollHorizontally(HWND window, WPARAM request);
void ScrollVertically(HWND window, WPARAM request);

// The arithmetic, in units of the axis (columns or lines).

// How far a resize from lastExtent to extent pixels moves the position: toward
// 0 by the whole units gained plus one, never forward, never past 0.
int ResizeDelta(int lastExtent, int extent, int unit, int position);

// canvasSize - extent / unit + 2, or 0 when that is negative.
int ScrollMaximum(int canvasSize, int extent, int unit);

// The step a scroll-bar request asks for, before it is kept inside 0..maximum.
int HorizontalStep(int request, int thumb, int position);
int VerticalStep(int request, int thumb, int position, int maximum, int clientHeight, int lineHeight);

// step lowered to at most maximum - position, then raised to at least -position.
int ClampStep(int step, int position, int maximum);
