// The options that the settings file stores besides the PlaybackState's (the
// language number, the clear-before-add option and the last folder), and the
// settings file itself: read at start-up, written at exit. Silent by design:
// a file that can't be read leaves the defaults, a failed write the old file.
#pragma once

#include <windows.h>

#include "settings/settings.h"

extern int languageNumber;             // layout variant in use; 0 is the base file
extern int clearBeforeAddOption;       // check box of ClearFirstSlot; nonzero is on
extern char lastFolder[PathSize];      // the file dialog's last answer; "*.*" at first

// Language 0, the three options and playlistCount 0, lastFolder "*.*".
void SetDefaultOptions();

// Start-up, once settingsPath is known and the defaults are set, before the
// layout load: the options from the file's first seven lines. When
// playlistCount > 0 the file stays open for ReadPlaylistEntries.
void ReadSettings();

// Within the start-up fill, once the controls exist and only when
// playlistCount > 0: empties the playlist list box, then reads playlistCount
// entry lines, inserting in file order each path that validates as a stream
// file. playlistCount becomes the number inserted; the file is closed.
void ReadPlaylistEntries(HWND playlist);

// WM_DESTROY: the file from the values in memory and the playlist list box
// (end marker excluded), written beside as a temporary and moved over the old
// file only when complete. Ok, or Failed with nothing changed.
int WriteSettings();
