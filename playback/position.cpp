// The frame counter, the SeekIndex and seeking. Everything but RequestSeek
// runs on the playback thread; RequestSeek only adds to pendingSeek, which the
// playback thread takes with one exchange, so no request is lost or applied
// twice.
#include "playback/position.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <windows.h>

#include "codec/streamfile.h"
#include "playback/playbackstate.h"
#include "playback/playbackthread.h"
#include "window/controls.h"

const int PositionTextSize = 200;
const int NumbersRoom = 64;            // six numbers and the separators, whatever their width
const int PendingFloor = -(1 << 30);   // repeated seeks back cannot overflow the sum

static char previewText[PathSize];     // window thread: the seek preview

static int SecondOf(int frame) { return (frame - frame % FramesPerSecond) / FramesPerSecond; }

void ResetPosition()
{
    playbackState.frameCounter = 0;
    playbackState.pendingSeek = 0;
    playbackState.seekIndexTop = 0;
    playbackState.lastFrame = streamHeader.lastFrame;
    playbackState.seekIndex[0] = static_cast<int32_t>(ftell(playbackState.streamFile));
}

void CountFrame()
{
    int frame = ++playbackState.frameCounter;
    int top = playbackState.seekIndexTop;
    if (SecondOf(frame) > top && top < SeekIndexSize - 1) {
        playbackState.seekIndex[top + 1] = static_cast<int32_t>(ftell(playbackState.streamFile));
        playbackState.seekIndexTop = top + 1;
    }
}

void ShowPosition()
{
    // The prefix is cut so that the times always fit the buffer.
    char prefix[PositionTextSize - NumbersRoom];
    CopyLayoutText(PositionSlot, prefix, sizeof prefix);
    long elapsed = SecondOf(playbackState.frameCounter);
    long total = SecondOf(playbackState.lastFrame < 0 ? 0 : playbackState.lastFrame.load());
    char text[PositionTextSize];
    snprintf(text, sizeof text, "%s  %2ld:%2ld:%2ld  // %2ld:%2ld:%2ld", prefix,
             elapsed / 3600, elapsed % 3600 / 60, elapsed % 60, total / 3600, total % 3600 / 60, total % 60);
    SendMessageA(ControlHandle(PositionSlot), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void RequestSeek(int frames)
{
    if (playbackState.pauseCount > 0) return;   // no seeking while paused
    int pending = playbackState.pendingSeek;
    int64_t target;
    for (;;) {
        int64_t sum = static_cast<int64_t>(pending) + frames;
        if (sum < PendingFloor) sum = PendingFloor;
        target = playbackState.frameCounter + sum;
        if (target > playbackState.lastFrame) return;   // dropped; what is pending stays
        // Fails, reloading pending, when the playback thread took the sum meanwhile.
        if (playbackState.pendingSeek.compare_exchange_weak(pending, static_cast<int>(sum))) break;
    }
    if (target < 0) target = 0;
    long second = SecondOf(static_cast<int>(target));
    if (second <= playbackState.seekIndexTop) return;
    char prefix[PathSize - NumbersRoom];
    strncpy(prefix, LayoutText(SeekPreviewText), sizeof prefix - 1);
    prefix[sizeof prefix - 1] = 0;
    snprintf(previewText, sizeof previewText, "%s %ld:%ld:%ld", prefix, second / 3600, second % 3600 / 60,
             second % 60);
    SendMessageA(ControlHandle(StatusSlot), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(previewText));
}

// Skips frames by the lengths in their headers, up to target or the first
// escape frame (the last frame, whose length is not recorded), which is left
// for the decoder to read next.
static void WalkTo(int target)
{
    FILE* stream = playbackState.streamFile;
    while (target > playbackState.frameCounter) {
        long frameStart = ftell(stream);
        int length = ReadLittleEndian(stream, 2) & 0xFFF;
        if (length == EscapeLength) {
            // Back to the header itself: at the end of the file the two reads
            // did not move, so a step back by 2 would land inside the last frame.
            fseek(stream, frameStart, SEEK_SET);
            return;
        }
        for (int i = 2; i < length; i++) getc(stream);
        CountFrame();
    }
}

void ApplyPendingSeek()
{
    int pending = playbackState.pendingSeek.exchange(0);
    if (pending == 0) return;
    int64_t target = static_cast<int64_t>(playbackState.frameCounter) + pending;
    if (target <= playbackState.lastFrame) {
        if (target < 0) target = 0;
        int second = SecondOf(static_cast<int>(target));
        int top = playbackState.seekIndexTop;
        FILE* stream = playbackState.streamFile;
        if (second <= top) {
            fseek(stream, playbackState.seekIndex[second], SEEK_SET);
            playbackState.frameCounter = FramesPerSecond * second;
        } else if (FramesPerSecond * top > playbackState.frameCounter || target < playbackState.frameCounter) {
            // The second lies beyond the index; a target behind the current
            // frame happens only once the index is full.
            fseek(stream, playbackState.seekIndex[top], SEEK_SET);
            playbackState.frameCounter = FramesPerSecond * top;
        }
        WalkTo(static_cast<int>(target));
    }
    if (playbackState.pendingSeek == 0)
        SendMessageA(ControlHandle(StatusSlot), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(playbackState.currentPath));
}
