// The settings file PELORIX.ini beside the executable: the language number,
// the three check-box options, the file dialog's last answer and the Playlist,
// carried from one run to the next. Silent by design: nothing here shows a
// message; a file that can't be read leaves the defaults.
#pragma once

#include <windows.h>

// Start-up, once settingsPath is known and the defaults are set, before the
// layout load. Takes the leading lines of a file whose first line reads 10 to
// 19; lines missing at the end keep their defaults. When playlistCount > 0
// the file stays open for ReadPlaylistEntries.
void ReadSettings();

// Within the start-up fill, once the controls exist and only when
// playlistCount > 0: empties the playlist list box, then reads playlistCount
// entry lines, inserting in file order each path that validates as a stream
// file. playlistCount becomes the number inserted; the file is closed.
void ReadPlaylistEntries(HWND playlist);

// WM_DESTROY: the file in the current format from the values in memory and
// the playlist list box (end marker excluded). Written beside as a temporary
// and moved over the old file only when complete, so a failure leaves the old
// file whole. Ok, or Failed with nothing changed.
int WriteSettings();
