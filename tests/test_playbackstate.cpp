// Frames per buffer from the text of slot 47.
#include <gtest/gtest.h>

#include "playback/playbackstate.h"

TEST(PlaybackOptions, FramesPerBuffer)
{
    struct Row { const char* text; int frames; };
    const Row rows[] = {
        {"5", 5}, {"6", 10}, {"10", 10}, {"11", 25}, {"25", 25}, {"26", 50},
        {"0", 5}, {"", 5}, {"abc", 5}, {"-7", 5}, {"1000", 50},
        {" 12", 25},              // leading blanks are skipped, as atoi does
        {"7 frames", 10},         // the number ends at the first non-digit
        {"99999999999999999999", 50},
    };
    for (const Row& row : rows) EXPECT_EQ(FramesPerBufferFromText(row.text), row.frames) << '"' << row.text << '"';
}
