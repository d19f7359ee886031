// Test-only controls of the stand-in platform layer. Functions that exist only
// in the fake start with Fake. Window work runs under one recursive lock, which
// a thread lets go of while it sleeps or waits. A window belongs to the thread
// that created it and its procedure runs there: a send from another thread
// waits until that thread takes it (PeekMessageA, GetMessageA, or its own
// cross-thread send), as on Windows; WaitForSingleObject and Sleep take none.
//
// Geometry: a top-level window has no frame; its client area starts at its
// window position, so GetWindowRect of a control gives its place in the main
// window's client area when the main window sits at 0,0 (CW_USEDEFAULT does).
//
// The message loop never blocks: GetMessageA takes posted messages first, then
// the quit message, and returns -1 when the queue is empty and no quit is due.
#pragma once

#include <string>

#include <windows.h>
#include <mmsystem.h>

void FakeReset();                         // forget windows, classes, queue, boxes, settings below

// What the user was told, and how the program asked to end.
int FakeMessageBoxCount();
const char* FakeLastMessageBoxText();     // "" before the first box
const char* FakeLastMessageBoxCaption();  // a NULL caption reads as "Error", as Windows shows it
HWND FakeLastMessageBoxOwner();
bool FakeQuitPosted();                    // since the last reset, even if the loop took it
int FakeQuitCode();

// Text metrics of every device context. Default: tmHeight 16, tmAveCharWidth 7,
// tmPitchAndFamily 0x21 (variable pitch, as the Windows system font).
void FakeSetTextMetrics(const TEXTMETRICA& metrics);
int FakeDeviceContextsHeld();             // GetDC minus ReleaseDC

// SearchPathA finds the file named by the last component of this path (any
// case) and answers with the whole path; NULL or "" finds nothing.
void FakeSetExecutablePath(const char* path);

// Client size of top-level windows created with CW_USEDEFAULT; the window
// gets WM_SIZE with it when first shown. Default 800 x 600.
void FakeSetClientSize(int width, int height);

// CreateWindowExA of this class (any case) returns NULL; NULL ends that.
void FakeFailWindowCreation(const char* className);

int FakeChildCount(HWND parent);          // live child windows

// A click on a list box row: the row becomes the selection, and with
// LBS_NOTIFY the parent gets LBN_SELCHANGE, then LBN_DBLCLK for a double-click.
void FakeClickListItem(HWND listBox, int index, bool doubleClick);

// Threads made by CreateThread whose function has not returned yet.
int FakeThreadsRunning();
int FakeThreadPriority();                 // the last priority any thread set
void FakeFailThreadCreation(bool fail);   // CreateThread returns NULL while set

// The waveform-audio device on a virtual clock. FakeCompleteBuffer hands the
// oldest queued buffer back as played (its bytes join FakeWaveOutPlayed) and
// runs the callback with WOM_DONE on the calling thread; false when the device
// is closed, paused or has nothing queued.
bool FakeCompleteBuffer();
std::string FakeWaveOutPlayed();          // since the reset, across opens
std::string FakeWaveOutWritten();         // every buffer given to waveOutWrite, in order
int FakeWaveOutQueued();
bool FakeWaveOutPaused();
bool FakeWaveOutOpen();
int FakeWaveOutOpenCount();
WAVEFORMATEX FakeWaveOutFormat();         // of the last successful open
void FakeFailWaveOutOpen(MMRESULT code);  // waveOutOpen returns it until set back to 0
