// Layout units from the text metrics, and the units arithmetic that turns a
// ControlSpec into pixels.
#include "window/units.h"

#include <climits>
#include <cstdint>

LayoutUnits UnitsFromMetrics(int tmHeight, int tmAveCharWidth, int tmPitchAndFamily)
{
    LayoutUnits units;
    units.charWidth = tmAveCharWidth;
    // Bit 0 (TMPF_FIXED_PITCH) is set, despite its name, for variable-pitch fonts.
    if (tmPitchAndFamily & 1) units.charWidth = tmAveCharWidth * 3 / 2;
    units.lineHeight = tmHeight;
    units.topMargin = tmHeight * 2 / 10;
    if (units.charWidth < 1) units.charWidth = 1;
    if (units.lineHeight < 1) units.lineHeight = 1;
    return units;
}

// 64-bit products: a field of the layout file may hold any 32-bit value.
static int ClampToInt(int64_t value)
{
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

ControlPlace PlaceControl(const ControlSpec& spec, const LayoutUnits& units)
{
    ControlPlace place;
    place.x = ClampToInt(int64_t{spec.x} * units.charWidth / 10);
    place.y = ClampToInt(units.topMargin + int64_t{spec.y} * units.lineHeight * 14 / 100);
    place.width = ClampToInt(int64_t{spec.width} * units.charWidth / 10);
    place.height = ClampToInt(int64_t{spec.height} * units.lineHeight / 10);
    return place;
}
