// Inside the fake layer only: the window record its modules share, and the
// one recursive lock that every fake function holds while it works.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "fakewin.h"

enum WindowKind { UserWindow, StaticControl, ButtonControl, EditControl, ListBoxControl };

struct FakeWindow {
    bool alive;
    WindowKind kind;
    std::string className;       // as registered, or the control's class name
    WNDPROC procedure;           // user windows only
    HWND parent;
    DWORD style;
    DWORD exStyle;
    int identifier;              // children: the HMENU value given at creation
    RECT rect;                   // children: in the parent's client area; top level: screen
    bool visible;
    bool sizeSent;               // a top-level window gets WM_SIZE on its first show
    bool needsPaint;
    std::string text;
    int checkState;              // check boxes and radio buttons: BST_*
    bool pushed;                 // BM_SETSTATE
    std::vector<std::string> items;  // list box rows
    int selection;               // list box: -1 none
    int scrollMinimum[2];        // SB_HORZ, SB_VERT
    int scrollMaximum[2];
    int scrollPosition[2];
};

typedef std::lock_guard<std::recursive_mutex> Hold;
extern std::recursive_mutex fakeLock;

FakeWindow* LiveWindow(HWND window);   // NULL for NULL, destroyed and foreign handles
LRESULT DeliverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH, which every window answers alike.
bool TextMessage(FakeWindow* window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer);

// The static, button, edit and list box classes.
LRESULT ControlProcedure(FakeWindow* window, UINT message, WPARAM wParam, LPARAM lParam);

void ResetWindows();   // windows, classes, queue, quit state, focus, creation settings
