// The stand-in waveform-audio device: one output (id 0, or WAVE_MAPPER) on a
// virtual clock. A test hands queued buffers back with FakeCompleteBuffer, as
// the device would once it had played them; waveOutReset hands back the rest
// unplayed before it returns. Buffer loops (WHDR_BEGINLOOP) play once.
//
// Thread rule: deviceLock guards the device and the captures, and is never
// held while the callback runs. callbackLock is held around every callback
// and by the calls that hand buffers back or close, so callbacks come one at
// a time, in order, and none comes after waveOutClose returns. As on Windows,
// the callback must not call waveOut functions that hand buffers back.
#include "fakeinternal.h"

#include <cstring>
#include <deque>

typedef void (CALLBACK* DeviceCallback)(HWAVEOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

const int HandleCount = 16;                 // a new handle per open: a stale one stays invalid a while
const DWORD MaxSampleRate = 384000;
struct FakeWaveOut { int unused; };
static FakeWaveOut handles[HandleCount];

static std::mutex deviceLock;
static std::mutex callbackLock;
static HWAVEOUT openHandle;                 // NULL while closed
static bool paused;
static DeviceCallback callback;
static DWORD_PTR callbackInstance;
static std::deque<WAVEHDR*> queue;          // written, not handed back; oldest first
static std::string played, written;
static int openCount, resetCount;
static UINT lastDeviceId;
static WAVEFORMATEX lastFormat;
static MMRESULT openFailure;

void ResetWaveOut()
{
    std::lock_guard<std::mutex> calling(callbackLock);
    std::lock_guard<std::mutex> hold(deviceLock);
    openHandle = nullptr;
    paused = false;
    callback = nullptr;
    queue.clear();
    played.clear();
    written.clear();
    openCount = resetCount = 0;
    lastDeviceId = 0;
    memset(&lastFormat, 0, sizeof lastFormat);
    openFailure = MMSYSERR_NOERROR;
}

typedef std::lock_guard<std::mutex> DeviceHold;
std::string FakeWaveOutPlayed() { DeviceHold hold(deviceLock); return played; }
std::string FakeWaveOutWritten() { DeviceHold hold(deviceLock); return written; }
int FakeWaveOutQueued() { DeviceHold hold(deviceLock); return static_cast<int>(queue.size()); }
bool FakeWaveOutPaused() { DeviceHold hold(deviceLock); return openHandle && paused; }
bool FakeWaveOutOpen() { DeviceHold hold(deviceLock); return openHandle != nullptr; }
int FakeWaveOutOpenCount() { DeviceHold hold(deviceLock); return openCount; }
int FakeWaveOutResetCount() { DeviceHold hold(deviceLock); return resetCount; }
UINT FakeWaveOutDeviceId() { DeviceHold hold(deviceLock); return lastDeviceId; }
WAVEFORMATEX FakeWaveOutFormat() { DeviceHold hold(deviceLock); return lastFormat; }
void FakeFailWaveOutOpen(MMRESULT code) { DeviceHold hold(deviceLock); openFailure = code; }

// Taken by the callers below under deviceLock, called after it is let go.
struct Callback {
    DeviceCallback procedure;
    HWAVEOUT handle;
    DWORD_PTR instance;
};

static Callback CurrentCallback() { return Callback{callback, openHandle, callbackInstance}; }

static void Call(const Callback& target, UINT message, WAVEHDR* header)
{
    if (target.procedure)
        target.procedure(target.handle, message, target.instance, reinterpret_cast<DWORD_PTR>(header), 0);
}

static void MarkDone(WAVEHDR* header) { header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE; }

bool FakeCompleteBuffer()
{
    std::lock_guard<std::mutex> calling(callbackLock);
    Callback target;
    WAVEHDR* header;
    {
        DeviceHold hold(deviceLock);
        if (!openHandle || paused || queue.empty()) return false;
        header = queue.front();
        queue.pop_front();
        played.append(header->lpData, header->dwBufferLength);
        MarkDone(header);
        target = CurrentCallback();
    }
    Call(target, WOM_DONE, header);
    return true;
}

// 16-bit PCM, mono or stereo, with the block size and byte rate that follow
// from it; the cbSize of a PCM format is ignored, as the platform does.
static bool SupportedFormat(const WAVEFORMATEX& format)
{
    return format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16 &&
           (format.nChannels == 1 || format.nChannels == 2) && format.nSamplesPerSec >= 1 &&
           format.nSamplesPerSec <= MaxSampleRate && format.nBlockAlign == format.nChannels * 2 &&
           format.nAvgBytesPerSec == format.nSamplesPerSec * format.nBlockAlign;
}

// WOM_OPEN reaches the callback on the calling thread before this returns.
// The device takes one client at a time; only CALLBACK_FUNCTION is offered.
MMRESULT WINAPI waveOutOpen(LPHWAVEOUT device, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR procedure,
                            DWORD_PTR instance, DWORD flags)
{
    std::lock_guard<std::mutex> calling(callbackLock);
    Callback target;
    {
        DeviceHold hold(deviceLock);
        lastDeviceId = deviceId;
        if (!device || !format) return MMSYSERR_INVALPARAM;
        if (flags != CALLBACK_FUNCTION) return MMSYSERR_INVALFLAG;
        if (openFailure != MMSYSERR_NOERROR) return openFailure;
        if (deviceId != 0 && deviceId != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
        if (!SupportedFormat(*format)) return WAVERR_BADFORMAT;
        if (openHandle) return MMSYSERR_ALLOCATED;
        openHandle = &handles[openCount % HandleCount];
        openCount++;
        paused = false;
        callback = reinterpret_cast<DeviceCallback>(procedure);
        callbackInstance = instance;
        lastFormat = *format;
        *device = openHandle;
        target = CurrentCallback();
    }
    Call(target, WOM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

// deviceLock held: the common checks of the header calls.
static MMRESULT CheckHeader(HWAVEOUT device, const WAVEHDR* header, UINT size)
{
    if (!device || device != openHandle) return MMSYSERR_INVALHANDLE;
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

// Preparing a prepared header does nothing.
MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    DeviceHold hold(deviceLock);
    if (MMRESULT checked = CheckHeader(device, header, size)) return checked;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    DeviceHold hold(deviceLock);
    if (MMRESULT checked = CheckHeader(device, header, size)) return checked;
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    written.append(header->lpData, header->dwBufferLength);
    queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    DeviceHold hold(deviceLock);
    if (MMRESULT checked = CheckHeader(device, header, size)) return checked;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

// A pause holds what is queued, also before the first write; a restart of a
// running device does nothing.
static MMRESULT SetPaused(HWAVEOUT device, bool pausing)
{
    DeviceHold hold(deviceLock);
    if (!device || device != openHandle) return MMSYSERR_INVALHANDLE;
    paused = pausing;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPause(HWAVEOUT device) { return SetPaused(device, true); }
MMRESULT WINAPI waveOutRestart(HWAVEOUT device) { return SetPaused(device, false); }

// Every queued buffer comes back done, oldest first, on the calling thread
// before this returns. The device also leaves a pause: the next write plays.
MMRESULT WINAPI waveOutReset(HWAVEOUT device)
{
    std::lock_guard<std::mutex> calling(callbackLock);
    Callback target;
    std::deque<WAVEHDR*> returned;
    {
        DeviceHold hold(deviceLock);
        if (!device || device != openHandle) return MMSYSERR_INVALHANDLE;
        returned.swap(queue);
        for (WAVEHDR* header : returned) MarkDone(header);
        paused = false;
        resetCount++;
        target = CurrentCallback();
    }
    for (WAVEHDR* header : returned) Call(target, WOM_DONE, header);
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutClose(HWAVEOUT device)
{
    std::lock_guard<std::mutex> calling(callbackLock);
    Callback target;
    {
        DeviceHold hold(deviceLock);
        if (!device || device != openHandle) return MMSYSERR_INVALHANDLE;
        if (!queue.empty()) return WAVERR_STILLPLAYING;
        target = CurrentCallback();
        openHandle = nullptr;
        paused = false;
        callback = nullptr;
    }
    Call(target, WOM_CLOSE, nullptr);
    return MMSYSERR_NOERROR;
}

// Codes 1, 2 and 6 read as the platform words them; the rest say the same
// plainly. Cut to the buffer, always terminated; size 0 copies nothing.
MMRESULT WINAPI waveOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size)
{
    static const struct { MMRESULT code; const char* text; } texts[] = {
        {MMSYSERR_NOERROR, "The specified command was carried out."},
        {MMSYSERR_ERROR, "Undefined external error."},
        {MMSYSERR_BADDEVICEID, "A device ID has been used that is out of range for your system."},
        {MMSYSERR_NOTENABLED, "The driver was not enabled."},
        {MMSYSERR_ALLOCATED, "The specified device is already in use. Wait until it is free, and then try again."},
        {MMSYSERR_INVALHANDLE, "The specified device handle is invalid."},
        {MMSYSERR_NODRIVER, "There is no driver installed on your system!"},
        {MMSYSERR_NOMEM, "Not enough memory available for this task. Quit one or more applications to increase "
                         "available memory, and then try again."},
        {MMSYSERR_BADERRNUM, "The specified error number is out of range."},
        {MMSYSERR_INVALFLAG, "An invalid flag was passed to a system function."},
        {MMSYSERR_INVALPARAM, "An invalid parameter was passed to a system function."},
        {WAVERR_BADFORMAT, "The specified format is not supported or cannot be translated. Use the Capabilities "
                           "function to determine the supported formats."},
        {WAVERR_STILLPLAYING, "Cannot perform this operation while media data is still playing. Reset the device, "
                              "or wait until the data is finished playing."},
        {WAVERR_UNPREPARED, "The wave header was not prepared. Use the Prepare function to prepare the header, "
                            "and then try again."},
    };
    for (const auto& entry : texts) {
        if (entry.code != error) continue;
        if (size == 0) return MMSYSERR_NOERROR;
        if (!text) return MMSYSERR_INVALPARAM;
        size_t length = strlen(entry.text) < size - 1 ? strlen(entry.text) : size - 1;
        memcpy(text, entry.text, length);
        text[length] = 0;
        return MMSYSERR_NOERROR;
    }
    return MMSYSERR_BADERRNUM;
}
