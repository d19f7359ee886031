// The stand-in message queues: sends, posts and the message loop, one queue
// per thread as on Windows. A send to a window of another thread waits on
// the sender's own record until the window's thread has carried it out; the
// sender carries out what is sent to it meanwhile, so two threads that send
// to each other do not deadlock, but a window thread that waits in
// WaitForSingleObject or Sleep keeps its senders waiting.
#include "fakeinternal.h"

static bool quitPosted;   // since the reset; queueLock
static int quitCode;

bool FakeQuitPosted() { std::lock_guard<std::mutex> hold(queueLock); return quitPosted; }
int FakeQuitCode() { std::lock_guard<std::mutex> hold(queueLock); return quitCode; }

// Sends still waiting are left alone: their senders wait for an answer.
void ResetMessages()
{
    std::lock_guard<std::mutex> hold(queueLock);
    quitPosted = false;
    quitCode = 0;
    for (ThreadRecord* thread : threadRecords) {
        thread->posted.clear();
        thread->newPost = false;
        thread->quitPending = false;
    }
}

bool ProcessSentMessages(ThreadRecord* thread)
{
    bool any = false;
    std::unique_lock<std::mutex> hold(queueLock);
    while (!thread->sent.empty()) {
        SentMessage* sent = thread->sent.front();
        thread->sent.pop_front();
        hold.unlock();
        LRESULT result = DeliverMessage(sent->window, sent->message, sent->wParam, sent->lParam);
        hold.lock();
        sent->result = result;
        sent->done = true;
        sent->sender->wake.notify_all();   // the sender waits, so its record lives
        any = true;
    }
    return any;
}

static DWORD OwnerOf(HWND window)
{
    Hold hold;
    FakeWindow* target = LiveWindow(window);
    return target ? target->owner : 0;
}

// A NULL or dead handle, or a window whose thread has ended, answers 0 at once.
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ThreadRecord* self = CurrentThread();
    DWORD owner = OwnerOf(window);
    if (owner == 0) return 0;
    if (owner == self->id) return DeliverMessage(window, message, wParam, lParam);
    RequireNoHold();
    SentMessage sent = {window, message, wParam, lParam, 0, false, self};
    std::unique_lock<std::mutex> hold(queueLock);
    ThreadRecord* receiver = FindThread(owner);
    if (!receiver) return 0;
    receiver->sent.push_back(&sent);
    receiver->wake.notify_all();
    while (!sent.done) {
        if (self->sent.empty()) {
            self->wake.wait(hold);
            continue;
        }
        hold.unlock();
        ProcessSentMessages(self);
        hold.lock();
    }
    return sent.result;
}

// To the window's thread; NULL posts to the calling thread.
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ThreadRecord* self = CurrentThread();
    DWORD owner = window ? OwnerOf(window) : self->id;
    if (owner == 0) return FALSE;
    std::lock_guard<std::mutex> hold(queueLock);
    ThreadRecord* receiver = FindThread(owner);
    if (!receiver) return FALSE;
    receiver->posted.push_back(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
    receiver->newPost = true;
    receiver->wake.notify_all();
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode)
{
    ThreadRecord* self = CurrentThread();
    std::lock_guard<std::mutex> hold(queueLock);
    self->quitPending = true;
    self->quitCode = exitCode;
    self->wake.notify_all();
    quitPosted = true;
    quitCode = exitCode;
}

// A posted message, else the quit message once no posted one is left, as
// Windows orders them; queueLock held.
static bool TakeMessage(ThreadRecord* self, MSG* message, bool remove)
{
    self->newPost = false;
    if (!self->posted.empty()) {
        *message = self->posted.front();
        if (remove) self->posted.pop_front();
        return true;
    }
    if (!self->quitPending) return false;
    *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(self->quitCode), 0, 0, POINT{0, 0}};
    if (remove) self->quitPending = false;
    return true;
}

// Blocks only while a thread made by CreateThread runs; with none, an empty
// queue answers -1 at once, so a test's loop ends instead of hanging.
BOOL WINAPI GetMessageA(MSG* message, HWND, UINT, UINT)
{
    ThreadRecord* self = CurrentThread();
    if (!message) return -1;
    RequireNoHold();
    std::unique_lock<std::mutex> hold(queueLock);
    for (;;) {
        if (!self->sent.empty()) {
            hold.unlock();
            ProcessSentMessages(self);
            hold.lock();
            continue;
        }
        if (TakeMessage(self, message, true)) return message->message != WM_QUIT;
        if (RunningThreads() == 0) return -1;
        self->wake.wait(hold);
    }
}

// Sent messages are carried out first, whatever the flags; PM_QS_SENDMESSAGE
// alone then looks no further.
BOOL WINAPI PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlags)
{
    ThreadRecord* self = CurrentThread();
    ProcessSentMessages(self);
    UINT types = removeFlags >> 16;
    if (!message || (types && !(types & QS_POSTMESSAGE))) return FALSE;
    std::lock_guard<std::mutex> hold(queueLock);
    return TakeMessage(self, message, (removeFlags & PM_REMOVE) != 0);
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* message)
{
    if (!message) return 0;
    return DeliverMessage(message->hwnd, message->message, message->wParam, message->lParam);
}
