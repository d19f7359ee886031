// Layout units: the system font's character width and line height, in which
// the layout file places the controls, and a control's place in pixels.
#pragma once

#include <windows.h>

#include "ui/layout.h"

struct LayoutUnits {
    int charWidth;    // pixels per column
    int lineHeight;   // pixels per line
    int topMargin;    // pixels above the first line
};

struct ControlPlace {
    int x, y, width, height;   // pixels, in the main window's client area
};

// charWidth is tmAveCharWidth, or tmAveCharWidth * 3 / 2 for a variable-pitch
// font (bit 0 of tmPitchAndFamily); lineHeight tmHeight; topMargin tmHeight * 2 / 10.
// Both units are at least 1, so the scrolling can divide by them.
LayoutUnits UnitsFromMetrics(const TEXTMETRICA& metrics);

// The units of the window's default font (GetDC, GetTextMetricsA, ReleaseDC).
LayoutUnits MeasureLayoutUnits(HWND window);

// x and width in tenths of charWidth, y in 14/100 of lineHeight below the top
// margin, height in tenths of lineHeight; each division after the
// multiplications, truncating toward zero. Results beyond the int range clamp.
ControlPlace PlaceControl(const ControlSpec& spec, const LayoutUnits& units);
