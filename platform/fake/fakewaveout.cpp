// The stand-in waveform-audio device, one output on a virtual clock: a test
// hands queued buffers back with FakeCompleteBuffer, as the device would
// when it has played them; waveOutReset hands back the rest unplayed, before
// it returns. The callback runs on the thread that causes it, never under the
// device's lock.
#include "fakeinternal.h"

#include <cstring>
#include <deque>

struct FakeWaveOut {
    bool open;
    bool paused;
    WAVEOUTPROC callback;
    DWORD_PTR instance;
    std::deque<WAVEHDR*> queue;
};

static std::mutex deviceMutex;
static FakeWaveOut device;
static WAVEFORMATEX lastFormat;
static std::string played, written;
static int openCount;
static MMRESULT openFailure;

void ResetWaveOut()
{
    std::lock_guard<std::mutex> hold(deviceMutex);
    device.open = device.paused = false;
    device.callback = nullptr;
    device.queue.clear();
    played.clear();
    written.clear();
    openCount = 0;
    openFailure = MMSYSERR_NOERROR;
    memset(&lastFormat, 0, sizeof lastFormat);
}

std::string FakeWaveOutPlayed() { std::lock_guard<std::mutex> hold(deviceMutex); return played; }
std::string FakeWaveOutWritten() { std::lock_guard<std::mutex> hold(deviceMutex); return written; }
int FakeWaveOutQueued() { std::lock_guard<std::mutex> hold(deviceMutex); return static_cast<int>(device.queue.size()); }
bool FakeWaveOutPaused() { std::lock_guard<std::mutex> hold(deviceMutex); return device.open && device.paused; }
bool FakeWaveOutOpen() { std::lock_guard<std::mutex> hold(deviceMutex); return device.open; }
int FakeWaveOutOpenCount() { std::lock_guard<std::mutex> hold(deviceMutex); return openCount; }
WAVEFORMATEX FakeWaveOutFormat() { std::lock_guard<std::mutex> hold(deviceMutex); return lastFormat; }
void FakeFailWaveOutOpen(MMRESULT code) { std::lock_guard<std::mutex> hold(deviceMutex); openFailure = code; }

static void Notify(WAVEOUTPROC callback, DWORD_PTR instance, UINT message, WAVEHDR* header)
{
    if (callback) callback(&device, message, instance, reinterpret_cast<DWORD_PTR>(header), 0);
}

bool FakeCompleteBuffer()
{
    WAVEOUTPROC callback;
    DWORD_PTR instance;
    WAVEHDR* header;
    {
        std::lock_guard<std::mutex> hold(deviceMutex);
        if (!device.open || device.paused || device.queue.empty()) return false;
        header = device.queue.front();
        device.queue.pop_front();
        played.append(header->lpData, header->dwBufferLength);
        header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        callback = device.callback;
        instance = device.instance;
    }
    Notify(callback, instance, WOM_DONE, header);
    return true;
}

static bool Valid(const WAVEFORMATEX* format)
{
    return format && format->wFormatTag == WAVE_FORMAT_PCM && format->wBitsPerSample == 16 &&
           (format->nChannels == 1 || format->nChannels == 2) && format->nSamplesPerSec >= 1 &&
           format->nBlockAlign == format->nChannels * 2 &&
           format->nAvgBytesPerSec == format->nSamplesPerSec * format->nBlockAlign;
}

MMRESULT WINAPI waveOutOpen(LPHWAVEOUT handle, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR callback,
                            DWORD_PTR instance, DWORD flags)
{
    WAVEOUTPROC procedure = reinterpret_cast<WAVEOUTPROC>(callback);
    {
        std::lock_guard<std::mutex> hold(deviceMutex);
        if (openFailure != MMSYSERR_NOERROR) return openFailure;
        if (deviceId != 0 && deviceId != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
        if (flags != CALLBACK_FUNCTION || !handle) return MMSYSERR_INVALFLAG;
        if (!Valid(format)) return WAVERR_BADFORMAT;
        if (device.open) return MMSYSERR_ALLOCATED;
        device.open = true;
        device.paused = false;
        device.callback = procedure;
        device.instance = instance;
        lastFormat = *format;
        openCount++;
        *handle = &device;
    }
    Notify(procedure, instance, WOM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    std::lock_guard<std::mutex> hold(deviceMutex);
    if (handle != &device || !device.open) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutWrite(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    std::lock_guard<std::mutex> hold(deviceMutex);
    if (handle != &device || !device.open) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    written.append(header->lpData, header->dwBufferLength);
    device.queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT size)
{
    std::lock_guard<std::mutex> hold(deviceMutex);
    if (handle != &device || !device.open) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

static MMRESULT SetPaused(HWAVEOUT handle, bool paused)
{
    std::lock_guard<std::mutex> hold(deviceMutex);
    if (handle != &device || !device.open) return MMSYSERR_INVALHANDLE;
    device.paused = paused;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPause(HWAVEOUT handle) { return SetPaused(handle, true); }
MMRESULT WINAPI waveOutRestart(HWAVEOUT handle) { return SetPaused(handle, false); }

// Every queued buffer comes back done, oldest first, before the call returns.
MMRESULT WINAPI waveOutReset(HWAVEOUT handle)
{
    for (;;) {
        WAVEOUTPROC callback;
        DWORD_PTR instance;
        WAVEHDR* header;
        {
            std::lock_guard<std::mutex> hold(deviceMutex);
            if (handle != &device || !device.open) return MMSYSERR_INVALHANDLE;
            if (device.queue.empty()) return MMSYSERR_NOERROR;
            header = device.queue.front();
            device.queue.pop_front();
            header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
            callback = device.callback;
            instance = device.instance;
        }
        Notify(callback, instance, WOM_DONE, header);
    }
}

MMRESULT WINAPI waveOutClose(HWAVEOUT handle)
{
    WAVEOUTPROC callback;
    DWORD_PTR instance;
    {
        std::lock_guard<std::mutex> hold(deviceMutex);
        if (handle != &device || !device.open) return MMSYSERR_INVALHANDLE;
        if (!device.queue.empty()) return WAVERR_STILLPLAYING;
        device.open = false;
        device.paused = false;
        callback = device.callback;
        instance = device.instance;
    }
    Notify(callback, instance, WOM_CLOSE, nullptr);
    return MMSYSERR_NOERROR;
}

// The texts Wine gives for the codes the device can return.
MMRESULT WINAPI waveOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size)
{
    static const struct { MMRESULT code; const char* text; } texts[] = {
        {MMSYSERR_NOERROR, "The command was successful."},
        {MMSYSERR_ERROR, "Undefined external error."},
        {MMSYSERR_BADDEVICEID, "A device ID has been used that is out of range for your system."},
        {MMSYSERR_ALLOCATED, "The specified device is already in use. Wait until it is free, and then try again."},
        {MMSYSERR_INVALHANDLE, "The specified device handle is invalid."},
        {MMSYSERR_NODRIVER, "There is no driver installed on your system!"},
        {MMSYSERR_NOMEM, "Not enough memory available for this task."},
        {MMSYSERR_INVALFLAG, "An invalid flag was passed to a system function."},
        {MMSYSERR_INVALPARAM, "An invalid parameter was passed to a system function."},
        {WAVERR_BADFORMAT, "The specified format is not supported or cannot be translated."},
        {WAVERR_STILLPLAYING, "Cannot perform this operation while media data is still playing."},
        {WAVERR_UNPREPARED, "The wave header was not prepared."},
    };
    if (!text || size == 0) return MMSYSERR_INVALPARAM;
    for (const auto& entry : texts)
        if (entry.code == error) {
            size_t length = strlen(entry.text) < size - 1 ? strlen(entry.text) : size - 1;
            memcpy(text, entry.text, length);
            text[length] = 0;
            return MMSYSERR_NOERROR;
        }
    return MMSYSERR_BADERRNUM;
}
