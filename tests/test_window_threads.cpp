// Built with ThreadSanitizer: a second thread sends to the controls the way
// the playback thread does (idle texts, list box rows, the time display)
// while the window thread steps through the languages, carrying out the
// sends whenever it waits. Every text the sender reads must be one whole text
// of one language, and TSan must stay quiet.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>

#include "fakewin.h"
#include "app/controls.h"
#include "app/mainwindow.h"

static const char* const idleTexts[] = {"Ready", "Bereit", "Pr\xEAt"};
static const char* const endMarkers[] = {"(end)", "(Ende)", "(fin)"};

static bool IsOneOf(const char* text, const char* const (&choices)[3])
{
    for (const char* choice : choices)
        if (strcmp(text, choice) == 0) return true;
    return false;
}

static void WriteLayout(const std::string& path, int language)
{
    std::ofstream file(path, std::ios::binary);
    file << "#define TIME 21 /*Time*/\r\n// 0, 0x50000000, 20, 4, 740, 16\r\n"
         << "#define LANGUAGE 0 /*Language*/\r\n// 1, 0x50000000, 780, 3, 100, 18\r\n"
         << "#define PLAYLIST 35 /*Playlist*/\r\n// 3, 0x50A00101, 20, 90, 740, 265\r\n"
         << "#define IDLE 43 /*" << idleTexts[language] << "*/\r\n"
         << "#define END 45 /*" << endMarkers[language] << "*/\r\n";
}

// The sender's sends wait for this thread, as on Windows.
static void Pump()
{
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    std::this_thread::yield();
}

int main()
{
    std::string folder = "/tmp/pelorix-window-threads-" + std::to_string(getpid());
    if (system(("mkdir -p " + folder).c_str()) != 0) return 1;
    WriteLayout(folder + "/PELORIX.h", 0);
    WriteLayout(folder + "/PELORIX.h01", 1);
    WriteLayout(folder + "/PELORIX.h02", 2);
    FakeReset();
    FakeSetExecutablePath((folder + "/PELORIX.exe").c_str());
    RegisterMainWindowClass(GetModuleHandleA(nullptr));
    HWND window = OpenMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    if (!window || !ControlHandle(35)) return 1;

    std::atomic<bool> done(false);
    std::atomic<int> torn(0);
    std::atomic<int> reads(0);
    std::atomic<bool> finished(false);
    std::thread sender([&] {
        char text[400];
        while (!done.load()) {
            ShowIdleTexts();
            SendMessageA(ControlHandle(21), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            if (!IsOneOf(text, idleTexts)) torn++;
            LRESULT length = SendMessageA(ControlHandle(35), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
            if (length >= 0 && !IsOneOf(text, endMarkers)) torn++;
            SendMessageA(ControlHandle(1), BM_SETSTATE, 1, 0);   // no control: no effect
            reads++;
        }
        finished = true;
    });
    for (int press = 0; press < 300; press++) {
        int before = reads.load();
        SendMessageA(window, WM_COMMAND, 0, 0);
        // A whole pass after each press.
        while (reads.load() < before + 2) Pump();
    }
    done = true;
    while (!finished.load()) Pump();
    sender.join();

    if (system(("rm -rf " + folder).c_str()) != 0) return 1;
    printf("%d reads beside 300 language commands, %d torn\n", reads.load(), torn.load());
    return torn.load() == 0 && FakeMessageBoxCount() == 0 ? 0 : 1;
}
