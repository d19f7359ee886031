// Layout units from the text metrics and the units arithmetic of control places.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "window/units.h"

typedef std::vector<int> Ints;

TEST(LayoutUnits, FromMetrics)
{
    // variable pitch: 10.5 truncated; bit 0 clear: fixed; 1.5 and a margin of 0.8 truncated; no font: 1 pixel
    struct Row { int height, aveCharWidth, pitchAndFamily; Ints units; } rows[] = {
        {16, 7, 0x21, {10, 16, 3}}, {16, 7, 0x30, {7, 16, 3}}, {4, 1, 0x01, {1, 4, 0}}, {0, 0, 0x00, {1, 1, 0}}};
    for (const Row& row : rows) {
        LayoutUnits got = UnitsFromMetrics(row.height, row.aveCharWidth, row.pitchAndFamily);
        EXPECT_EQ(Ints({got.charWidth, got.lineHeight, got.topMargin}), row.units) << row.height;
    }
}

TEST(LayoutUnits, PlaceControl)
{
    struct Row { ControlSpec control; LayoutUnits units; Ints place; } rows[] = {   // type and style unused
        {{0, 0, 20, 100, 740, 25}, {7, 16, 3}, {14, 227, 518, 40}},   // y: 3 + 22400 / 100; height 400 / 10
        {{0, 0, -5, 0, 15, 1}, {7, 16, 3}, {-3, 3, 10, 1}},           // x: -35 / 10 truncates toward zero
        {{0, 0, 0, 7, 0, 0}, {10, 16, 3}, {0, 18, 0, 0}},             // 7 * 16 * 14 / 100, not 7 * (16 * 14 / 100)
        {{0, 0, INT_MAX, INT_MIN, INT_MAX, INT_MIN}, {20, 16, 3}, {INT_MAX, INT_MIN, INT_MAX, INT_MIN}},   // clamped
    };
    for (const Row& row : rows) {
        ControlPlace got = PlaceControl(row.control, row.units);
        EXPECT_EQ(Ints({got.x, got.y, got.width, got.height}), row.place) << "control y " << row.control.y;
    }
}
