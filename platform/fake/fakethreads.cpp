// The stand-in threads, waits and the clock, and the file moves. The clock is
// virtual for sleeping: Sleep yields about a millisecond whatever it is asked,
// so polling loops run fast in tests; the waits' bounds are real time, so a
// thread that never ends shows as a wait that fails. A waiting thread lets go
// of the window lock, so other threads' sends get through meanwhile.
#include "fakeinternal.h"

#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

struct FakeThread {
    std::atomic<bool> done{false};
    std::atomic<DWORD> exitCode{STILL_ACTIVE};
    bool closed = false;
};

static std::mutex threadsMutex;
static std::vector<FakeThread*> threads;   // every thread since the start; kept, as handles may outlive them
static std::atomic<int> lastPriority{THREAD_PRIORITY_NORMAL};
static std::atomic<bool> failThreadCreation{false};
static HANDLE const CurrentThreadPseudoHandle = reinterpret_cast<HANDLE>(-2);

int FakeThreadsRunning()
{
    std::lock_guard<std::mutex> hold(threadsMutex);
    int running = 0;
    for (FakeThread* thread : threads)
        if (!thread->done) running++;
    return running;
}

int FakeThreadPriority() { return lastPriority; }
void FakeFailThreadCreation(bool fail) { failThreadCreation = fail; }

void ResetThreads()
{
    lastPriority = THREAD_PRIORITY_NORMAL;
    failThreadCreation = false;
}

static FakeThread* ThreadOf(HANDLE handle)
{
    std::lock_guard<std::mutex> hold(threadsMutex);
    for (FakeThread* thread : threads)
        if (thread == handle && !thread->closed) return thread;
    return nullptr;
}

HANDLE WINAPI CreateThread(LPVOID, size_t, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD, DWORD* threadId)
{
    if (!start || failThreadCreation) return nullptr;
    FakeThread* thread = new FakeThread;
    {
        std::lock_guard<std::mutex> hold(threadsMutex);
        threads.push_back(thread);
    }
    std::thread([thread, start, parameter] {
        thread->exitCode = start(parameter);
        thread->done = true;
    }).detach();
    if (threadId) *threadId = static_cast<DWORD>(threads.size());
    return thread;
}

HANDLE WINAPI GetCurrentThread() { return CurrentThreadPseudoHandle; }

DWORD WINAPI GetCurrentThreadId()
{
    return static_cast<DWORD>(std::hash<std::thread::id>()(std::this_thread::get_id()));
}

BOOL WINAPI SetThreadPriority(HANDLE thread, int priority)
{
    if (thread != CurrentThreadPseudoHandle && !ThreadOf(thread)) return FALSE;
    lastPriority = priority;
    return TRUE;
}

BOOL WINAPI GetExitCodeThread(HANDLE handle, DWORD* exitCode)
{
    FakeThread* thread = ThreadOf(handle);
    if (!thread || !exitCode) return FALSE;
    *exitCode = thread->exitCode;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    std::lock_guard<std::mutex> hold(threadsMutex);
    for (FakeThread* thread : threads)
        if (thread == handle && !thread->closed) {
            thread->closed = true;   // the thread itself runs on
            return TRUE;
        }
    return FALSE;
}

void WINAPI Sleep(DWORD millis)
{
    int held = fakeLock.ReleaseAll();
    if (millis == 0) std::this_thread::yield();
    else std::this_thread::sleep_for(std::chrono::milliseconds(1));
    fakeLock.Reacquire(held);
}

DWORD WINAPI GetTickCount()
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD millis)
{
    return MsgWaitForMultipleObjects(1, &handle, FALSE, millis, 0);
}

// Returns count when a message sent from another thread waits for this one
// and the wake mask asks for it; the caller takes it with PeekMessageA.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL, DWORD millis, DWORD wakeMask)
{
    std::vector<FakeThread*> waited;
    for (DWORD i = 0; i < count; i++) {
        FakeThread* thread = ThreadOf(handles[i]);
        if (!thread) return WAIT_FAILED;
        waited.push_back(thread);
    }
    int held = fakeLock.ReleaseAll();
    auto start = std::chrono::steady_clock::now();
    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        for (DWORD i = 0; i < count && result == WAIT_TIMEOUT; i++)
            if (waited[i]->done) result = WAIT_OBJECT_0 + i;
        if (result != WAIT_TIMEOUT) break;
        if ((wakeMask & QS_SENDMESSAGE) && SentMessagePending()) {
            result = WAIT_OBJECT_0 + count;
            break;
        }
        if (millis != INFINITE && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(millis)) break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    fakeLock.Reacquire(held);
    return result;
}

BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags)
{
    if (!existing || !newName) return FALSE;
    struct stat target;
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && stat(newName, &target) == 0) return FALSE;
    return rename(existing, newName) == 0;
}

BOOL WINAPI DeleteFileA(LPCSTR path)
{
    return path && unlink(path) == 0;
}
