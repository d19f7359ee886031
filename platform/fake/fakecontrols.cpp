// The stand-in controls: static, button, edit and list box, with the
// messages of their classes that the program sends, and clicks for tests.
// A control's state changes under fakeLock; its notification to the parent
// is sent after the lock is let go, since the parent's procedure runs then.
#include "fakeinternal.h"

#include <cstring>
#include <strings.h>

static bool HasCheckState(const FakeWindow* button)
{
    switch (button->style & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON:
    case BS_3STATE: case BS_AUTO3STATE: case BS_AUTORADIOBUTTON:
        return true;
    }
    return false;
}

static void Notify(HWND control, int code)
{
    HWND parent;
    int identifier;
    {
        Hold hold;
        FakeWindow* target = LiveWindow(control);
        if (!target) return;
        parent = target->parent;
        identifier = target->identifier;
    }
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(identifier, code), reinterpret_cast<LPARAM>(control));
}

// clicked: set for BM_CLICK, whose BN_CLICKED the caller sends.
static LRESULT ButtonProcedure(FakeWindow* button, UINT message, WPARAM wParam, bool& clicked)
{
    switch (message) {
    case BM_GETCHECK:
        return HasCheckState(button) ? button->checkState : BST_UNCHECKED;
    case BM_SETCHECK:
        if (HasCheckState(button)) button->checkState = static_cast<int>(wParam) & 3;
        return 0;
    case BM_GETSTATE:
        return button->checkState | (button->pushed ? BST_PUSHED : 0) | (GetFocus() == button ? BST_FOCUS : 0);
    case BM_SETSTATE:
        button->pushed = wParam != 0;
        return 0;
    case BM_CLICK:
        switch (button->style & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX: button->checkState = button->checkState ? BST_UNCHECKED : BST_CHECKED; break;
        case BS_AUTO3STATE: button->checkState = (button->checkState + 1) % 3; break;
        case BS_AUTORADIOBUTTON: button->checkState = BST_CHECKED; break;
        }
        clicked = true;
        return 0;
    }
    return 0;
}

static size_t SortedPlace(const std::vector<std::string>& items, const char* text)
{
    size_t place = 0;
    while (place < items.size() && strcasecmp(items[place].c_str(), text) <= 0) place++;
    return place;
}

static LRESULT InsertItem(FakeWindow* listBox, int index, LPARAM text)
{
    int count = static_cast<int>(listBox->items.size());
    if (index == -1) index = count;
    if (index < 0 || index > count) return LB_ERR;
    listBox->items.insert(listBox->items.begin() + index, text ? reinterpret_cast<const char*>(text) : "");
    if (listBox->selection >= index) listBox->selection++;
    return index;
}

static LRESULT ListBoxProcedure(FakeWindow* listBox, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::vector<std::string>& items = listBox->items;
    int count = static_cast<int>(items.size());
    int index = static_cast<int>(wParam);
    bool inRange = index >= 0 && index < count;
    switch (message) {
    case LB_RESETCONTENT:
        items.clear();
        listBox->selection = -1;
        return 0;
    case LB_INSERTSTRING:
        return InsertItem(listBox, index, lParam);
    case LB_ADDSTRING: {
        const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        size_t place = (listBox->style & LBS_SORT) ? SortedPlace(items, text) : items.size();
        return InsertItem(listBox, static_cast<int>(place), lParam);
    }
    case LB_DELETESTRING:
        if (!inRange) return LB_ERR;
        items.erase(items.begin() + index);
        if (listBox->selection == index) listBox->selection = -1;
        else if (listBox->selection > index) listBox->selection--;
        return count - 1;
    case LB_GETCOUNT:
        return count;
    case LB_GETTEXT:
        if (!inRange) return LB_ERR;
        if (lParam) memcpy(reinterpret_cast<char*>(lParam), items[index].c_str(), items[index].size() + 1);
        return static_cast<LRESULT>(items[index].size());
    case LB_GETTEXTLEN:
        return inRange ? static_cast<LRESULT>(items[index].size()) : LB_ERR;
    case LB_GETCURSEL:
        return listBox->selection;
    case LB_SETCURSEL:
        if (index == -1) listBox->selection = -1;
        if (!inRange) return LB_ERR;
        listBox->selection = index;
        return index;
    }
    return 0;
}

LRESULT ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    bool clicked = false;
    {
        Hold hold;
        FakeWindow* control = LiveWindow(window);
        if (!control) return 0;
        if (TextMessage(control, message, wParam, lParam, result)) return result;
        if (control->kind == ButtonControl) result = ButtonProcedure(control, message, wParam, clicked);
        if (control->kind == ListBoxControl) result = ListBoxProcedure(control, message, wParam, lParam);
    }
    if (clicked) Notify(window, BN_CLICKED);
    return result;
}

void FakeClickListItem(HWND listBox, int index, bool doubleClick)
{
    {
        Hold hold;
        FakeWindow* target = LiveWindow(listBox);
        if (!target || target->kind != ListBoxControl) return;
        if (index >= 0 && index < static_cast<int>(target->items.size())) target->selection = index;
        if (!(target->style & LBS_NOTIFY)) return;
    }
    Notify(listBox, LBN_SELCHANGE);
    if (doubleClick && IsWindow(listBox)) Notify(listBox, LBN_DBLCLK);
}
