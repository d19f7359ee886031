// Layout units from the text metrics and the units arithmetic of control places.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "window/units.h"

TEST(LayoutUnits, FromMetrics)
{
    struct Row { int height, aveCharWidth, pitchAndFamily; std::vector<int> units; } rows[] = {
        {16, 7, 0x21, {10, 16, 3}},   // variable pitch: 10.5 truncated
        {16, 7, 0x30, {7, 16, 3}},    // fixed pitch: bit 0 clear
        {4, 1, 0x01, {1, 4, 0}},      // 1.5 truncated; margin 0.8 truncated
        {0, 0, 0x00, {1, 1, 0}},      // no font: units kept at 1 pixel
    };
    for (const Row& row : rows) {
        LayoutUnits got = UnitsFromMetrics(row.height, row.aveCharWidth, row.pitchAndFamily);
        EXPECT_EQ(std::vector<int>({got.charWidth, got.lineHeight, got.topMargin}), row.units) << row.height;
    }
}

TEST(LayoutUnits, PlaceControl)
{
    struct Row { ControlSpec control; LayoutUnits units; std::vector<int> place; } rows[] = {   // type and style unused
        // y 100 with line 16: 3 + 22400 / 100; height 25: 400 / 10
        {{0, 0, 20, 100, 740, 25}, {7, 16, 3}, {14, 227, 518, 40}},
        // x -5 with unit 7: -35 / 10 truncates toward zero
        {{0, 0, -5, 0, 15, 1}, {7, 16, 3}, {-3, 3, 10, 1}},
        // division last: 7 * 16 * 14 / 100 = 15, where 7 * (16 * 14 / 100) would give 14
        {{0, 0, 0, 7, 0, 0}, {10, 16, 3}, {0, 18, 0, 0}},
        // fields at the 32-bit limits clamp instead of overflowing
        {{0, 0, INT_MAX, INT_MIN, INT_MAX, INT_MIN}, {20, 16, 3}, {INT_MAX, INT_MIN, INT_MAX, INT_MIN}},
    };
    for (const Row& row : rows) {
        ControlPlace got = PlaceControl(row.control, row.units);
        EXPECT_EQ(std::vector<int>({got.x, got.y, got.width, got.height}), row.place) << "control y " << row.control.y;
    }
}
