#include "playertest.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/mainwindow.h"
#include "encoder/streamwriter.h"

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

int PlayedBuffers(const std::string& capture, const Clip& clip, int framesPerBuffer)
{
    std::string whole = FramesOf(clip, 0, (clip.frames + framesPerBuffer - 1) / framesPerBuffer * framesPerBuffer);
    size_t same = 0;
    while (same < capture.size() && same < whole.size() && capture[same] == whole[same]) same++;
    if (capture.find_first_not_of('\0', same) != std::string::npos) return -1;
    return static_cast<int>(same / FramesOf(clip, 0, framesPerBuffer).size());
}

void Player::SetUp()
{
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    startFolder = current;
    folder = MakeTestFolder();
    // SearchPathA finds it here as long as the test's own folder has none.
    Write("PELORIX.exe", "");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    ForgetCaptures();
}

void Player::TearDown()
{
    if (window) DestroyWindow(window);
    window = nullptr;
    EXPECT_TRUE(PumpUntil([] { return !playbackState.threadActive; }));
    SetCurrentDirectoryA(startFolder.c_str());
    if (HasFailure()) return;   // the clips and captures stay for a look
    ForgetCaptures();
    RemoveTestFolder(folder);
}

void Player::Write(const std::string& name, const std::string& bytes)
{
    std::ofstream(folder + name, std::ios::binary) << bytes;
}

std::string Player::Read(const std::string& name)
{
    std::stringstream bytes;
    bytes << std::ifstream(folder + name, std::ios::binary).rdbuf();
    return bytes.str();
}

Clip Player::MakeClip(const std::string& name, int rate, int channels, int frames, int seed)
{
    Clip clip{folder + name, rate, channels, frames, {}};
    clip.values.resize(static_cast<size_t>(frames) * (rate / 50) * channels);
    uint32_t state = 2654435761u * static_cast<uint32_t>(seed) + 1;
    for (size_t i = 0; i < clip.values.size(); i++) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        clip.values[i] = static_cast<int16_t>(9000 * sin(0.05 * i) + static_cast<int>(state % 2001) - 1000);
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
    for (int slot : {RepeatSlot, AdvanceSlot, ClearFirstSlot})
        text(slot, "C" + std::to_string(slot), "1, 0x50000003, 0, 0, 50, 10");
    text(PlaylistSlot, "Playlist", "3, 0x50A00101, 0, 0, 500, 100");
    text(ScanSlot, "Scan", "3, 0x40A00002, 0, 0, 50, 10");   // hidden, sorted
    const std::pair<int, std::string> named[] = {{PositionSlot, "Pos"}, {StatusSlot, "File"},
        {CannotPlayText, "Cannot play"}, {IdleText, "Ready"}, {UnsupportedText, "Unsupported"},
        {EndMarkerText, "(end)"}, {SeekPreviewText, "Seek to"}, {FramesPerBufferText, framesPerBuffer},
        {DeviceText, "-1"}};
    for (const auto& [slot, value] : named) text(slot, value, slot < 24 ? "0, 0x50000000, 0, 0, 500, 10" : "");
    Write("PELORIX.h", layout.empty() ? texts : layout);
    std::string settings = "10\n0\n" + std::to_string(repeat) + "\n" + std::to_string(advance) + "\n0\n" +
                           std::to_string(entries.size()) + "\n*.*\n";
    for (const std::string& entry : entries) settings += entry + "\n";
    Write("PELORIX.ini", settings);
    static ATOM registered = RegisterMainWindowClass(GetModuleHandleA(nullptr));
    ASSERT_NE(registered, 0);
    window = OpenMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(window, nullptr);
}

bool Player::Moves(int seconds)
{
    std::string before = TextOf(PositionSlot);
    return PumpUntil([&] { return TextOf(PositionSlot) != before; }, seconds);
}

void Player::Click(int row, bool twice)
{
    HWND list = ControlHandle(PlaylistSlot);
    SendMessageA(list, LB_SETCURSEL, row, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(PlaylistSlot, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    if (twice) SendMessageA(window, WM_COMMAND, MAKEWPARAM(PlaylistSlot, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

std::string Player::TextOf(int slot)
{
    char text[2000] = "";
    GetWindowTextA(ControlHandle(slot), text, sizeof text);
    return text;
}

std::string Player::Seen()
{
    auto pushed = [](int slot) { return (SendMessageA(ControlHandle(slot), BM_GETSTATE, 0, 0) & BST_PUSHED) ? 'P' : '-'; };
    std::string file = TextOf(StatusSlot);
    if (file.compare(0, folder.size(), folder) == 0) file.erase(0, folder.size());
    int cursor = static_cast<int>(SendMessageA(ControlHandle(PlaylistSlot), LB_GETCURSEL, 0, 0));
    return TextOf(PositionSlot) + "|" + file + "|" + pushed(PlaySlot) + pushed(PauseSlot) + "|" +
           std::to_string(playbackState.currentIndex) + " " + std::to_string(playbackState.selectedIndex) + " " +
           std::to_string(cursor);
}

testing::AssertionResult Player::Shows(const std::string& view)
{
    std::string seen;
    auto matches = [&] {
        seen = Seen();
        if (seen.size() != view.size()) return false;
        for (size_t i = 0; i < seen.size(); i++)
            if (view[i] != seen[i] && !(view[i] == '#' && isdigit(static_cast<unsigned char>(seen[i])))) return false;
        return true;
    };
    if (PumpUntil(matches)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "shows \"" << seen << "\", not \"" << view << "\"";
}

std::string Player::Rows()
{
    HWND list = ControlHandle(PlaylistSlot);
    std::string rows;
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); i++) {
        char text[2000] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        bool ours = std::string(text).compare(0, folder.size(), folder) == 0;
        rows += (i ? " " : "") + (ours ? std::filesystem::path(text).stem().string() : text);
    }
    return rows;
}
