// Program entry, the window class "PELORIX", the main window "PELORIX 2.2",
// its window procedure and the start-up done while it is created.
#pragma once

#include <windows.h>

// The whole program: class, window, message loop. Returns the quit message's
// exit code; 0 when the class cannot be registered or the command line's items
// went to a player already running, 999 when the main window cannot be
// created (rather than waiting for a message that never comes).
int RunProgram(HINSTANCE instance, int showCommand);

// The three stages of RunProgram, for callers that look between them.
ATOM RegisterMainWindowClass(HINSTANCE instance);
HWND OpenMainWindow(HINSTANCE instance, int showCommand);   // created, shown, updated; NULL on failure
int RunMessageLoop();   // until the quit message: its exit code; 999 if GetMessageA fails
