// The child controls: the slots with a meaning of their own, one handle per
// slot, created once at start-up from the ControlSpec table, and the text
// operations other modules call.
#pragma once

#include <windows.h>

#include "window/units.h"

// Control slots. A slot's number is also its control's identifier and the
// command that control sends.
enum ControlSlot {
    LanguageSlot = 0, PlaySlot = 1, StopSlot = 2, ExitSlot = 3, RepeatSlot = 4, AdvanceSlot = 5,
    PreviousSlot = 10, Back5MinSlot = 11, Back1MinSlot = 12, Back15sSlot = 13, Back3sSlot = 14, PauseSlot = 15,
    Forward3sSlot = 16, Forward15sSlot = 17, Forward1MinSlot = 18, Forward5MinSlot = 19, NextSlot = 20,
    PositionSlot = 21,   // its text is also the prefix of the running time display
    StatusSlot = 23, AddAfterSlot = 25, RemoveSlot = 26, ClearSlot = 27, ClearFirstSlot = 28, AddBeforeSlot = 29,
    PlaylistSlot = 35,   // the Playlist: one row per entry, then the end marker
    ScanSlot = 36,       // the names one folder scan found
};

// Added to the Playlist's style from the layout: the main window draws its rows
// (name first), the list box keeps the whole paths, and scrolls sideways.
const DWORD PlaylistStyle = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | WS_HSCROLL;

// Text slots that no control shows as its caption.
enum TextSlot {
    CannotPlayText = 42, IdleText = 43, UnsupportedText = 44, EndMarkerText = 45, SeekPreviewText = 46,
    FramesPerBufferText = 47, DeviceText = 48,
};

// Handle of the control of a slot; NULL when the slot has none (type -1, a
// failed creation, or a slot outside 0..59). Sends to NULL have no effect.
HWND ControlHandle(int slot);

// Every handle back to NULL; start-up, before the layout load.
void ForgetControls();

// The units of font in the window's DC (GetDC, GetTextMetricsA, ReleaseDC);
// of the window's default font when font is NULL.
LayoutUnits MeasureLayoutUnits(HWND window, HFONT font);

// For each slot 0..59 whose type is 0 or more, in rising order: a child of the
// main window of class "static", "button", "edit" or "listbox" by type (any
// other type names no class, so creation fails), captioned with the slot's
// text, with the slot's style (a Playlist list box's with PlaylistStyle added),
// placed in layout units, identifier = slot.
void CreateControls(HWND mainWindow, HINSTANCE instance, const LayoutUnits& units);

// Each control that exists gets font (NULL: the system font) and its place in
// units, as for the canvas scrolled to 0; after a change of DPI.
void PlaceControls(const LayoutUnits& units, HFONT font);

// Pixels from the client area's corner to the far right and bottom edges of
// the controls that exist, plus one column and one top margin.
SIZE LayoutExtent(const LayoutUnits& units);

// A text of the layout into a control, copied first, so it is safe on the
// playback thread while the window thread reloads the layout.
void ShowLayoutText(int controlSlot, int textSlot);

// The idle text into the position and status displays. Safe on the playback
// thread: the text is copied before it is sent.
void ShowIdleTexts();

// Every control that the current ControlSpec table describes gets its slot's
// text as caption. Window thread.
void RefreshCaptions();

// Row of a list box into text, which holds size bytes: its length, or -1 with
// text empty when there is no such row or it does not fit. Sends only, so the
// playback thread may read the Playlist with it.
int ReadListRow(HWND list, int row, char* text, int size);
