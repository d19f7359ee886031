// GoogleTest's port hook, ahead of its own empty one: its Notification on a
// Windows event, since MinGW's win32 thread model has no std::mutex.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {
class Notification {
public:
    Notification() : event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event); }
    void WaitForNotification() { WaitForSingleObject(event, INFINITE); }
private:
    HANDLE event;
};
}  // namespace internal
}  // namespace testing
