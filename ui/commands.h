// The main window's command handler: WM_COMMAND from the controls, chosen by
// the identifier, which is the sending control's slot.
#pragma once

#include <windows.h>

// The identifier is the low word of wParam, the notification code the high
// word; lParam the sending control, NULL for none. An identifier without a
// command does nothing. Returns 0.
LRESULT HandleCommand(HWND window, WPARAM wParam, LPARAM lParam = 0);
