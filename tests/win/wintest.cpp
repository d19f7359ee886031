// Capture files, the message pump and test folders for the Windows tests.
#include "wintest.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

// The capture of an opening: the base name, then base.0001, base.0002, ...;
// "" (no file) when there is no base.
static std::string CaptureName(int opening)
{
    const char* base = getenv("PELORIX_CAPTURE");
    if (!base || !*base) return "";
    char suffix[16] = "";
    if (opening > 0) snprintf(suffix, sizeof suffix, ".%04d", opening);
    return base + std::string(suffix);
}

std::vector<std::string> Captures()
{
    std::vector<std::string> captures;
    for (;;) {
        std::ifstream file(CaptureName(static_cast<int>(captures.size())), std::ios::binary);
        if (!file) return captures;
        std::stringstream bytes;
        bytes << file.rdbuf();
        captures.push_back(bytes.str());
    }
}

void ForgetCaptures()
{
    for (int opening = 0; DeleteFileA(CaptureName(opening).c_str()); opening++) {}
}

bool PumpUntil(const std::function<bool()>& done, int seconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT) DispatchMessageA(&message);
        if (done()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(seconds) * 1000) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);   // a message, or 5 ms
    }
}

std::string MakeTestFolder()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string folder = std::string(temp) + "pelorix-" + std::to_string(GetCurrentProcessId()) + "-" +
                         test->test_suite_name() + "." + test->name() + "\\";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

void RemoveTestFolder(const std::string& folder)
{
    std::error_code ignored;   // a file still open stays behind in the temp folder
    std::filesystem::remove_all(folder, ignored);
}
