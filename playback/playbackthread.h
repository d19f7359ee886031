// The playback session: the PlaybackThread that opens the entry at
// currentIndex, keeps two audio buffers in flight and goes on by the repeat
// and advance options, and the window thread's ways to start, pause, stop and
// restart it.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "codec/streamfile.h"

const int DataAreaSize = 200000;     // bytes of one audio buffer's data
const int PollMillis = 40;           // the playback thread looks at its flags this often
const DWORD ShutdownMillis = 2000;   // how long the exit waits for the playback thread

extern StreamHeader streamHeader;    // playback thread: the open stream's header

// Sent to the main window as a session has opened an entry (lParam: its path,
// valid while the message is carried out) and as the session ends (lParam 0).
const UINT PlayingMessage = WM_APP + 50;

// Window thread. Resumes when paused; otherwise, with no thread and a
// non-empty Playlist, starts the PlaybackThread on currentIndex.
void StartPlayback(HWND mainWindow);

// Window thread, only while playing: pauses or resumes the device.
void TogglePause();

void RequestStop();      // the thread closes the device and ends
void RequestRestart();   // the thread closes the device and opens currentIndex

// Window thread, at exit: raises the stop request and waits, at most
// ShutdownMillis, for the thread to end, carrying out the messages it sends
// meanwhile. Then closes its handle.
void StopPlaybackAndWait();

DWORD WINAPI PlaybackThreadMain(LPVOID mainWindow);   // 0 ended normally, 999 an entry failed
int OpenSession(HWND mainWindow);                     // Ok, or Failed with the session ended
int FillBuffer(WAVEHDR& header);                      // seek, decode framesPerBuffer frames, queue
void CloseDevice();                                   // reset, unprepare, close; streamFile stays open
void EndSession(int code);                            // flags and controls back to idle

// Runs on the platform's audio thread: raises the flag of the buffer handed back.
void CALLBACK WaveOutCallback(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                              DWORD_PTR param2);
