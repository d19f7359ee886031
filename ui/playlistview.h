// The Playlist as the user sees it: the main window draws its rows, each
// entry's file name first and its folder after it, the entry that plays in
// bold behind a marker, and the caption names what plays. The list box keeps
// the whole paths as its strings. Window thread only.
#pragma once

#include <windows.h>

#include "window/layout.h"

const int ShownSize = TextArenaSize + 8;   // a row as shown: a path, or the end marker, and the gap

// WM_MEASUREITEM and WM_DRAWITEM: TRUE for the Playlist's rows, FALSE for
// any other control's, which are left to the system.
BOOL MeasurePlaylistRow(MEASUREITEMSTRUCT& measure);
BOOL DrawPlaylistRow(const DRAWITEMSTRUCT& draw);

// Start-up, once the controls exist and before the fill: from then on the
// list's horizontal extent follows its widest row as shown.
void WatchPlaylistRows(HWND playlist);

// Start-up before the controls are made, and each change of DPI: the rows
// drawn in font (NULL: the system font) and its bold, the Playlist's row
// height and horizontal extent made for them. The caller keeps font.
void SetPlaylistFont(HFONT font);

// PlayingMessage: repaints the rows whose mark changed and sets the caption,
// "NAME - caption" while the path plays, caption alone for a null path.
void ShowPlaying(HWND mainWindow, const char* caption, const char* path);

// The row of the entry that plays, drawn bold behind the marker: currentIndex
// while a stream plays, else -1.
int PlayingRow();

// The text row shows: the file name, a gap and the folder; the end marker,
// or a row too long for size, as it is. Returns whether it is the PlayingRow.
bool ShownRow(int row, char* shown, int size);
