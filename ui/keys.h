// The main window's keyboard: keys and media keys stand for controls and send
// their commands as the controls themselves send them; Tab walks the controls.
#pragma once

#include <windows.h>

// For each message the loop takes, before TranslateMessage: true when it is a
// key taken here (done on its WM_KEYDOWN, its WM_KEYUP dropped), which is then
// neither translated nor dispatched. A key at the main window itself is the
// Playlist's, which takes the focus; an edit field keeps every key but Tab.
bool HandleKey(MSG& message);

// WM_APPCOMMAND: the media keys play/pause, stop, next and previous track as
// their buttons. TRUE when taken, FALSE for the system's default handling.
LRESULT HandleAppCommand(HWND mainWindow, LPARAM lParam);
