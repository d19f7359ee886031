// The child controls: one handle per slot, created once at start-up from the
// ControlSpec table, and the two text operations other modules call.
#pragma once

#include <windows.h>

#include "app/units.h"

// Handle of the control of a slot; NULL when the slot has none (type -1, a
// failed creation, or a slot outside 0..59). Sends to NULL have no effect.
HWND ControlHandle(int slot);

// Every handle back to NULL; start-up, before the layout load.
void ForgetControls();

// For each slot 0..59 whose type is 0 or more, in rising order: a child of the
// main window of class "static", "button", "edit" or "listbox" by type (any
// other type names no class, so creation fails), captioned with the slot's
// text, with the slot's style, placed in layout units, identifier = slot.
void CreateControls(HWND mainWindow, HINSTANCE instance, const LayoutUnits& units);

// A text of the layout into a control, copied first, so it is safe on the
// playback thread while the window thread reloads the layout.
void ShowLayoutText(int controlSlot, int textSlot);

// Text slot 43 into control slots 21 and 23. Safe on the playback thread: the
// text is copied before it is sent.
void ShowIdleTexts();

// Every control that the current ControlSpec table describes gets its slot's
// text as caption. Window thread.
void RefreshCaptions();
