// Stand-in for <mmsystem.h>: the waveform-audio names the program uses, with
// the Win32 layouts and values; fakewaveout.cpp implements one device.
#pragma once

#include <windows.h>

struct FakeWaveOut;
typedef FakeWaveOut* HWAVEOUT;
typedef HWAVEOUT* LPHWAVEOUT;
typedef UINT MMRESULT;

#pragma pack(push, 1)   // 18 bytes, as the platform lays it out
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)

struct WAVEHDR {
    LPSTR lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    DWORD_PTR dwUser;
    DWORD dwFlags;
    DWORD dwLoops;
    WAVEHDR* lpNext;
    DWORD_PTR reserved;
};
typedef WAVEHDR* LPWAVEHDR;

#define WAVE_FORMAT_PCM       1
#define WAVE_MAPPER           ((UINT)-1)
#define CALLBACK_FUNCTION     0x00030000L
#define WOM_OPEN              0x3BB
#define WOM_CLOSE             0x3BC
#define WOM_DONE              0x3BD
#define WHDR_DONE             0x00000001
#define WHDR_PREPARED         0x00000002
#define WHDR_BEGINLOOP        0x00000004
#define WHDR_ENDLOOP          0x00000008
#define WHDR_INQUEUE          0x00000010
#define MMSYSERR_NOERROR      0
#define MMSYSERR_ERROR        1
#define MMSYSERR_BADDEVICEID  2
#define MMSYSERR_NOTENABLED   3
#define MMSYSERR_ALLOCATED    4
#define MMSYSERR_INVALHANDLE  5
#define MMSYSERR_NODRIVER     6
#define MMSYSERR_NOMEM        7
#define MMSYSERR_BADERRNUM    9
#define MMSYSERR_INVALFLAG    10
#define MMSYSERR_INVALPARAM   11
#define WAVERR_BADFORMAT      32
#define WAVERR_STILLPLAYING   33
#define WAVERR_UNPREPARED     34
#define MAXERRORLENGTH        256

MMRESULT WINAPI waveOutOpen(LPHWAVEOUT device, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR callback,
                            DWORD_PTR instance, DWORD flags);
MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size);
MMRESULT WINAPI waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size);
MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size);
MMRESULT WINAPI waveOutPause(HWAVEOUT device);
MMRESULT WINAPI waveOutRestart(HWAVEOUT device);
MMRESULT WINAPI waveOutReset(HWAVEOUT device);
MMRESULT WINAPI waveOutClose(HWAVEOUT device);
MMRESULT WINAPI waveOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size);
