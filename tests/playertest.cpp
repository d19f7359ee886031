#include "playertest.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "app/mainwindow.h"
#include "encoder/streamwriter.h"

namespace fs = std::filesystem;

std::string FramesOf(const Clip& clip, int first, int count)
{
    size_t perFrame = static_cast<size_t>(clip.rate * clip.channels / 50);
    std::string bytes(perFrame * count * 2, '\0');
    for (size_t i = 0; i < perFrame * count && perFrame * first + i < clip.values.size(); i++) {
        int16_t value = clip.values[perFrame * first + i];
        bytes[2 * i] = static_cast<char>(value & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(value >> 8 & 0xFF);
    }
    return bytes;
}

std::string Player::TextOf(int slot)
{
    char text[2000] = "";
    GetWindowTextA(ControlHandle(slot), text, sizeof text);
    return text;
}

void Player::SetUp()
{
    folder = fs::temp_directory_path() / ("pelorix-player-" + std::to_string(getpid())) /
             testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(folder);
    fs::create_directories(folder);
    FakeReset();
    FakeSetExecutablePath((folder / "PELORIX.exe").c_str());
}

void Player::TearDown()
{
    if (playbackState.threadActive) {
        playbackState.stopRequest = 1;
        EXPECT_TRUE(Idle());
    }
    FakeReset();
    fs::remove_all(folder.parent_path());
}

void Player::Write(const std::string& name, const std::string& bytes)
{
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string Player::Read(const std::string& name)
{
    std::stringstream bytes;
    bytes << std::ifstream(folder / name, std::ios::binary).rdbuf();
    return bytes.str();
}

Clip Player::MakeClip(const std::string& name, int rate, int channels, int frames, int seed)
{
    Clip clip{(folder / name).string(), rate, channels, frames, {}};
    clip.values.resize(static_cast<size_t>(frames) * (rate / 50) * channels);
    uint32_t state = 2654435761u * static_cast<uint32_t>(seed) + 1;
    for (size_t i = 0; i < clip.values.size(); i++) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        clip.values[i] = static_cast<int16_t>(9000 * std::sin(0.05 * i) + static_cast<int>(state % 2001) - 1000);
    }
    FILE* file = fopen(clip.path.c_str(), "wb");
    EncodeSettings settings = {AutoCoder, FastLevel, nullptr, nullptr};
    EncodeResult result;
    EXPECT_TRUE(file && EncodeStream(clip.values.data(), static_cast<int64_t>(frames) * (rate / 50), channels, rate,
                                     settings, file, result) == Ok) << clip.path;
    if (file) fclose(file);
    return clip;
}

void Player::Start(const std::vector<std::string>& entries, int repeat, int advance, const char* framesPerBuffer,
                   const std::string& layout)
{
    std::string texts;
    auto text = [&](int slot, const std::string& value, const std::string& place) {
        texts += "#define T" + std::to_string(slot) + " " + std::to_string(slot) + " /*" + value + "*/\r\n";
        if (!place.empty()) texts += "// " + place + "\r\n";
    };
    for (int slot : {0, 1, 2, 3, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 25, 26, 27, 29})
        text(slot, "B" + std::to_string(slot), "1, 0x50000000, 0, 0, 50, 10");
    for (int slot : {4, 5, 28}) text(slot, "C" + std::to_string(slot), "1, 0x50000003, 0, 0, 50, 10");
    text(35, "Playlist", "3, 0x50A00101, 0, 0, 500, 100");
    text(36, "Scan", "3, " + std::string(scanListStyle) + ", 0, 0, 50, 10");
    const std::pair<int, std::string> named[] = {{21, "Pos"}, {23, "File"}, {42, "Cannot play"}, {43, "Ready"},
        {44, "Unsupported"}, {45, "(end)"}, {46, "Seek to"}, {47, framesPerBuffer}, {48, "-1"}};
    for (const auto& [slot, value] : named) text(slot, value, slot < 24 ? "0, 0x50000000, 0, 0, 500, 10" : "");
    Write("PELORIX.h", layout.empty() ? texts : layout);
    std::string settings = "10\n0\n" + std::to_string(repeat) + "\n" + std::to_string(advance) + "\n0\n" +
                           std::to_string(entries.size()) + "\n*.*\n";
    for (const std::string& entry : entries) settings += entry + "\n";
    Write("PELORIX.ini", settings);
    ASSERT_NE(RegisterMainWindowClass(GetModuleHandleA(nullptr)), 0);
    window = OpenMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(window, nullptr);
}

std::string Player::Seen()
{
    auto pushed = [](int slot) { return (SendMessageA(ControlHandle(slot), BM_GETSTATE, 0, 0) & BST_PUSHED) ? 'P' : '-'; };
    std::string file = TextOf(23), prefix = folder.string() + "/";
    if (file.compare(0, prefix.size(), prefix) == 0) file.erase(0, prefix.size());
    int cursor = static_cast<int>(SendMessageA(ControlHandle(Playlist), LB_GETCURSEL, 0, 0));
    return TextOf(21) + "|" + file + "|" + pushed(1) + pushed(15) + "|" + std::to_string(playbackState.currentIndex) +
           " " + std::to_string(playbackState.selectedIndex) + " " + std::to_string(cursor) + "|" +
           (!FakeWaveOutOpen() ? "closed" : FakeWaveOutPaused() ? "paused" : "running");
}

std::string Player::Rows()
{
    HWND list = ControlHandle(Playlist);
    std::string rows;
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); i++) {
        char text[2000] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        bool ours = std::string(text).compare(0, folder.string().size(), folder.string()) == 0;
        rows += (i ? " " : "") + (ours ? fs::path(text).stem().string() : text);
    }
    return rows;
}

bool Player::PumpUntil(const std::function<bool()>& done)
{
    for (int round = 0; round < 100000; round++) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return false;
}

// Every buffer the device handed back has been refilled or found nothing
// left; the device is open and running.
static bool Refilled()
{
    int exhausted = playbackState.exhaustedCount;
    return playbackState.playing && FakeWaveOutOpen() && !FakeWaveOutPaused() && exhausted < 2 &&
           !playbackState.bufferDone[0] && !playbackState.bufferDone[1] && FakeWaveOutQueued() + exhausted == 2;
}

bool Player::Steady() { return PumpUntil(Refilled); }

bool Player::Idle() { return PumpUntil([] { return FakeThreadsRunning() == 0; }); }

void Player::Complete(int buffers)
{
    for (int i = 0; i < buffers; i++) {
        ASSERT_TRUE(FakeCompleteBuffer());
        ASSERT_TRUE(PumpUntil([] { return Refilled() || FakeThreadsRunning() == 0; }));
    }
}
