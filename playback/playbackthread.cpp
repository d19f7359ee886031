// The PlaybackThread and the session it runs. The thread polls: the device's
// callback only raises a buffer's flag, and every PollMillis the thread looks
// at the stop and restart requests and refills each buffer that came back.
//
// Thread rule: the window thread sets stopRequest and restartRequest, the
// playback thread clears them; the callback sets bufferDone, the playback
// thread clears it before refilling, so no completion is lost. The playback
// thread changes controls only by sending messages, which the window thread
// carries out; so the window thread never waits for this thread without
// carrying out sent messages meanwhile (StopPlaybackAndWait).
#include "playback/playbackthread.h"

#include <cstring>

#include "codec/framedecoder.h"
#include "playback/playbackstate.h"
#include "playback/position.h"
#include "window/controls.h"

StreamHeader streamHeader;

static WAVEHDR bufferHeaders[2];                      // only lpData and dwBufferLength are ours
static WAVEHDR* const buffers[2] = {&bufferHeaders[0], &bufferHeaders[1]};
static unsigned char dataBlock[2 * DataAreaSize];

// In stereo a frame of an odd number of values ends inside a left/right pair,
// and the device plays only whole pairs. The value that would end a buffer on
// half a pair waits here and begins the next one. Playback thread only.
static unsigned char carriedValue[2];
static bool carrying;

static HWND sessionWindow;   // playback thread only: the main window its session reports to

static void SetButtonState(int slot, int state)
{
    SendMessageA(ControlHandle(slot), BM_SETSTATE, state, 0);
}

void StartPlayback(HWND mainWindow)
{
    if (playbackState.threadActive) {
        if (playbackState.pauseCount > 0) {
            playbackState.pauseCount = 0;
            SetButtonState(PauseSlot, 0);
            SetButtonState(PlaySlot, 1);
            waveOutRestart(playbackState.deviceHandle);
        } else {
            SetButtonState(PlaySlot, 1);
        }
        return;
    }
    if (playbackState.playlistCount == 0) return;
    SetButtonState(PlaySlot, 1);
    // A request raised just as the last session ended must not end this one.
    playbackState.stopRequest = 0;
    playbackState.restartRequest = 0;
    playbackState.threadActive = 1;
    // The last thread has ended its session; its handle is no longer needed.
    HANDLE previous = playbackState.threadHandle.exchange(nullptr);
    if (previous) CloseHandle(previous);
    DWORD threadId;
    HANDLE thread = CreateThread(nullptr, 0, PlaybackThreadMain, mainWindow, 0, &threadId);
    if (!thread) {
        playbackState.threadActive = 0;
        SetButtonState(PlaySlot, 0);
        return;
    }
    playbackState.threadHandle = thread;
}

void TogglePause()
{
    if (playbackState.playing != 1) return;
    int paused = playbackState.pauseCount + 1;
    if (paused > 1) paused = 0;
    playbackState.pauseCount = paused;
    SetButtonState(PauseSlot, paused);
    if (paused) waveOutPause(playbackState.deviceHandle);
    else waveOutRestart(playbackState.deviceHandle);
}

void RequestStop() { playbackState.stopRequest = 1; }
void RequestRestart() { playbackState.restartRequest = 1; }

void StopPlaybackAndWait()
{
    HANDLE thread = playbackState.threadHandle;
    if (!thread) return;
    if (playbackState.threadActive) RequestStop();
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        if (waited >= ShutdownMillis) return;   // the thread ends with the process
        DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, ShutdownMillis - waited, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) break;
        if (woken != WAIT_OBJECT_0 + 1) return;
        MSG message;   // carries out the messages the thread is waiting on
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    playbackState.threadHandle = nullptr;
    CloseHandle(thread);
}

void EndSession(int code)
{
    ShowIdleTexts();
    if (code == Failed) ShowLayoutText(PositionSlot, CannotPlayText);
    playbackState.playing = 0;
    // Before threadActive clears: a session started after it cannot report first.
    SendMessageA(sessionWindow, PlayingMessage, 0, 0);
    playbackState.threadActive = 0;
    SetButtonState(PlaySlot, 0);
    SetButtonState(PauseSlot, 0);
    playbackState.pauseCount = 0;
}

// The entry's path from the list box; one that could not fit currentPath is
// refused rather than copied.
static int ReadCurrentPath()
{
    int index = playbackState.currentIndex;
    playbackState.currentPath[0] = 0;
    if (index < 0 || index >= playbackState.playlistCount) return Failed;
    return ReadListRow(ControlHandle(PlaylistSlot), index, playbackState.currentPath, PathSize) < 0 ? Failed : Ok;
}

static int FailOpen(int closeFile)
{
    if (closeFile) fclose(playbackState.streamFile);
    playbackState.streamFile = nullptr;
    EndSession(Failed);
    return Failed;
}

int OpenSession(HWND mainWindow)
{
    ShowIdleTexts();
    int pathOk = ReadCurrentPath();
    playbackState.threadActive = 1;
    playbackState.pauseCount = 0;
    if (pathOk != Ok) return FailOpen(0);
    playbackState.streamFile = fopen(playbackState.currentPath, "rb");
    if (!playbackState.streamFile) return FailOpen(0);
    if (ReadStreamHeader(playbackState.streamFile, streamHeader) != Ok) {
        FailOpen(1);
        if (streamHeader.failure == UnsupportedCoderType) ShowLayoutText(StatusSlot, UnsupportedText);
        return Failed;
    }
    // Both buffers' frames must fit their data areas.
    int64_t bufferBytes = int64_t{streamHeader.samplesPerFrame} * playbackState.framesPerBuffer * 2;
    if (bufferBytes > DataAreaSize) return FailOpen(1);
    playbackState.bufferLength = static_cast<int>(bufferBytes);
    playbackState.bufferDone[0] = 0;
    playbackState.bufferDone[1] = 0;

    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(streamHeader.channels);
    format.nSamplesPerSec = static_cast<DWORD>(streamHeader.sampleRate);
    format.nAvgBytesPerSec = static_cast<DWORD>(streamHeader.sampleRate * streamHeader.channels * 2);
    format.nBlockAlign = static_cast<WORD>(streamHeader.channels * 2);
    format.wBitsPerSample = 16;
    format.cbSize = 0;
    HWAVEOUT device = nullptr;
    MMRESULT opened = waveOutOpen(&device, static_cast<UINT>(playbackState.deviceId), &format,
                                  reinterpret_cast<DWORD_PTR>(WaveOutCallback), 0, CALLBACK_FUNCTION);
    if (opened != MMSYSERR_NOERROR) {
        playbackState.messageText[0] = 0;   // an unknown code leaves the buffer as it was
        waveOutGetErrorTextA(opened, playbackState.messageText, PathSize);
        MessageBoxA(mainWindow, playbackState.messageText, nullptr, MB_OK);
        return FailOpen(1);
    }
    playbackState.deviceHandle = device;
    SendMessageA(ControlHandle(StatusSlot), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(playbackState.currentPath));
    playbackState.exhaustedCount = 0;
    ResetPosition();
    carrying = false;
    // The thread's own handle: the window thread may not have stored it yet.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    // Held paused while both buffers are queued, so playing starts with two full buffers.
    waveOutPause(device);
    FillBuffer(*buffers[0]);
    FillBuffer(*buffers[1]);
    waveOutRestart(device);
    playbackState.playing = 1;
    SendMessageA(mainWindow, PlayingMessage, 0, reinterpret_cast<LPARAM>(playbackState.currentPath));
    return Ok;
}

int FillBuffer(WAVEHDR& header)
{
    int frameBefore = playbackState.frameCounter;
    ApplyPendingSeek();
    if (playbackState.frameCounter != frameBefore) carrying = false;   // it belonged to the old position
    if (playbackState.frameCounter > playbackState.lastFrame) {
        playbackState.exhaustedCount++;   // not queued again: the other buffer plays out
        return Ok;
    }
    if (playbackState.frameCounter % FramesPerSecond == 0) ShowPosition();
    unsigned char* area = dataBlock + (&header == buffers[0] ? 0 : DataAreaSize);
    unsigned char* start = area;
    playbackState.outputPosition = area;
    // A buffer starts on a pair of the whole stream: after the carried value,
    // or, when a seek lands on a frame that begins with the second half of a
    // pair, without that value. An odd pair count always leaves the data area
    // 2 bytes of room, since it cannot fill a buffer's 200000 bytes exactly.
    bool stereo = streamHeader.channels == 2;
    if (stereo && (playbackState.frameCounter & streamHeader.samplesPerFrame & 1)) {
        if (carrying) {
            memcpy(area, carriedValue, 2);
            playbackState.outputPosition = area + 2;
        } else {
            start = area + 2;
        }
    }
    for (int frame = 0; frame < playbackState.framesPerBuffer; frame++) {
        DecodeFrame(playbackState.streamFile, streamHeader, playbackState.outputPosition);
        CountFrame();
    }
    size_t length = static_cast<size_t>(playbackState.outputPosition - start);
    carrying = stereo && length % 4 != 0;
    if (carrying) {
        length -= 2;
        memcpy(carriedValue, start + length, 2);
    }
    // The data moves within its area, so the header is prepared afresh for it.
    waveOutUnprepareHeader(playbackState.deviceHandle, &header, sizeof(WAVEHDR));
    header.lpData = reinterpret_cast<LPSTR>(start);
    header.dwBufferLength = static_cast<DWORD>(length);
    waveOutPrepareHeader(playbackState.deviceHandle, &header, sizeof(WAVEHDR));
    waveOutWrite(playbackState.deviceHandle, &header, sizeof(WAVEHDR));
    return Ok;
}

// A seek while playing is heard at once: the queued audio is dropped and both
// buffers are filled again from the target, which the fill works out from the
// frames decoded so far, as it would have at the next buffer. waveOutReset
// hands both buffers back, their flags raised, before it returns; on some
// systems it also ends a pause, so a pause made meanwhile is made again.
static void JumpToSeek()
{
    HWAVEOUT device = playbackState.deviceHandle;
    waveOutReset(device);
    playbackState.bufferDone[0] = 0;
    playbackState.bufferDone[1] = 0;
    playbackState.exhaustedCount = 0;
    FillBuffer(*buffers[0]);
    FillBuffer(*buffers[1]);
    if (playbackState.pauseCount > 0) waveOutPause(device);
}

void CALLBACK WaveOutCallback(HWAVEOUT, UINT message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR)
{
    if (message != WOM_DONE) return;
    WAVEHDR* header = reinterpret_cast<WAVEHDR*>(param1);
    if (header != buffers[0]) playbackState.bufferDone[1] = 1;
    if (header != buffers[1]) playbackState.bufferDone[0] = 1;
}

void CloseDevice()
{
    HWAVEOUT device = playbackState.deviceHandle;
    waveOutReset(device);   // hands the queued buffers back, raising their flags
    waveOutUnprepareHeader(device, buffers[0], sizeof(WAVEHDR));
    waveOutUnprepareHeader(device, buffers[1], sizeof(WAVEHDR));
    waveOutClose(device);
    ShowIdleTexts();
    SetButtonState(PauseSlot, 0);
    playbackState.pauseCount = 0;
}

static void CloseEntry()
{
    CloseDevice();
    fclose(playbackState.streamFile);
    playbackState.streamFile = nullptr;
}

static DWORD EndThread()
{
    playbackState.currentIndex = playbackState.selectedIndex.load();
    playbackState.stopRequest = 0;
    playbackState.restartRequest = 0;
    EndSession(Ok);
    return Ok;
}

enum EntryEnd { Stopped, Restarted, TrackEnded };

// The poll of one open entry, until a request or the end of the track.
static EntryEnd PlayEntry()
{
    // A stream with no frame at all is exhausted by the priming fills.
    if (playbackState.exhaustedCount > 1) return TrackEnded;
    for (;;) {
        for (int i = 0; i < 2; i++) {
            if (playbackState.stopRequest) return Stopped;
            if (playbackState.restartRequest) return Restarted;
            if (playbackState.pendingSeek != 0 && playbackState.pauseCount == 0) {
                JumpToSeek();
                if (playbackState.exhaustedCount > 1) return TrackEnded;
            }
            // A buffer still queued is never filled, whatever its flag says.
            if (playbackState.bufferDone[i].exchange(0) && (buffers[i]->dwFlags & WHDR_DONE)) {
                FillBuffer(*buffers[i]);
                if (playbackState.exhaustedCount > 1) return TrackEnded;
            }
        }
        Sleep(PollMillis);
    }
}

// After a track, by the options as they are now: the next entry, the first
// again (both moving the selection), the same again, or -1 to end.
static int NextEntry(bool& moveSelection)
{
    int current = playbackState.currentIndex;
    int count = playbackState.playlistCount;
    moveSelection = playbackState.advanceOption != 0;
    if (moveSelection) {
        if (current + 1 < count) return current + 1;
        return playbackState.repeatOption && count > 0 ? 0 : -1;
    }
    return playbackState.repeatOption ? current : -1;
}

DWORD WINAPI PlaybackThreadMain(LPVOID mainWindow)
{
    HWND window = static_cast<HWND>(mainWindow);
    sessionWindow = window;
    for (;;) {
        if (OpenSession(window) != Ok) return Failed;
        EntryEnd end = PlayEntry();
        CloseEntry();
        if (end == Stopped) return EndThread();
        if (end == Restarted) {
            playbackState.restartRequest = 0;
            continue;
        }
        // A stop raised while the track ran out wins, as it would a pass later.
        bool moveSelection = false;
        int next = playbackState.stopRequest ? -1 : NextEntry(moveSelection);
        if (next < 0) return EndThread();
        if (moveSelection) {
            playbackState.currentIndex = next;
            playbackState.selectedIndex = next;
            SendMessageA(ControlHandle(PlaylistSlot), LB_SETCURSEL, next, 0);
        }
    }
}
