// Inside the fake layer only: the window record and the thread record its
// modules share, and the two locks.
//
// Thread rule: fakeLock guards the window records, the classes and the
// focus. It is held for short reads and writes only, never while a window
// procedure runs or a thread waits, so a window thread busy in its procedure
// never stops another thread's fake calls; Hold counts how deep this thread
// holds it, and a procedure call or a wait with it held aborts. queueLock
// guards the thread records (their sent and posted queues) and the thread
// objects; every wait waits on it. Lock order: fakeLock, then queueLock.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "fakewin.h"

enum WindowKind { UserWindow, StaticControl, ButtonControl, EditControl, ListBoxControl };

struct FakeWindow {
    bool alive;
    DWORD owner;                 // id of the creating thread, which runs its procedure
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

extern std::recursive_mutex fakeLock;
struct Hold {
    // Out of line, beside the per-thread depth: a thread_local reached from
    // other files goes through a wrapper that the sanitizers misread.
    Hold();
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
};
void RequireNoHold();   // before a procedure call or a wait

// A message sent from another thread, on the sender's stack until done.
struct ThreadRecord;
struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    bool done;
    ThreadRecord* sender;
};

// One per thread that has called into the fake, from its first call until
// it ends; the fields below wake under queueLock.
struct ThreadRecord {
    DWORD id;
    std::condition_variable wake;     // a send, a post, a quit or a thread's end
    std::deque<SentMessage*> sent;    // for this thread to carry out, oldest first
    std::deque<MSG> posted;
    bool newPost;                     // posted since this thread last looked at its queue
    bool quitPending;
    int quitCode;
};

extern std::mutex queueLock;
extern std::vector<ThreadRecord*>& threadRecords;   // queueLock
ThreadRecord* CurrentThread();           // made on first use; call it before taking queueLock
ThreadRecord* FindThread(DWORD id);      // queueLock held; NULL once that thread has ended
int RunningThreads();                    // queueLock held: CreateThread's, function not returned
bool ProcessSentMessages(ThreadRecord* thread);   // no lock held; true if it carried any out

FakeWindow* LiveWindow(HWND window);     // fakeLock held; NULL for NULL, destroyed and foreign handles
LRESULT DeliverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);   // on this thread

// WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH, which every window answers alike.
bool TextMessage(FakeWindow* window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer);

// The static, button, edit and list box classes; takes fakeLock itself.
LRESULT ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void ResetWindows();    // windows, classes, focus, creation settings
void ResetMessages();   // posted queues and quit states of every thread
void ResetThreads();    // priority and creation settings; threads run on
void ResetFiles();     // the dialog's answers and calls, open searches, the first working folder
void ResetWaveOut();    // the device closed without callbacks, captures and settings
