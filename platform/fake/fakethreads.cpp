// The stand-in threads, waits and clock. Every thread that calls into the
// fake gets a record (its message queues) for as long as it runs; a thread
// made by CreateThread is a std::thread whose handle may outlive it. Sleep is
// virtual: it yields about a millisecond whatever it is asked, so polling
// loops run fast in tests. The waits' bounds are real time, so a thread that
// never ends shows as a wait that fails, not as a hang.
#include "fakeinternal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

// Left to the end of the process: a detached thread may still end after main.
std::mutex queueLock;
std::vector<ThreadRecord*>& threadRecords = *new std::vector<ThreadRecord*>;

// A thread made by CreateThread, shared by its handle and the thread itself.
struct ThreadObject {
    DWORD id;
    LPTHREAD_START_ROUTINE start;
    LPVOID parameter;
    bool finished;       // the function has returned
    DWORD exitCode;
};

// Under queueLock. Handle values are never reused, so a closed one stays invalid.
static std::map<HANDLE, std::shared_ptr<ThreadObject>>& openHandles =
    *new std::map<HANDLE, std::shared_ptr<ThreadObject>>;
static uintptr_t handleSerial;
static int running;
static int lastPriority = THREAD_PRIORITY_NORMAL;
static bool failThreadCreation;

static std::atomic<DWORD> lastThreadId;
static thread_local DWORD givenThreadId;   // CreateThread's id, taken before the thread's first call
static HANDLE const CurrentThreadPseudoHandle = reinterpret_cast<HANDLE>(-2);

// In thread-local storage: registered at the thread's first fake call, gone
// when the thread ends. Sends still waiting for it then end with 0.
struct ThreadSlot {
    ThreadRecord record;
    ThreadSlot()
    {
        record.id = givenThreadId ? givenThreadId : lastThreadId += 4;
        record.newPost = record.quitPending = false;
        record.quitCode = 0;
        std::lock_guard<std::mutex> hold(queueLock);
        threadRecords.push_back(&record);
    }
    ~ThreadSlot()
    {
        std::lock_guard<std::mutex> hold(queueLock);
        threadRecords.erase(std::find(threadRecords.begin(), threadRecords.end(), &record));
        for (SentMessage* sent : record.sent) {
            sent->done = true;
            sent->sender->wake.notify_all();
        }
    }
};

ThreadRecord* CurrentThread()
{
    static thread_local ThreadSlot slot;
    return &slot.record;
}

ThreadRecord* FindThread(DWORD id)
{
    for (ThreadRecord* thread : threadRecords)
        if (thread->id == id) return thread;
    return nullptr;
}

int RunningThreads() { return running; }

int FakeThreadsRunning() { std::lock_guard<std::mutex> hold(queueLock); return running; }
int FakeThreadPriority() { std::lock_guard<std::mutex> hold(queueLock); return lastPriority; }
void FakeFailThreadCreation(bool fail) { std::lock_guard<std::mutex> hold(queueLock); failThreadCreation = fail; }

void ResetThreads()
{
    std::lock_guard<std::mutex> hold(queueLock);
    lastPriority = THREAD_PRIORITY_NORMAL;
    failThreadCreation = false;
}

// The handle is signalled once the function has returned: every waiting
// thread looks again.
static void RunThread(std::shared_ptr<ThreadObject> object)
{
    givenThreadId = object->id;
    CurrentThread();
    DWORD exitCode = object->start(object->parameter);
    std::lock_guard<std::mutex> hold(queueLock);
    object->exitCode = exitCode;
    object->finished = true;
    running--;
    for (ThreadRecord* thread : threadRecords) thread->wake.notify_all();
}

// Only flags 0 is known (the thread runs at once); the stack size is the
// platform's business.
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                           DWORD flags, LPDWORD threadId)
{
    std::shared_ptr<ThreadObject> object(new ThreadObject{lastThreadId += 4, start, parameter, false, STILL_ACTIVE});
    HANDLE handle;
    {
        std::lock_guard<std::mutex> hold(queueLock);
        if (!start || flags != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        if (failThreadCreation) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        handle = reinterpret_cast<HANDLE>(0x10000 + 4 * ++handleSerial);
        openHandles[handle] = object;
        running++;
    }
    if (threadId) *threadId = object->id;
    std::thread(RunThread, object).detach();
    return handle;
}

HANDLE WINAPI GetCurrentThread() { return CurrentThreadPseudoHandle; }
DWORD WINAPI GetCurrentThreadId() { return CurrentThread()->id; }

// queueLock held; NULL with the last error set for a handle that is not open.
static ThreadObject* OpenThread(HANDLE handle)
{
    auto found = openHandles.find(handle);
    if (found != openHandles.end()) return found->second.get();
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

static bool KnownPriority(int priority)
{
    return priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL ||
           (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST);
}

BOOL WINAPI SetThreadPriority(HANDLE thread, int priority)
{
    std::lock_guard<std::mutex> hold(queueLock);
    if (thread != CurrentThreadPseudoHandle && !OpenThread(thread)) return FALSE;
    if (!KnownPriority(priority)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    lastPriority = priority;
    return TRUE;
}

BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    std::lock_guard<std::mutex> hold(queueLock);
    if (!exitCode) return FALSE;
    if (thread == CurrentThreadPseudoHandle) {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    ThreadObject* object = OpenThread(thread);
    if (!object) return FALSE;
    *exitCode = object->finished ? object->exitCode : STILL_ACTIVE;
    return TRUE;
}

// The thread runs on after its handle is closed; closing the pseudo handle does nothing.
BOOL WINAPI CloseHandle(HANDLE object)
{
    std::lock_guard<std::mutex> hold(queueLock);
    if (object == CurrentThreadPseudoHandle) return TRUE;
    if (openHandles.erase(object)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

void WINAPI Sleep(DWORD milliseconds)
{
    RequireNoHold();
    if (milliseconds == 0) std::this_thread::yield();
    else std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

DWORD WINAPI GetTickCount()
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The first signalled handle wins; then a pending sent message (QS_SENDMESSAGE)
// or a message posted since the queue was last looked at (QS_POSTMESSAGE)
// ends the wait without being taken. The pseudo handle never signals: a
// thread waiting for itself waits out its bound, as on Windows.
static DWORD Wait(DWORD count, const HANDLE* handles, DWORD milliseconds, DWORD wakeMask)
{
    ThreadRecord* self = CurrentThread();
    RequireNoHold();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> hold(queueLock);
    for (;;) {
        for (DWORD i = 0; i < count; i++) {
            if (handles[i] == CurrentThreadPseudoHandle) continue;
            ThreadObject* object = OpenThread(handles[i]);
            if (!object) return WAIT_FAILED;
            if (object->finished) return WAIT_OBJECT_0 + i;
        }
        if ((wakeMask & QS_SENDMESSAGE) && !self->sent.empty()) return WAIT_OBJECT_0 + count;
        if ((wakeMask & QS_POSTMESSAGE) && self->newPost) {
            self->newPost = false;
            return WAIT_OBJECT_0 + count;
        }
        if (milliseconds == INFINITE) {
            self->wake.wait(hold);
            continue;
        }
        if (std::chrono::steady_clock::now() >= deadline) return WAIT_TIMEOUT;
        self->wake.wait_until(hold, deadline);
    }
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    return Wait(1, &object, milliseconds, 0);
}

// Waiting for all handles at once is not offered.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                       DWORD wakeMask)
{
    if (waitAll || count >= MAXIMUM_WAIT_OBJECTS || (count > 0 && !handles)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return Wait(count, handles, milliseconds, wakeMask);
}
