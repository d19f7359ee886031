// Inside the fake layer only: the window record its modules share, and the
// one recursive lock that every fake function holds while it works.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "fakewin.h"
#include "mmsystem.h"

enum WindowKind { UserWindow, StaticControl, ButtonControl, EditControl, ListBoxControl };

struct FakeWindow {
    bool alive;
    std::thread::id owner;       // the thread that created it runs its procedure
    WindowKind kind;
    std::string className;       // as registered, or the control's class name
    WNDPROC procedure;           // user windows only
    HWND parent;
    DWORD style;
    DWORD exStyle;
    int identifier;              // children: the HMENU value given at creation
    RECT rect;                   // children: in the parent's client area; top level: screen
    bool visible;
    bool sizeSent;               // a top-level window gets WM_SIZE on its first show
    bool needsPaint;
    std::string text;
    int checkState;              // check boxes and radio buttons: BST_*
    bool pushed;                 // BM_SETSTATE
    std::vector<std::string> items;  // list box rows
    int selection;               // list box: -1 none
    int scrollMinimum[2];        // SB_HORZ, SB_VERT
    int scrollMaximum[2];
    int scrollPosition[2];
};

// The window lock: recursive, and a thread that waits (Sleep, the wait
// functions) lets go of it wholly meanwhile, as a window thread that waits
// lets other threads' sends through on Windows.
struct FakeLock {
    std::mutex mutex;
    std::atomic<std::thread::id> owner;
    int depth = 0;                // touched by the owner only
    void lock();
    void unlock();
    int ReleaseAll();             // the depth that was held, 0 if none
    void Reacquire(int depth);
};
typedef std::lock_guard<FakeLock> Hold;
extern FakeLock fakeLock;

// Messages sent from other threads to windows of the calling thread: carried
// out now (PeekMessageA, GetMessageA and a thread's own cross-thread send do
// this), or just looked for (MsgWaitForMultipleObjects).
void ProcessSentMessages();
bool SentMessagePending();

FakeWindow* LiveWindow(HWND window);   // NULL for NULL, destroyed and foreign handles
LRESULT DeliverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH, which every window answers alike.
bool TextMessage(FakeWindow* window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer);

// The static, button, edit and list box classes.
LRESULT ControlProcedure(FakeWindow* window, UINT message, WPARAM wParam, LPARAM lParam);

void ResetWindows();
void ResetThreads();
void ResetWaveOut();   // windows, classes, queue, quit state, focus, creation settings
