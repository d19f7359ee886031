// The stand-in layer where it must behave as Windows does: sends between
// threads (and the deadlock of a window thread that only waits), the message
// queue, threads and waits, the waveform-audio device, file moves, the
// find functions and the open-file dialog.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

#include "fakewin.h"

static std::atomic<DWORD> setTextThread;

// WM_USER answers twice its wParam; WM_SETTEXT records the thread it ran on.
static LRESULT CALLBACK TestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER) return static_cast<LRESULT>(wParam * 2);
    if (message == WM_SETTEXT) setTextThread = GetCurrentThreadId();
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND NewWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestProcedure;
    windowClass.lpszClassName = "FakeTest";
    RegisterClassA(&windowClass);   // fails harmlessly when already registered
    return CreateWindowExA(0, "FakeTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

static std::string TextOf(HWND window)
{
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Waits for the thread, carrying out what is sent meanwhile, as a window thread must.
static DWORD PumpUntilEnded(HANDLE thread)
{
    DWORD woken;
    while ((woken = MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_SENDMESSAGE)) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return woken;
}

static DWORD RunWorker(LPTHREAD_START_ROUTINE work, LPVOID parameter)
{
    HANDLE worker = CreateThread(nullptr, 0, work, parameter, 0, nullptr);
    EXPECT_EQ(PumpUntilEnded(worker), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(worker, &code);
    CloseHandle(worker);
    return code;
}

TEST(FakeSend, WindowThreadThatOnlyWaitsDeadlocks)
{
    FakeReset();
    HWND window = NewWindow();
    setTextThread = 0;
    HANDLE worker = CreateThread(nullptr, 0, [](LPVOID target) -> DWORD {
        SendMessageA(static_cast<HWND>(target), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("from worker"));
        return 7;
    }, window, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(TextOf(window), "");
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(worker, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

    EXPECT_EQ(PumpUntilEnded(worker), WAIT_OBJECT_0);
    EXPECT_EQ(TextOf(window), "from worker");
    EXPECT_EQ(setTextThread, GetCurrentThreadId());
    EXPECT_TRUE(GetExitCodeThread(worker, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(worker));
}

static HWND sendTarget;

TEST(FakeSend, AnswersAndDeadEnds)
{
    FakeReset();
    HWND own = NewWindow();
    HWND destroyed = NewWindow();
    DestroyWindow(destroyed);
    HWND orphan = nullptr;   // its thread has ended
    std::thread([&] { orphan = NewWindow(); }).join();
    ASSERT_TRUE(IsWindow(orphan));
    EXPECT_FALSE(PostMessageA(orphan, WM_USER, 0, 0));

    struct Row { HWND window; bool fromWorker; LRESULT expected; };
    const Row rows[] = {{own, false, 42}, {own, true, 42}, {nullptr, false, 0}, {nullptr, true, 0},
                        {destroyed, false, 0}, {orphan, false, 0}, {orphan, true, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.window << " from worker " << row.fromWorker);
        sendTarget = row.window;
        if (!row.fromWorker) {
            EXPECT_EQ(SendMessageA(row.window, WM_USER, 21, 0), row.expected);
            continue;
        }
        EXPECT_EQ(RunWorker([](LPVOID) -> DWORD {
            return static_cast<DWORD>(SendMessageA(sendTarget, WM_USER, 21, 0));
        }, nullptr), static_cast<DWORD>(row.expected));
    }
}

// GetMessageA blocks while a worker runs, carrying out its send, and takes
// the message it posts; with no worker left an empty queue answers -1.
TEST(FakeQueue, GetMessageWaitsForWorkers)
{
    FakeReset();
    sendTarget = NewWindow();
    setTextThread = 0;
    HANDLE worker = CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
        SendMessageA(sendTarget, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("sent"));
        PostMessageA(sendTarget, WM_USER + 1, 5, 0);
        return 0;
    }, nullptr, 0, nullptr);
    MSG message = {};
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(message.hwnd, sendTarget);
    EXPECT_EQ(setTextThread, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0);
    CloseHandle(worker);
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), -1);
}

TEST(FakeQueue, PeekOrderAndWakes)
{
    FakeReset();
    HWND window = NewWindow();
    PostMessageA(window, WM_USER, 1, 0);
    PostQuitMessage(3);
    PostMessageA(nullptr, WM_USER + 2, 0, 0);
    // Only input new since the queue was last looked at wakes a wait.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));

    struct Step { UINT flags; BOOL found; UINT message; };
    const Step steps[] = {{PM_REMOVE | PM_QS_SENDMESSAGE, FALSE, 0}, {PM_NOREMOVE, TRUE, WM_USER},
                          {PM_REMOVE, TRUE, WM_USER}, {PM_REMOVE, TRUE, WM_USER + 2},
                          {PM_NOREMOVE, TRUE, WM_QUIT}, {PM_REMOVE, TRUE, WM_QUIT}, {PM_REMOVE, FALSE, 0}};
    for (const Step& step : steps) {
        MSG message = {};
        EXPECT_EQ(PeekMessageA(&message, nullptr, 0, 0, step.flags), step.found);
        EXPECT_EQ(message.message, step.message);
        EXPECT_EQ(message.wParam, step.message == WM_QUIT ? 3u : step.message == WM_USER ? 1u : 0u);
    }
    EXPECT_TRUE(FakeQuitPosted());
    EXPECT_EQ(FakeQuitCode(), 3);
}

static std::atomic<bool> gateOpen;

TEST(FakeThreads, HandlesPrioritiesAndRefusals)
{
    FakeReset();
    DWORD givenId = 0;
    gateOpen = false;
    HANDLE worker = CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
        while (!gateOpen) Sleep(50);
        MessageBoxA(sendTarget, "from worker", nullptr, MB_OK);
        return GetCurrentThreadId();
    }, nullptr, 0, &givenId);
    sendTarget = NewWindow();
    EXPECT_TRUE(SetThreadPriority(worker, THREAD_PRIORITY_HIGHEST));
    EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), 3));
    EXPECT_EQ(FakeThreadPriority(), THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(FakeThreadsRunning(), 1);
    gateOpen = true;
    EXPECT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0);   // a message box waits for no window
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(worker, &code));
    EXPECT_EQ(code, givenId);
    EXPECT_EQ(FakeThreadsRunning(), 0);
    EXPECT_TRUE(CloseHandle(worker));
    EXPECT_FALSE(CloseHandle(worker));
    EXPECT_EQ(WaitForSingleObject(worker, 0), static_cast<DWORD>(WAIT_FAILED));
    EXPECT_FALSE(SetThreadPriority(worker, THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(FakeMessageBoxCount(), 1);
    EXPECT_STREQ(FakeLastMessageBoxCaption(), "Error");
    EXPECT_EQ(FakeLastMessageBoxOwner(), sendTarget);

    LPTHREAD_START_ROUTINE nothing = [](LPVOID) -> DWORD { return 0; };
    EXPECT_EQ(CreateThread(nullptr, 0, nothing, nullptr, 4 /* CREATE_SUSPENDED */, nullptr), nullptr);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    FakeFailThreadCreation(true);
    EXPECT_EQ(CreateThread(nullptr, 0, nothing, nullptr, 0, nullptr), nullptr);
    FakeReset();
    EXPECT_EQ(FakeThreadPriority(), THREAD_PRIORITY_NORMAL);
    HANDLE handles[] = {GetCurrentThread()};
    EXPECT_EQ(MsgWaitForMultipleObjects(1, handles, TRUE, 0, 0), static_cast<DWORD>(WAIT_FAILED));
    EXPECT_EQ(MsgWaitForMultipleObjects(1, handles, FALSE, 10, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

// ---- the waveform-audio device ----

static std::vector<std::pair<UINT, WAVEHDR*>> events;   // the test's thread only

static void CALLBACK RecordEvent(HWAVEOUT, UINT message, DWORD_PTR, DWORD_PTR header, DWORD_PTR)
{
    events.emplace_back(message, reinterpret_cast<WAVEHDR*>(header));
}

static const WAVEFORMATEX StereoFormat = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};

static MMRESULT Open(HWAVEOUT& device, UINT deviceId, const WAVEFORMATEX& format, DWORD flags = CALLBACK_FUNCTION)
{
    return waveOutOpen(&device, deviceId, &format, reinterpret_cast<DWORD_PTR>(RecordEvent), 0, flags);
}

TEST(FakeWaveOut, OpenChecks)
{
    struct Row { UINT deviceId; WORD channels, blockAlign, bits; DWORD rate, bytesPerSecond, flags; MMRESULT failure,
                 expected; };
    const Row rows[] = {
        {0, 2, 4, 16, 44100, 176400, CALLBACK_FUNCTION, 0, MMSYSERR_NOERROR},
        {WAVE_MAPPER, 1, 2, 16, 500, 1000, CALLBACK_FUNCTION, 0, MMSYSERR_NOERROR},
        {1, 2, 4, 16, 44100, 176400, CALLBACK_FUNCTION, 0, MMSYSERR_BADDEVICEID},
        {99, 2, 4, 16, 44100, 176400, CALLBACK_FUNCTION, 0, MMSYSERR_BADDEVICEID},
        {0, 2, 2, 8, 44100, 88200, CALLBACK_FUNCTION, 0, WAVERR_BADFORMAT},
        {0, 3, 6, 16, 44100, 264600, CALLBACK_FUNCTION, 0, WAVERR_BADFORMAT},
        {0, 2, 2, 16, 44100, 88200, CALLBACK_FUNCTION, 0, WAVERR_BADFORMAT},
        {0, 2, 4, 16, 44100, 44100, CALLBACK_FUNCTION, 0, WAVERR_BADFORMAT},
        {0, 2, 4, 16, 0, 0, CALLBACK_FUNCTION, 0, WAVERR_BADFORMAT},
        {0, 2, 4, 16, 44100, 176400, 0, 0, MMSYSERR_INVALFLAG},
        {WAVE_MAPPER, 2, 4, 16, 44100, 176400, CALLBACK_FUNCTION, MMSYSERR_NODRIVER, MMSYSERR_NODRIVER},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "device " << row.deviceId << " expects " << row.expected);
        FakeReset();
        events.clear();
        FakeFailWaveOutOpen(row.failure);
        WAVEFORMATEX format = {WAVE_FORMAT_PCM, row.channels, row.rate, row.bytesPerSecond, row.blockAlign,
                               row.bits, 0};
        HWAVEOUT device = nullptr;
        EXPECT_EQ(Open(device, row.deviceId, format, row.flags), row.expected);
        EXPECT_EQ(FakeWaveOutDeviceId(), row.deviceId);
        EXPECT_EQ(FakeWaveOutOpen(), row.expected == MMSYSERR_NOERROR);
        if (row.expected != MMSYSERR_NOERROR) continue;
        EXPECT_EQ(FakeWaveOutFormat().nSamplesPerSec, row.rate);
        HWAVEOUT second = nullptr;
        EXPECT_EQ(Open(second, 0, format), static_cast<MMRESULT>(MMSYSERR_ALLOCATED));
        EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].first, static_cast<UINT>(WOM_OPEN));
        EXPECT_EQ(events[1].first, static_cast<UINT>(WOM_CLOSE));
    }
}

// One open's life: a pause holds even the first buffers, a reset hands the
// rest back unplayed, oldest first, and ends the pause.
TEST(FakeWaveOut, BufferLife)
{
    FakeReset();
    events.clear();
    HWAVEOUT device = nullptr;
    ASSERT_EQ(Open(device, 0, StereoFormat), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    char bytes[3][4] = {{'a', 'a', 'a', 'a'}, {'b', 'b', 'b', 'b'}, {'c', 'c', 'c', 'c'}};
    WAVEHDR headers[3] = {};
    for (int i = 0; i < 3; i++) headers[i] = WAVEHDR{bytes[i], 4, 0, 0, 0, 0, nullptr, 0};
    const UINT size = sizeof(WAVEHDR);
    EXPECT_EQ(waveOutPause(device), 0u);
    EXPECT_EQ(waveOutWrite(device, &headers[0], size), static_cast<MMRESULT>(WAVERR_UNPREPARED));
    for (WAVEHDR& header : headers) {
        EXPECT_EQ(waveOutPrepareHeader(device, &header, size), 0u);
        EXPECT_EQ(waveOutWrite(device, &header, size), 0u);
        EXPECT_EQ(header.dwFlags, static_cast<DWORD>(WHDR_PREPARED | WHDR_INQUEUE));
    }
    EXPECT_EQ(waveOutWrite(device, &headers[0], size), static_cast<MMRESULT>(WAVERR_STILLPLAYING));
    EXPECT_EQ(waveOutUnprepareHeader(device, &headers[0], size), static_cast<MMRESULT>(WAVERR_STILLPLAYING));
    EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(WAVERR_STILLPLAYING));
    EXPECT_FALSE(FakeCompleteBuffer());

    EXPECT_EQ(waveOutRestart(device), 0u);
    EXPECT_TRUE(FakeCompleteBuffer());
    EXPECT_EQ(waveOutPause(device), 0u);
    EXPECT_EQ(waveOutReset(device), 0u);
    EXPECT_FALSE(FakeWaveOutPaused());
    EXPECT_EQ(FakeWaveOutQueued(), 0);
    ASSERT_EQ(events.size(), 4u);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(events[i + 1], std::make_pair(static_cast<UINT>(WOM_DONE), &headers[i]));
        EXPECT_EQ(headers[i].dwFlags, static_cast<DWORD>(WHDR_DONE | WHDR_PREPARED));
    }
    EXPECT_EQ(waveOutWrite(device, &headers[2], size), 0u);   // plays: the reset ended the pause
    EXPECT_TRUE(FakeCompleteBuffer());
    EXPECT_EQ(FakeWaveOutPlayed(), "aaaacccc");
    EXPECT_EQ(FakeWaveOutWritten(), "aaaabbbbcccccccc");
    EXPECT_EQ(FakeWaveOutResetCount(), 1);

    for (WAVEHDR& header : headers) EXPECT_EQ(waveOutUnprepareHeader(device, &header, size), 0u);
    EXPECT_EQ(headers[0].dwFlags, static_cast<DWORD>(WHDR_DONE));
    EXPECT_EQ(waveOutClose(device), 0u);
    EXPECT_EQ(events.back().first, static_cast<UINT>(WOM_CLOSE));
    EXPECT_EQ(waveOutReset(device), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
    HWAVEOUT reopened = nullptr;
    ASSERT_EQ(Open(reopened, 0, StereoFormat), 0u);
    EXPECT_EQ(waveOutPause(device), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));   // the old handle stays dead
    EXPECT_EQ(waveOutClose(reopened), 0u);
    EXPECT_EQ(FakeWaveOutOpenCount(), 2);
}

TEST(FakeWaveOut, ErrorTexts)
{
    struct Row { MMRESULT code; UINT size; MMRESULT expected; const char* text; };
    const Row rows[] = {
        {MMSYSERR_BADDEVICEID, MAXERRORLENGTH, 0, "A device ID has been used that is out of range for your system."},
        {MMSYSERR_ERROR, MAXERRORLENGTH, 0, "Undefined external error."},
        {MMSYSERR_NODRIVER, MAXERRORLENGTH, 0, "There is no driver installed on your system!"},
        {MMSYSERR_BADDEVICEID, 9, 0, "A device"},
        {MMSYSERR_BADDEVICEID, 1, 0, ""},
        {MMSYSERR_BADDEVICEID, 0, 0, "keep"},
        {999, MAXERRORLENGTH, MMSYSERR_BADERRNUM, "keep"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.code << " in " << row.size);
        char text[MAXERRORLENGTH] = "keep";
        EXPECT_EQ(waveOutGetErrorTextA(row.code, text, row.size), row.expected);
        EXPECT_STREQ(text, row.text);
    }
}

// ---- files ----

static std::string Contents(const std::string& path)
{
    std::ifstream file(path);
    std::string text = "(none)";
    if (file) std::getline(file, text);
    return text;
}

TEST(FakeFiles, MoveAndDelete)
{
    std::string folder = "/tmp/pelorix-fakewin-" + std::to_string(getpid());
    std::string source = folder + "/new.ini", target = folder + "/old.ini";
    struct Row { bool sourceExists, targetExists; DWORD flags; BOOL expected; DWORD error; const char* after; };
    const Row rows[] = {
        {true, false, 0, TRUE, 0, "new"},
        {true, true, 0, FALSE, ERROR_ALREADY_EXISTS, "old"},
        {true, true, MOVEFILE_REPLACE_EXISTING, TRUE, 0, "new"},
        {false, true, MOVEFILE_REPLACE_EXISTING, FALSE, ERROR_FILE_NOT_FOUND, "old"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.sourceExists << row.targetExists << row.flags);
        ASSERT_EQ(system(("rm -rf " + folder + " && mkdir -p " + folder).c_str()), 0);
        if (row.sourceExists) std::ofstream(source) << "new";
        if (row.targetExists) std::ofstream(target) << "old";
        SetLastError(0);
        EXPECT_EQ(MoveFileExA(source.c_str(), target.c_str(), row.flags), row.expected);
        EXPECT_EQ(GetLastError(), row.error);
        EXPECT_EQ(Contents(target), row.after);
        EXPECT_EQ(Contents(source) != "(none)", row.sourceExists && !row.expected);
    }
    EXPECT_TRUE(DeleteFileA(target.c_str()));
    EXPECT_FALSE(DeleteFileA(target.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(system(("rm -rf " + folder).c_str()), 0);
}

// A listing in NTFS order with the attributes and sizes Windows gives, the
// wildcard rules, relative and absolute patterns, the ways a search fails,
// and no handle left open.
TEST(FakeFiles, FindsAsWindowsDoes)
{
    FakeReset();
    std::string folder = "/tmp/pelorix-fakefind-" + std::to_string(getpid());
    ASSERT_EQ(system(("rm -rf " + folder + " && mkdir -p " + folder + "/Sub " + folder + "/.hid && cd " + folder +
                      " && printf abc > b.PXA && touch a.pxa _x.pxa .dot && truncate -s 4294967299 noext"
                      " && chmod 444 a.pxa").c_str()), 0);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    struct Row { std::string pattern; const char* listing; };   // name:attributes[:size] in order, or the error
    const Row rows[] = {
        {"*.*", ".:16 ..:16 .dot:34 .hid:18 a.pxa:33 b.PXA:32:3 noext:32:4294967299 Sub:16 _x.pxa:32"},
        {folder + "\\*.pxa", "a.pxa:33 b.PXA:32:3 _x.pxa:32"},
        {folder + "/?.p*", "a.pxa:33 b.PXA:32:3"},
        {"noext.*", "noext:32:4294967299"},
        {"A.PXA", "a.pxa:33"},
        {folder + "/SUB", "Sub:16"},
        {"none.*", "2"},
        {"gone/*.*", "3"},
        {std::string(MAX_PATH, 'x'), "206"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pattern);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(row.pattern.c_str(), &found);
        std::string listing;
        if (search == INVALID_HANDLE_VALUE) {
            listing = std::to_string(GetLastError());
        } else {
            do {
                uint64_t size = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
                listing += (listing.empty() ? "" : " ") + std::string(found.cFileName) + ":" +
                           std::to_string(found.dwFileAttributes) + (size ? ":" + std::to_string(size) : "");
            } while (FindNextFileA(search, &found));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
            EXPECT_TRUE(FindClose(search));
            EXPECT_FALSE(FindClose(search) || FindNextFileA(search, &found));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        }
        EXPECT_EQ(listing, row.listing);
    }
    EXPECT_EQ(FakeFindHandlesOpen(), 0);
    WIN32_FIND_DATAA found;
    EXPECT_NE(FindFirstFileA("*", &found), INVALID_HANDLE_VALUE);   // left open: the reset closes it
    FakeReset();   // and goes back to the folder the tests started in
    EXPECT_EQ(FakeFindHandlesOpen(), 0);
    ASSERT_EQ(system(("rm -rf " + folder).c_str()), 0);
}

// The dialog answers in queue order, refuses the 32-bit record size without
// taking an answer, and a buffer too small, as Windows does; it records what
// it was given and leaves the process in an existing answer folder until the
// reset unless told not to.
TEST(FakeFiles, OpenFileDialog)
{
    static_assert(sizeof(void*) != 8 || (sizeof(OPENFILENAMEA) == 152 && OPENFILENAME_SIZE_VERSION_400A == 136 &&
                                         sizeof(WIN32_FIND_DATAA) == 320), "the Win64 layouts");
    FakeReset();
    std::string start = std::filesystem::current_path().string();
    const char filter[] = "Tracks\0*.pxa\0\0not read";
    char file[16] = "*.*", title[4] = "";
    OPENFILENAMEA request = {};
    request.lpstrFilter = filter;
    request.lpstrFile = file;
    request.nMaxFile = sizeof file;
    request.lpstrFileTitle = title;
    request.nMaxFileTitle = sizeof title;
    for (const char* answer : {"/tmp/a.pxa", "/b", "/no.such/x", "", "/tmp/long-name.pxa"})
        FakeQueueOpenFileAnswer(*answer ? answer : nullptr);   // "": a cancel
    struct Row { DWORD size, flags; BOOL result; DWORD error; const char* file; WORD offset, extension; };
    const Row rows[] = {
        {76, 0, FALSE, CDERR_STRUCTSIZE, "*.*", 0, 0},
        {sizeof(OPENFILENAMEA), 0, TRUE, 0, "/tmp/a.pxa", 5, 7},
        {OPENFILENAME_SIZE_VERSION_400A, OFN_NOCHANGEDIR, TRUE, 0, "/b", 1, 0},   // stays in /tmp
        {sizeof(OPENFILENAMEA), 0, TRUE, 0, "/no.such/x", 9, 0},                  // a missing folder: stays
        {sizeof(OPENFILENAMEA), 0, FALSE, 0, "/no.such/x", 9, 0},                 // the cancel
        {sizeof(OPENFILENAMEA), 0, FALSE, FNERR_BUFFERTOOSMALL, "\x13", 9, 0},    // 19 bytes needed
        {sizeof(OPENFILENAMEA), 0, FALSE, 0, "\x13", 9, 0},                       // nothing queued
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        request.lStructSize = row.size;
        request.Flags = row.flags;
        EXPECT_EQ(GetOpenFileNameA(&request), row.result);
        EXPECT_EQ(CommDlgExtendedError(), row.error);
        EXPECT_STREQ(file, row.file);
        EXPECT_EQ(request.nFileOffset, row.offset);
        EXPECT_EQ(request.nFileExtension, row.extension);
        if (!row.result) continue;
        EXPECT_EQ(std::string(title), std::string(row.file + row.offset).substr(0, 3));
        EXPECT_EQ(std::filesystem::current_path().string(), "/tmp");
    }
    EXPECT_EQ(FakeOpenFileCalls(), 7);
    FakeOpenFileCall last = FakeLastOpenFileCall();
    EXPECT_EQ(last.filter, std::string("Tracks\0*.pxa\0\0", 14));
    EXPECT_EQ(last.initialFile, "\x13");
    EXPECT_EQ(last.record.lpstrFile, file);
    FakeReset();
    EXPECT_EQ(std::filesystem::current_path().string(), start);
    EXPECT_EQ(FakeOpenFileCalls(), 0);
}
