// Test-only controls of the stand-in platform layer. Functions that exist only
// in the fake start with Fake.
//
// Threads as on Windows: a window belongs to the thread that created it, and
// its procedure runs on that thread only. A send from another thread waits
// until the owner takes it: in GetMessageA, PeekMessageA, or while the owner
// waits in a cross-thread send of its own. WaitForSingleObject and Sleep take
// none, so a window thread that waits that way for a sending worker
// deadlocks, as on Windows; the waits' bounds are real time, so the deadlock
// shows as a WAIT_TIMEOUT. Sleep is virtual: at most about 1 ms of real time.
//
// Geometry: a top-level window has no frame; its client area starts at its
// window position, so GetWindowRect of a control gives its place in the main
// window's client area when the main window sits at 0,0 (CW_USEDEFAULT does).
//
// The message loop blocks only while a thread made by CreateThread runs.
// Otherwise GetMessageA carries out sent messages, takes posted messages
// first, then the quit message, and returns -1 when nothing is left.
#pragma once

#include <string>

#include <windows.h>
#include <mmsystem.h>
#include <commdlg.h>

void FakeReset();   // forget windows, classes, queues, boxes, the device, the settings below

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

// MoveFileExA and DeleteFileA refuse a file held open by FakeLockFile (the
// path as given) with ERROR_SHARING_VIOLATION, and to replace or delete a
// read-only file (no owner write permission) with ERROR_ACCESS_DENIED. fopen
// is the C library's: it sees neither.
void FakeLockFile(const char* path, bool locked);

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

// Threads made by CreateThread whose function has not returned. Threads run
// on across a reset.
int FakeThreadsRunning();
int FakeThreadPriority();                 // last one SetThreadPriority accepted; NORMAL after a reset
void FakeFailThreadCreation(bool fail);   // CreateThread returns NULL while set

// The waveform-audio device (id 0, also reached as WAVE_MAPPER) plays on a
// virtual clock: nothing comes back until a test hands a buffer back. With
// the device open, running and a buffer queued, FakeCompleteBuffer plays the
// oldest (its bytes join the played capture), marks it done and hands it back
// with WOM_DONE, the callback running on the calling thread as it would on
// the platform's audio thread; false when nothing could be handed back.
bool FakeCompleteBuffer();
std::string FakeWaveOutPlayed();          // every byte played since the reset, across opens
std::string FakeWaveOutWritten();         // every byte given to waveOutWrite, in order
int FakeWaveOutQueued();                  // written and not yet handed back
bool FakeWaveOutPaused();
bool FakeWaveOutOpen();
int FakeWaveOutOpenCount();               // successful opens since the reset
int FakeWaveOutResetCount();              // waveOutReset calls that succeeded
UINT FakeWaveOutDeviceId();               // asked for by the last waveOutOpen
WAVEFORMATEX FakeWaveOutFormat();         // given to the last successful open
void FakeFailWaveOutOpen(MMRESULT code);  // opens fail with code until set back to 0

// The open-file dialog takes the oldest queued answer: the path comes back
// in lpstrFile with result 1, or NULL, a cancel: result 0 and no extended
// error. With nothing queued it cancels. As on Windows, a record whose
// lStructSize is neither sizeof(OPENFILENAMEA) nor the 4.0 size fails at once
// with CDERR_STRUCTSIZE and takes no answer; an answer longer than nMaxFile
// fails with FNERR_BUFFERTOOSMALL. Without OFN_NOCHANGEDIR a taken answer
// moves the process into its folder, if it exists; FakeReset moves it back.
void FakeQueueOpenFileAnswer(const char* path);
struct FakeOpenFileCall {
    OPENFILENAMEA record;      // as given
    std::string filter;        // lpstrFilter's bytes through its closing double NUL
    std::string initialFile;   // lpstrFile's text on entry
};
int FakeOpenFileCalls();                  // since the reset, refused ones included
FakeOpenFileCall FakeLastOpenFileCall();  // zeroed before the first call

// FindFirstFileA lists a real folder ('\\' reads as '/'; no folder: the
// current one): "." and ".." first, then by name without case, as NTFS gives
// them; folders 0x10, files 0x20, plus READONLY without the owner's write
// permission and HIDDEN for names starting with a dot, as Wine gives them.
// '*' and '?' match without case, a final ".*" also takes a name without a
// dot, a name without wildcards finds that entry. It fails as Windows does:
// ERROR_PATH_NOT_FOUND for a missing folder, ERROR_FILE_NOT_FOUND when
// nothing matches, ERROR_FILENAME_EXCED_RANGE from MAX_PATH characters on.
int FakeFindHandlesOpen();                // searches not closed
