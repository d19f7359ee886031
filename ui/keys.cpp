// Keys as the controls they stand for: each sends its control's command, as
// the control sends it when pressed, so no key has a behaviour of its own.
// Window thread.
#include "ui/keys.h"

#include "playback/playbackstate.h"
#include "window/controls.h"
#include "window/layout.h"

enum { PlayOrPauseKey = -1, EnterKey = -2, TabKey = -3 };   // keys that the moment or the focus decides

struct KeyCommand {
    WPARAM key;     // virtual-key code
    bool control;   // with Ctrl held
    int slot;       // the control's, or one of the three above
};

static const KeyCommand keyCommands[] = {
    {VK_SPACE, false, PlayOrPauseKey}, {VK_RETURN, false, EnterKey}, {VK_TAB, false, TabKey},
    {VK_DELETE, false, RemoveSlot}, {VK_LEFT, false, Back3sSlot}, {VK_RIGHT, false, Forward3sSlot},
    {VK_LEFT, true, Back1MinSlot}, {VK_RIGHT, true, Forward1MinSlot}, {VK_UP, true, PreviousSlot},
    {VK_DOWN, true, NextSlot},
};

// Pause while playing, which resumes when paused; Play when stopped.
static int PlayOrPauseSlot() { return playbackState.playing ? PauseSlot : PlaySlot; }

// WM_COMMAND as the slot's button sends it when clicked.
static void Press(HWND mainWindow, int slot)
{
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(slot, BN_CLICKED), reinterpret_cast<LPARAM>(ControlHandle(slot)));
}

// The parent of every control; NULL until start-up has made one.
static HWND MainWindow()
{
    for (int slot = 0; slot < SlotCount; slot++)
        if (HWND control = ControlHandle(slot)) return GetParent(control);
    return nullptr;
}

static bool IsClass(HWND control, const char* className)
{
    char name[16] = "";
    GetClassNameA(control, name, sizeof name);
    return lstrcmpiA(name, className) == 0;
}

// Buttons, check boxes and list boxes, shown and enabled; a group box is a button that takes no focus.
static bool TakesFocus(HWND control)
{
    if (!control) return false;
    bool button = IsClass(control, "button") && (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX;
    return (button || IsClass(control, "listbox")) && IsWindowVisible(control) && IsWindowEnabled(control);
}

// The next control in slot order that takes the focus, the first after the last; back: the one before.
static void MoveFocus(HWND from, bool back)
{
    int at = GetDlgCtrlID(from);
    if (ControlHandle(at) != from) at = back ? 0 : SlotCount - 1;   // from no control: from either end
    for (int step = 1; step <= SlotCount; step++) {
        HWND control = ControlHandle((at + (back ? SlotCount - step : step)) % SlotCount);
        if (TakesFocus(control)) {
            SetFocus(control);
            return;
        }
    }
}

bool HandleKey(MSG& message)
{
    bool down = message.message == WM_KEYDOWN;
    if (!down && message.message != WM_KEYUP) return false;
    HWND window = MainWindow();
    if (!window || (message.hwnd != window && GetParent(message.hwnd) != window)) return false;
    HWND playlist = ControlHandle(PlaylistSlot);
    if (message.hwnd == window && playlist) {
        SetFocus(playlist);
        message.hwnd = playlist;
    }
    bool control = GetKeyState(VK_CONTROL) < 0;
    const KeyCommand* taken = nullptr;
    for (const KeyCommand& row : keyCommands)
        if (row.key == message.wParam && row.control == control) taken = &row;
    if (!taken || (taken->slot != TabKey && IsClass(message.hwnd, "edit"))) return false;
    // A key held down repeats a seek, a step or a removal; a toggle or a start is pressed once.
    bool repeated = (message.lParam & 0x40000000) != 0;
    if (!down || (repeated && (taken->slot == PlayOrPauseKey || taken->slot == EnterKey))) return true;
    switch (taken->slot) {
    case PlayOrPauseKey: Press(window, PlayOrPauseSlot()); break;
    case TabKey: MoveFocus(message.hwnd, GetKeyState(VK_SHIFT) < 0); break;
    case EnterKey:   // a button pressed; in the Playlist, the selected entry played, as by a double-click
        if (message.hwnd == playlist)
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(PlaylistSlot, LBN_DBLCLK), reinterpret_cast<LPARAM>(playlist));
        else if (IsClass(message.hwnd, "button"))
            SendMessageA(message.hwnd, BM_CLICK, 0, 0);
        break;
    default: Press(window, taken->slot);
    }
    return true;
}

LRESULT HandleAppCommand(HWND mainWindow, LPARAM lParam)
{
    int slot;
    switch (GET_APPCOMMAND_LPARAM(lParam)) {
    case APPCOMMAND_MEDIA_PLAY_PAUSE: slot = PlayOrPauseSlot(); break;
    case APPCOMMAND_MEDIA_STOP: slot = StopSlot; break;
    case APPCOMMAND_MEDIA_NEXTTRACK: slot = NextSlot; break;
    case APPCOMMAND_MEDIA_PREVIOUSTRACK: slot = PreviousSlot; break;
    default: return FALSE;
    }
    Press(mainWindow, slot);
    return TRUE;
}
