// The stand-in layer where the player relies on it behaving as Windows does:
// sends between threads, the queue, thread handles, buffer order on the
// waveform-audio device, file moves and deletes, find order, the dialog record.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "fakewin.h"

namespace fs = std::filesystem;
static std::atomic<DWORD> setTextThread;
static HWND target;

// WM_USER answers twice its wParam; WM_SETTEXT records the thread it ran on.
static LRESULT CALLBACK TestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) return static_cast<LRESULT>(wParam * 2);
    if (message == WM_SETTEXT) setTextThread = GetCurrentThreadId();
    return DefWindowProcA(window, message, wParam, lParam);
}

// A worker's sends wait while the window thread only waits, then run on the
// window thread inside GetMessageA, which takes the worker's post and, with
// no worker left, answers -1.
TEST(FakeSend, WaitsForTheWindowThread)
{
    FakeReset();
    WNDCLASSA windowClass = {0, TestProcedure, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "FakeTest"};
    RegisterClassA(&windowClass);
    target = CreateWindowExA(0, "FakeTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HANDLE worker = CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
        LRESULT answer = SendMessageA(target, WM_USER, 21, 0) + SendMessageA(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
        return PostMessageA(target, WM_USER + 1, 5, 0) ? static_cast<DWORD>(answer) : 0;
    }, nullptr, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    MSG message = {};
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_TRUE(message.message == WM_USER + 1 && message.hwnd == target && setTextThread == GetCurrentThreadId());
    DWORD code = 0;
    EXPECT_TRUE(WaitForSingleObject(worker, 5000) == WAIT_OBJECT_0 && GetExitCodeThread(worker, &code) && code == 43);
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), -1);
}

// Posted messages first, then the quit message; only input new since the
// queue was last looked at wakes a wait.
TEST(FakeQueue, PeekOrderAndWakes)
{
    FakeReset();
    PostMessageA(nullptr, WM_USER, 1, 0);
    PostQuitMessage(3);
    PostMessageA(nullptr, WM_USER + 2, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
    std::string seen;   // found:message:wParam
    for (UINT flags : {PM_NOREMOVE, PM_REMOVE, PM_REMOVE, PM_REMOVE, PM_REMOVE}) {
        MSG message = {};
        seen += std::to_string(PeekMessageA(&message, nullptr, 0, 0, flags));
        seen += ":" + std::to_string(message.message) + ":" + std::to_string(message.wParam) + " ";
    }
    EXPECT_EQ(seen, "1:1024:1 1:1024:1 1:1026:0 1:18:3 0:0:0 ");   // WM_USER 1024, WM_QUIT 18
}

// A closed handle is dead for every later call.
TEST(FakeThreads, ClosedHandles)
{
    FakeReset();
    DWORD givenId = 0, code = 0;
    HANDLE worker = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return GetCurrentThreadId(); }, nullptr, 0, &givenId);
    EXPECT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(worker, &code) && code == givenId && FakeThreadsRunning() == 0);
    EXPECT_TRUE(CloseHandle(worker) && !CloseHandle(worker) && !SetThreadPriority(worker, THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(WaitForSingleObject(worker, 0), static_cast<DWORD>(WAIT_FAILED));
}

static std::string events;   // "o" WOM_OPEN, "c" WOM_CLOSE, a digit: WOM_DONE of that header

static void CALLBACK RecordEvent(HWAVEOUT, UINT message, DWORD_PTR first, DWORD_PTR header, DWORD_PTR)
{
    events += message == WOM_OPEN ? 'o' : message == WOM_CLOSE ? 'c' : static_cast<char>('0' + (header - first) / sizeof(WAVEHDR));
}

// A pause holds even the first buffers; a reset hands the rest back unplayed,
// oldest first, and ends a pause; the device takes one client; a closed handle
// stays dead. Each step's result in order, "." for MMSYSERR_NOERROR.
TEST(FakeWaveOut, BufferLife)
{
    FakeReset();
    events.clear();
    char bytes[3][5] = {"aaaa", "bbbb", "cccc"};
    WAVEHDR headers[3] = {};
    for (int i = 0; i < 3; i++) headers[i] = WAVEHDR{bytes[i], 4, 0, 0, 0, 0, nullptr, 0};
    const WAVEFORMATEX stereo = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    const UINT size = sizeof(WAVEHDR);
    HWAVEOUT device = nullptr, second = nullptr;
    std::string results, flags;
    auto step = [&](MMRESULT result) { results += result ? std::to_string(result) + " " : "."; };
    auto showFlags = [&] { for (WAVEHDR& header : headers) flags += std::to_string(header.dwFlags) + " "; };
    for (HWAVEOUT* into : {&device, &second})
        step(waveOutOpen(into, 0, &stereo, reinterpret_cast<DWORD_PTR>(RecordEvent), reinterpret_cast<DWORD_PTR>(headers), CALLBACK_FUNCTION));
    step(waveOutPause(device));
    step(waveOutWrite(device, &headers[0], size));
    for (WAVEHDR& header : headers) step(waveOutPrepareHeader(device, &header, size)), step(waveOutWrite(device, &header, size));
    showFlags();
    step(waveOutUnprepareHeader(device, &headers[0], size));
    step(waveOutClose(device));
    EXPECT_FALSE(FakeCompleteBuffer());
    step(waveOutRestart(device));
    EXPECT_TRUE(FakeCompleteBuffer());
    step(waveOutPause(device));
    step(waveOutReset(device));
    step(waveOutWrite(device, &headers[2], size));   // plays: the reset ended the pause
    EXPECT_TRUE(FakeCompleteBuffer());
    for (WAVEHDR& header : headers) step(waveOutUnprepareHeader(device, &header, size));
    showFlags();
    step(waveOutClose(device));
    step(waveOutPause(device));
    EXPECT_EQ(results, ".4 .34 ......33 33 ........5 ");
    EXPECT_EQ(flags, "18 18 18 1 1 1 ");   // WHDR_PREPARED 2, WHDR_INQUEUE 16, WHDR_DONE 1
    EXPECT_EQ(events, "o0122c");
    EXPECT_EQ(FakeWaveOutPlayed(), "aaaacccc");
}

static std::string Contents(const std::string& path)
{
    std::string text = "-";
    std::ifstream(path) >> text;
    return text;
}

// Moves and deletes refuse as Windows does: an existing target without the
// flag, a missing source, a file held open, a read-only file (by its mode
// bits, which root would ignore) replaced or deleted; a read-only file may move.
TEST(FakeFiles, MoveAndDelete)
{
    std::string folder = "/tmp/pelorix-fakewin-" + std::to_string(getpid());
    std::string source = folder + "/new.ini", goal = folder + "/old.ini";
    enum { Plain, ReadOnly, Locked, Missing };
    const DWORD Replace = MOVEFILE_REPLACE_EXISTING;
    // The move's result and error, the two files' texts, then deleting the goal.
    struct Row { int source, goal; DWORD flags; const char* expected; };
    const Row rows[] = {
        {Plain, Missing, 0, "1 0 new - 1 0"}, {Plain, Plain, 0, "0 183 old new 1 0"},
        {Plain, Plain, Replace, "1 0 new - 1 0"}, {Missing, Plain, Replace, "0 2 old - 1 0"},
        {ReadOnly, Plain, Replace, "1 0 new - 0 5"},   // the moved file stays read-only
        {Plain, ReadOnly, Replace, "0 5 old new 0 5"}, {Plain, Locked, Replace, "0 32 old new 0 32"},
        {Locked, Plain, Replace, "0 32 old new 1 0"},
    };
    for (const Row& row : rows) {
        FakeReset();
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (int i = 0; i < 2; i++) {
            int kind = i ? row.goal : row.source;
            const std::string& path = i ? goal : source;
            if (kind != Missing) std::ofstream(path) << (i ? "old" : "new");
            if (kind == ReadOnly) fs::permissions(path, fs::perms::owner_read);
            if (kind == Locked) FakeLockFile(path.c_str(), true);
        }
        SetLastError(0);
        std::string seen = std::to_string(MoveFileExA(source.c_str(), goal.c_str(), row.flags));
        seen += " " + std::to_string(GetLastError()) + " " + Contents(goal) + " " + Contents(source);
        SetLastError(0);
        seen += " " + std::to_string(DeleteFileA(goal.c_str()));
        EXPECT_EQ(seen + " " + std::to_string(GetLastError()), row.expected);
    }
    fs::remove_all(folder);
}

// A listing in NTFS order with the attributes and sizes Windows gives, the
// wildcard rules, and the ways a search fails.
TEST(FakeFiles, FindsAsWindowsDoes)
{
    FakeReset();
    std::string folder = "/tmp/pelorix-fakefind-" + std::to_string(getpid());
    ASSERT_EQ(system(("rm -rf " + folder + " && mkdir -p " + folder + "/Sub " + folder + "/.hid && cd " + folder +
                      " && printf abc > b.PXA && touch a.pxa _x.pxa .dot && truncate -s 4294967299 noext"
                      " && chmod 444 a.pxa").c_str()), 0);
    struct Row { std::string pattern; const char* listing; };   // name:attributes[:size] in order, or the error
    const Row rows[] = {
        {folder + "/*.*", ".:16 ..:16 .dot:34 .hid:18 a.pxa:33 b.PXA:32:3 noext:32:4294967299 Sub:16 _x.pxa:32"},
        {folder + "\\?.p*", "a.pxa:33 b.PXA:32:3"}, {folder + "/noext.*", "noext:32:4294967299"},
        {folder + "/none.*", "2"}, {folder + "/gone/*.*", "3"},
    };
    for (const Row& row : rows) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(row.pattern.c_str(), &found);
        std::string listing = search == INVALID_HANDLE_VALUE ? std::to_string(GetLastError()) : "";
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
            uint64_t size = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
            listing += (listing.empty() ? "" : " ") + std::string(found.cFileName) + ":" +
                       std::to_string(found.dwFileAttributes) + (size ? ":" + std::to_string(size) : "");
        }
        EXPECT_TRUE(search == INVALID_HANDLE_VALUE || (GetLastError() == ERROR_NO_MORE_FILES && FindClose(search)));
        EXPECT_EQ(listing, row.listing) << row.pattern;
    }
    fs::remove_all(folder);
}

// The dialog refuses the 32-bit record size without taking an answer.
TEST(FakeFiles, OpenFileDialogRecordSize)
{
    static_assert(sizeof(void*) != 8 || (sizeof(OPENFILENAMEA) == 152 && OPENFILENAME_SIZE_VERSION_400A == 136 &&
                                         sizeof(WIN32_FIND_DATAA) == 320), "the Win64 layouts");
    FakeReset();
    char file[MAX_PATH] = "";
    OPENFILENAMEA request = {};
    request.lStructSize = 76;
    request.lpstrFile = file;
    request.nMaxFile = sizeof file;
    FakeQueueOpenFileAnswer("/a.pxa");
    EXPECT_TRUE(!GetOpenFileNameA(&request) && CommDlgExtendedError() == CDERR_STRUCTSIZE);
    request.lStructSize = sizeof request;
    EXPECT_TRUE(GetOpenFileNameA(&request) && std::string(file) == "/a.pxa");
}
