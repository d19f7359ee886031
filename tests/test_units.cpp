// Layout units from the text metrics and the units arithmetic of control places.
#include <gtest/gtest.h>

#include <climits>

#include "app/units.h"

static void ExpectUnits(int height, int aveCharWidth, int pitchAndFamily, int charWidth, int lineHeight, int topMargin)
{
    TEXTMETRICA metrics = {};
    metrics.tmHeight = height;
    metrics.tmAveCharWidth = aveCharWidth;
    metrics.tmPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    LayoutUnits units = UnitsFromMetrics(metrics);
    SCOPED_TRACE(testing::Message() << "height " << height << " width " << aveCharWidth << " pitch " << pitchAndFamily);
    EXPECT_EQ(units.charWidth, charWidth);
    EXPECT_EQ(units.lineHeight, lineHeight);
    EXPECT_EQ(units.topMargin, topMargin);
}

TEST(LayoutUnits, FromMetrics)
{
    ExpectUnits(16, 7, 0x21, 10, 16, 3);   // variable pitch: 10.5 truncated
    ExpectUnits(16, 7, 0x30, 7, 16, 3);    // fixed pitch: bit 0 clear
    ExpectUnits(20, 8, 0x01, 12, 20, 4);
    ExpectUnits(4, 1, 0x01, 1, 4, 0);      // 1.5 truncated; margin 0.8 truncated
    ExpectUnits(0, 0, 0x00, 1, 1, 0);      // no font: units kept at 1 pixel
}

struct PlaceRow {
    ControlSpec spec;        // type and style unused
    int charWidth, lineHeight, topMargin;
    ControlPlace place;
};

static void ExpectPlace(const PlaceRow& row)
{
    ControlPlace place = PlaceControl(row.spec, LayoutUnits{row.charWidth, row.lineHeight, row.topMargin});
    SCOPED_TRACE(testing::Message() << "spec " << row.spec.x << "," << row.spec.y << "," << row.spec.width << ","
                                    << row.spec.height << " units " << row.charWidth << "/" << row.lineHeight);
    EXPECT_EQ(place.x, row.place.x);
    EXPECT_EQ(place.y, row.place.y);
    EXPECT_EQ(place.width, row.place.width);
    EXPECT_EQ(place.height, row.place.height);
}

TEST(LayoutUnits, PlaceControl)
{
    const PlaceRow rows[] = {
        // y 100 with line 16: 3 + 22400 / 100; height 25: 400 / 10
        {{0, 0, 20, 100, 740, 25}, 7, 16, 3, {14, 227, 518, 40}},
        // x -5 with unit 7: -35 / 10 truncates toward zero
        {{0, 0, -5, 0, 15, 1}, 7, 16, 3, {-3, 3, 10, 1}},
        // division last: 7 * 16 * 14 / 100 = 15, where 7 * (16 * 14 / 100) would give 14
        {{0, 0, 0, 7, 0, 0}, 10, 16, 3, {0, 18, 0, 0}},
        {{0, 0, 0, -7, -9, -9}, 10, 16, 3, {0, -12, -9, -14}},
        // fields at the 32-bit limits clamp instead of overflowing
        {{0, 0, INT_MAX, INT_MIN, INT_MAX, INT_MIN}, 20, 16, 3, {INT_MAX, INT_MIN, INT_MAX, INT_MIN}},
    };
    for (const PlaceRow& row : rows) ExpectPlace(row);
}
