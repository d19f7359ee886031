// Layout units: the system font's character width and line height, in which
// the layout file places the controls, and a control's place in pixels.
#pragma once

#include "window/layout.h"

struct LayoutUnits {
    int charWidth;    // pixels per column
    int lineHeight;   // pixels per line
    int topMargin;    // pixels above the first line
};

struct ControlPlace {
    int x, y, width, height;   // pixels, in the main window's client area
};

// From the font's text metrics: charWidth is tmAveCharWidth, or
// tmAveCharWidth * 3 / 2 for a variable-pitch font (bit 0 of
// tmPitchAndFamily); lineHeight tmHeight; topMargin tmHeight * 2 / 10. Both
// units are at least 1, so the scrolling can divide by them.
LayoutUnits UnitsFromMetrics(int tmHeight, int tmAveCharWidth, int tmPitchAndFamily);

// x and width in tenths of charWidth, y in 14/100 of lineHeight below the top
// margin, height in tenths of lineHeight; each division after the
// multiplications, truncating toward zero. Results beyond the int range clamp.
ControlPlace PlaceControl(const ControlSpec& spec, const LayoutUnits& units);
