// The PlaybackState: the one program-wide record that the window thread, the
// playback thread and the audio callback share, and the two options that
// start-up takes from the layout file's texts.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include <windows.h>
#include <mmsystem.h>

#include "window/layout.h"

const int SeekIndexSize = 12500;   // one entry per second of audio: 3 h 28 min

// Thread rule: each request flag (stopRequest, restartRequest) has one setter,
// the window thread, and one clearer, the playback thread; bufferDone has one
// setter, the audio callback, and one clearer, the playback thread. No locks:
// every field that more than one thread touches is atomic, and the playback
// thread looks at the flags only between buffer fills.
struct PlaybackState {
    std::atomic<int> threadActive;     // a playback thread exists
    std::atomic<int> playing;          // a stream is open on the device
    std::atomic<int> stopRequest;      // 1: close the device and end the thread
    std::atomic<int> restartRequest;   // 1: close the device, open currentIndex again
    std::atomic<int> pauseCount;       // 0 running, 1 paused
    std::atomic<int> bufferDone[2];    // the device has handed buffer i back
    std::atomic<int> exhaustedCount;   // fills since the entry opened that found the stream at its end
    std::atomic<int> currentIndex;     // Playlist entry that plays or opens next
    std::atomic<int> selectedIndex;    // Playlist entry the user last picked
    std::atomic<int> playlistCount;    // Playlist entries, the end marker not counted
    std::atomic<int> repeatOption;     // check box of RepeatSlot; nonzero is on
    std::atomic<int> advanceOption;    // check box of AdvanceSlot; nonzero is on
    std::atomic<int> framesPerBuffer;  // 5, 10, 25 or 50; set once at start-up
    std::atomic<int> deviceId;         // waveform-audio device; -1 is WAVE_MAPPER
    std::atomic<HANDLE> threadHandle;  // of the last playback thread created
    std::atomic<HWAVEOUT> deviceHandle;
    FILE* streamFile;                  // playback thread only
    char currentPath[PathSize];        // playback thread only: the entry being played
    int bufferLength;                  // playback thread only: bytes per audio buffer
    unsigned char* outputPosition;     // playback thread only: where the decoder writes next
    char messageText[PathSize];        // device error text and seek preview
    std::atomic<int> frameCounter;     // number of the next frame to decode or skip
    std::atomic<int> lastFrame;        // number of the open stream's last frame
    std::atomic<int> pendingSeek;      // frames, signed sum of seeks not yet carried out
    std::atomic<int> seekIndexTop;     // highest valid seekIndex entry
    int32_t seekIndex[SeekIndexSize];  // playback thread only: file offset of every 50th frame
};

// Zero at program start, as static storage is.
extern PlaybackState playbackState;

// Frames per buffer for a text as atoi reads it: up to 5 -> 5, 6..10 -> 10,
// 11..25 -> 25, 26 and more -> 50.
int FramesPerBufferFromText(const char* text);

// deviceId from DeviceText, then framesPerBuffer from FramesPerBufferText. Once, at
// start-up, after the layout load; a language change keeps both.
void InitPlaybackOptions();

// playing, threadActive, pauseCount, stopRequest, restartRequest and
// currentIndex back to 0; at start-up, once the controls exist.
void ResetPlaybackFlags();
