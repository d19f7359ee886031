// The scrolling arithmetic, in units of the axis, worked by hand.
#include <gtest/gtest.h>

#include "app/scrolling.h"

TEST(Scrolling, ResizeDelta)
{
    struct Row { int lastExtent, extent, unit, position, delta; };
    const Row rows[] = {
        {700, 700, 7, 3, -1},     // unchanged width: one column back
        {700, 696, 7, 3, -1},     // shrunk by less than a unit: one back
        {700, 693, 7, 3, 0},      // shrunk by a whole unit: stays
        {700, 720, 7, 9, -3},     // grown by 20 pixels: 2 whole units plus one
        {700, 720, 7, 2, -2},     // never past 0
        {700, 700, 7, 0, 0},
        {0, 0, 16, 4, -1},        // a second 0 x 0 message still moves back one
        {600, 0, 16, 4, 0},       // minimising keeps the position
        {0, 600, 16, 40, -38},    // restoring: 37 whole lines plus one
        {65535, 0, 1, 0, 0},      // extents are 16-bit
    };
    for (const Row& row : rows)
        EXPECT_EQ(ResizeDelta(row.lastExtent, row.extent, row.unit, row.position), row.delta)
            << row.lastExtent << " -> " << row.extent << " unit " << row.unit << " at " << row.position;
}

TEST(Scrolling, ScrollMaximum)
{
    struct Row { int canvasSize, extent, unit, maximum; };
    const Row rows[] = {
        {100, 700, 7, 2},   // 100 - 100 + 2
        {100, 800, 7, 0},   // 100 - 114 + 2 is negative
        {100, 706, 7, 2},   // 706 / 7 = 100 whole columns
        {40, 600, 16, 5},   // 40 - 37 + 2
        {40, 0, 16, 42},    // minimised: two past the far edge
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScrollMaximum(row.canvasSize, row.extent, row.unit), row.maximum) << row.canvasSize << " " << row.extent;
}

// Steps of a request at position 5 (horizontal) or 3 of 10 (vertical, 16-pixel lines).
TEST(Scrolling, Steps)
{
    struct Row { int request, thumb, step; };
    const Row horizontal[] = {
        {SB_LINELEFT, 0, -1}, {SB_LINERIGHT, 0, 1}, {SB_PAGELEFT, 0, -8}, {SB_PAGERIGHT, 0, 8},
        {SB_THUMBTRACK, 12, 7}, {SB_THUMBTRACK, 0, -5},
        {SB_THUMBPOSITION, 12, 0},   // only tracking moves the view
        {SB_LEFT, 0, 0}, {SB_RIGHT, 0, 0}, {SB_ENDSCROLL, 0, 0}, {99, 0, 0},
    };
    for (const Row& row : horizontal)
        EXPECT_EQ(HorizontalStep(row.request, row.thumb, 5), row.step) << "request " << row.request;
    struct VerticalRow { int request, thumb, clientHeight, step; };
    const VerticalRow vertical[] = {
        {SB_LINEUP, 0, 100, -1}, {SB_LINEDOWN, 0, 100, 1},
        {SB_PAGEUP, 0, 100, -6}, {SB_PAGEDOWN, 0, 100, 6},   // 100 / 16 whole lines
        {SB_PAGEUP, 0, 10, -1}, {SB_PAGEDOWN, 0, 10, 1},     // less than a line: still one
        {SB_PAGEDOWN, 0, 16, 1},
        {SB_THUMBTRACK, 9, 100, 6}, {SB_THUMBPOSITION, 9, 100, 0},
        {SB_TOP, 0, 100, -3}, {SB_BOTTOM, 0, 100, 7}, {SB_ENDSCROLL, 0, 100, 0},
    };
    for (const VerticalRow& row : vertical)
        EXPECT_EQ(VerticalStep(row.request, row.thumb, 3, 10, row.clientHeight, 16), row.step)
            << "request " << row.request << " height " << row.clientHeight;
}

TEST(Scrolling, ClampStep)
{
    struct Row { int step, position, maximum, clamped; };
    const Row rows[] = {{8, 18, 22, 4}, {-8, 3, 22, -3}, {1, 22, 22, 0}, {-1, 0, 22, 0}, {5, 0, 0, 0}, {-5, 0, 0, 0}};
    for (const Row& row : rows)
        EXPECT_EQ(ClampStep(row.step, row.position, row.maximum), row.clamped)
            << row.step << " at " << row.position << " of " << row.maximum;
}
