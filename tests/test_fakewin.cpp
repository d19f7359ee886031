// The stand-in platform layer keeps the contract the program relies on: list
// boxes store their rows, check boxes toggle and notify, SearchPathA answers
// with the executable's path or the size it needs.
#include <gtest/gtest.h>

#include <string>

#include "fakewin.h"

static WPARAM lastCommand;

static LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) lastCommand = wParam;
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND OpenParent()
{
    FakeReset();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "FakeTestParent";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "FakeTestParent", "parent", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
}

static std::string Rows(HWND listBox)
{
    std::string rows;
    int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; i++) {
        char text[64];
        LRESULT length = SendMessageA(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        rows += (i ? "|" : "") + std::string(text, static_cast<size_t>(length));
    }
    return rows;
}

TEST(FakeControls, ListBoxRows)
{
    HWND parent = OpenParent();
    HWND listBox = CreateWindowExA(0, "listbox", "", WS_CHILD | LBS_SORT | LBS_NOTIFY, 0, 0, 10, 10, parent,
                                   reinterpret_cast<HMENU>(35), nullptr, nullptr);
    ASSERT_NE(listBox, nullptr);
    struct Row { UINT message; int wParam; const char* text; LRESULT result; const char* rows; int selection; };
    const Row rows[] = {
        {LB_INSERTSTRING, 0, "m", 0, "m", -1},
        {LB_INSERTSTRING, 1, "b", 1, "m|b", -1},          // exact index despite LBS_SORT
        {LB_INSERTSTRING, -1, "z", 2, "m|b|z", -1},
        {LB_INSERTSTRING, 4, "x", LB_ERR, "m|b|z", -1},
        {LB_SETCURSEL, 1, nullptr, 1, "m|b|z", 1},
        {LB_INSERTSTRING, 0, "a", 0, "a|m|b|z", 2},       // the selection stays on its row
        {LB_DELETESTRING, 0, nullptr, 3, "m|b|z", 1},     // later rows move up
        {LB_DELETESTRING, 3, nullptr, LB_ERR, "m|b|z", 1},
        {LB_GETTEXTLEN, 2, nullptr, 1, "m|b|z", 1},
        {LB_SETCURSEL, 9, nullptr, LB_ERR, "m|b|z", 1},
        {LB_DELETESTRING, 1, nullptr, 2, "m|z", -1},      // the selected row went
        {LB_RESETCONTENT, 0, nullptr, 0, "", -1},
        {LB_ADDSTRING, 0, "m", 0, "m", -1},
        {LB_ADDSTRING, 0, "B", 0, "B|m", -1},             // sorted place, any case
        {LB_ADDSTRING, 0, "z", 2, "B|m|z", -1},
        {LB_ADDSTRING, 0, "a", 0, "a|B|m|z", -1},
    };
    for (const Row& row : rows) {
        LRESULT result = SendMessageA(listBox, row.message, static_cast<WPARAM>(row.wParam),
                                      reinterpret_cast<LPARAM>(row.text));
        SCOPED_TRACE(testing::Message() << "message " << row.message << " " << row.wParam);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(Rows(listBox), row.rows);
        EXPECT_EQ(SendMessageA(listBox, LB_GETCURSEL, 0, 0), row.selection);
    }

    FakeClickListItem(listBox, 1, true);
    EXPECT_EQ(SendMessageA(listBox, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(lastCommand, MAKEWPARAM(35, LBN_DBLCLK));
}

TEST(FakeControls, Buttons)
{
    HWND parent = OpenParent();
    HWND check = CreateWindowExA(0, "button", "Repeat", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 10, 10, parent,
                                 reinterpret_cast<HMENU>(4), nullptr, nullptr);
    HWND push = CreateWindowExA(0, "BUTTON", "Play", WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, parent,
                                reinterpret_cast<HMENU>(1), nullptr, nullptr);
    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(lastCommand, MAKEWPARAM(4, BN_CLICKED));
    SendMessageA(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);

    SendMessageA(push, BM_SETCHECK, BST_CHECKED, 0);   // a push button has no check state
    EXPECT_EQ(SendMessageA(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(push, BM_SETSTATE, 1, 0);
    EXPECT_EQ(SendMessageA(push, BM_GETSTATE, 0, 0), BST_PUSHED);
    SendMessageA(push, BM_SETSTATE, 0, 0);
    EXPECT_EQ(SendMessageA(push, BM_GETSTATE, 0, 0), 0);

    EXPECT_EQ(SendMessageA(nullptr, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), 0);
    EXPECT_EQ(CreateWindowExA(0, " ", "", WS_CHILD, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(FakeChildCount(parent), 2);
}

TEST(FakeControls, SearchPath)
{
    struct Row { const char* executable; const char* name; DWORD size; DWORD result; const char* found; };
    const Row rows[] = {
        {"/opt/p/PELORIX.exe", "PELORIX", 300, 18, "/opt/p/PELORIX.exe"},
        {"/opt/p/pelorix.EXE", "PELORIX", 300, 18, "/opt/p/pelorix.EXE"},
        {"/opt/p/PELORIX.exe", "PELORIX", 18, 19, ""},    // too small: the size needed
        {"/opt/p/PELORIX.exe", "OTHER", 300, 0, ""},
        {"", "PELORIX", 300, 0, ""},
    };
    for (const Row& row : rows) {
        FakeReset();
        FakeSetExecutablePath(row.executable);
        char buffer[300] = "";
        EXPECT_EQ(SearchPathA(nullptr, row.name, ".exe", row.size, buffer, nullptr), row.result) << row.executable;
        EXPECT_STREQ(buffer, row.found) << row.executable;
    }
}
