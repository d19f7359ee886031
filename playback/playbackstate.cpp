// The shared PlaybackState record and the options taken from the layout texts.
#include "playback/playbackstate.h"

#include "window/controls.h"

#include <climits>
#include <cstdlib>

PlaybackState playbackState;

// Reads a leading decimal number as atoi does (0 when there is none); numbers
// beyond the int range clamp to it instead of being undefined.
static int ReadNumber(const char* text)
{
    long value = strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int FramesPerBufferFromText(const char* text)
{
    int frames = ReadNumber(text);
    if (frames <= 5) return 5;
    if (frames <= 10) return 10;
    if (frames <= 25) return 25;
    return 50;
}

void InitPlaybackOptions()
{
    playbackState.deviceId = ReadNumber(LayoutText(DeviceText));
    playbackState.framesPerBuffer = FramesPerBufferFromText(LayoutText(FramesPerBufferText));
}

void ResetPlaybackFlags()
{
    playbackState.playing = 0;
    playbackState.threadActive = 0;
    playbackState.pauseCount = 0;
    playbackState.stopRequest = 0;
    playbackState.restartRequest = 0;
    playbackState.currentIndex = 0;
}
