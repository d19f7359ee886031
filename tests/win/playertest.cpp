#include "playertest.h"

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/mainwindow.h"
#include "encoder/streamwriter.h"
#include "ui/keys.h"

static std::string ReadFile(const std::string& path)
{
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}

std::string FramesOf(const Clip& clip, int first, int count)
{
    size_t perFrame = static_cast<size_t>(clip.rate * clip.channels / 50);
    std::string bytes(perFrame * count * 2, '\0');
    for (size_t i = 0; i < perFrame * count && perFrame * first + i < clip.values.size(); i++) {
        int16_t value = clip.values[perFrame * first + i];
        bytes[2 * i] = static_cast<char>(value & 0xFF), bytes[2 * i + 1] = static_cast<char>(value >> 8 & 0xFF);
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

static std::string CaptureName(int opening)   // PELORIX_CAPTURE, then that with .0001, .0002, ...
{
    char suffix[16] = "";
    return getenv("PELORIX_CAPTURE") + std::string(opening ? (snprintf(suffix, 16, ".%04d", opening), suffix) : "");
}

std::vector<std::string> Captures()
{
    std::vector<std::string> captures;
    for (int i = 0; std::filesystem::exists(CaptureName(i)); i++) captures.push_back(ReadFile(CaptureName(i)));
    return captures;
}

bool PumpUntil(const std::function<bool()>& done, int seconds)
{
    for (DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT)) {
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            if (message.message != WM_QUIT && !HandleKey(message)) DispatchMessageA(&message);   // as the loop does
        if (done()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(seconds) * 1000) return false;
    }
}

bool Hold(const std::function<bool()>& done)
{
    // Each message the playback thread sends is looked at while it waits in it, when nothing it
    // decides can change, and carried out only if done() does not hold yet.
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(1)) {
        if (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE)) continue;
        if (done()) return true;
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return false;
}

static struct { const char* reply; std::string shown; std::atomic<bool> done; } answering;

// A message box (its text is its Static 65535) is answered at each look until it has gone; the file dialog
// once, when its file-name field (an Edit in the ComboBox in ComboBoxEx32 1148) holds still, as the dialog
// fills it after showing.
static DWORD WINAPI AnswerDialogs(void*)
{
    HWND answered = nullptr;
    std::string field;
    for (int same = 0; !answering.done; Sleep(10)) {
        HWND box = FindWindowA("#32770", nullptr);
        if (!box || !IsWindowVisible(box) || box == answered) continue;
        char text[PathSize] = "", caption[100] = "", owner[32] = "";
        HWND name = FindWindowExA(FindWindowExA(GetDlgItem(box, 1148), nullptr, "ComboBox", nullptr), nullptr,
                                  "Edit", nullptr);
        if (name && (GetWindowTextA(name, text, sizeof text), same = field == text ? same + 1 : 0, field = text,
                     same < 4)) continue;
        if (name && answering.reply) SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answering.reply));
        // A box looked at again as it goes may have lost its caption already: the whole look is kept.
        bool whole = !name && GetDlgItemTextA(box, 0xFFFF, text, sizeof text) && GetWindowTextA(box, caption, 100);
        if (whole) GetClassNameA(GetWindow(box, GW_OWNER), owner, sizeof owner);
        if (name || whole) answering.shown = name ? field : text + std::string("|") + caption + "|" + owner;
        PostMessageA(box, WM_COMMAND, !name || answering.reply ? IDOK : IDCANCEL, 0);
        answered = name ? box : nullptr, field = "", same = 0;
    }
    return 0;
}

std::string Answering(const std::function<void()>& action, const char* reply)
{
    answering.reply = reply, answering.shown = "", answering.done = false;
    HANDLE thread = CreateThread(nullptr, 0, AnswerDialogs, nullptr, 0, nullptr);
    action();
    answering.done = true;
    return WaitForSingleObject(thread, INFINITE), CloseHandle(thread), answering.shown;
}

void Player::SetUp()
{
    char temp[MAX_PATH] = "";
    startFolder = (GetCurrentDirectoryA(MAX_PATH, temp), temp);
    folder = (GetTempPathA(MAX_PATH, temp), temp) + std::string("pelorix-") +
             testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    std::filesystem::remove_all(folder), std::filesystem::create_directories(folder);
    Write("PELORIX.exe", "");   // SearchPathA finds it here as long as the test's own folder has none
    SetEnvironmentVariableA("APPDATA", folder.substr(0, folder.size() - 1).c_str());   // not the prefix's
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    for (int opening = 0; DeleteFileA(CaptureName(opening).c_str()); opening++) {}
}

void Player::TearDown()
{
    if (window) DestroyWindow(window), window = nullptr;
    EXPECT_TRUE(PumpUntil([] { return !playbackState.threadActive; }));
    SetCurrentDirectoryA(startFolder.c_str());
    if (HasFailure()) return;   // the clips stay for a look, as the captures always do till the next case
    std::error_code ignored;    // a file still open stays behind in the temp folder
    std::filesystem::remove_all(folder, ignored);
}

// Names in UTF-8, made through the wide API whatever the process code page, so the player meets them as they are.
void Player::Write(const std::string& name, const std::string& bytes)
{
    std::ofstream(std::filesystem::u8path(folder + name), std::ios::binary) << bytes;
}

std::string Player::Read(const std::string& name) { return ReadFile(folder + name); }

Clip Player::MakeClip(const std::string& name, int rate, int channels, int frames, int seed)
{
    Clip clip{folder + name, rate, channels, frames, {}};
    clip.values.resize(static_cast<size_t>(frames) * (rate / 50) * channels);
    uint32_t state = 2654435761u * static_cast<uint32_t>(seed) + 1;
    for (size_t i = 0; i < clip.values.size(); i++) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        clip.values[i] = static_cast<int16_t>(9000 * sin(0.05 * i) + static_cast<int>(state % 2001) - 1000);
    }
    FILE* file = _wfopen(std::filesystem::u8path(clip.path).c_str(), L"wb");
    EncodeResult result;
    EXPECT_TRUE(file && EncodeStream(clip.values.data(), static_cast<int64_t>(frames) * (rate / 50), channels, rate,
                                     {AutoCoder, FastLevel, nullptr, nullptr}, file, result) == Ok) << clip.path;
    return file && fclose(file), clip;
}

void Player::Start(const std::vector<std::string>& entries, int repeat, int advance, const char* framesPerBuffer,
                   const std::string& layout)
{
    std::string texts;   // buttons B<slot>, check boxes C<slot>, then the named ones
    auto text = [&](int slot, const std::string& value, const char* place) {
        texts += "#define T" + std::to_string(slot) + " " + std::to_string(slot) + " /*" + value + "*/\r\n" +
                 (*place ? std::string("// ") + place + "\r\n" : "");
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
    Write("PELORIX.ini", settings), Open();
}

void Player::Open()
{
    RegisterMainWindowClass(GetModuleHandleA(nullptr));   // fails once registered
    window = OpenMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(window, nullptr);
}

bool Player::Close()
{
    MSG quit;
    SendMessageA(window, WM_CLOSE, 0, 0), window = nullptr;
    return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

bool Player::Moves(int seconds)
{
    return PumpUntil([&, before = TextOf(PositionSlot)] { return TextOf(PositionSlot) != before; }, seconds);
}

void Player::Click(int row, bool twice)
{
    HWND list = ControlHandle(PlaylistSlot);
    SendMessageA(list, LB_SETCURSEL, row, 0);
    for (int code : {LBN_SELCHANGE, twice ? LBN_DBLCLK : LBN_SELCHANGE})
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(PlaylistSlot, code), reinterpret_cast<LPARAM>(list));
}

std::string Player::TextOf(int slot)
{
    char text[2000] = "";
    return GetWindowTextA(ControlHandle(slot), text, sizeof text), text;
}

std::string Player::Seen()
{
    auto pushed = [](int slot) { return (SendMessageA(ControlHandle(slot), BM_GETSTATE, 0, 0) & BST_PUSHED) ? 'P' : '-'; };
    std::string file = TextOf(StatusSlot);
    if (file.compare(0, folder.size(), folder) == 0) file.erase(0, folder.size());
    return TextOf(PositionSlot) + "|" + file + "|" + pushed(PlaySlot) + pushed(PauseSlot) + "|" +
           std::to_string(playbackState.currentIndex) + " " + std::to_string(playbackState.selectedIndex) + " " +
           std::to_string(SendMessageA(ControlHandle(PlaylistSlot), LB_GETCURSEL, 0, 0));
}

testing::AssertionResult Player::Shows(const std::string& view)
{
    std::string seen;
    auto matches = [&] {
        seen = Seen();
        for (size_t i = 0; i < seen.size() && seen.size() == view.size(); i++)
            if (view[i] != seen[i] && !(view[i] == '#' && isdigit(static_cast<unsigned char>(seen[i])))) return false;
        return seen.size() == view.size();
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
        std::string row = text;
        if (row.compare(0, folder.size(), folder) == 0)   // by stem
            row = row.substr(row.rfind('\\') + 1), row = row.substr(0, row.rfind('.'));
        rows += (i ? " " : "") + row;
    }
    return rows;
}
