// The Playlist: the paths in the list box of PlaylistSlot, followed by the
// end marker (EndMarkerText), and the edits that the commands make to it. All
// on the window thread. Strings go in with LB_INSERTSTRING at an explicit
// index, so the order is the commands' whatever the list box's style.
#pragma once

#include <windows.h>

// Once, at the end of start-up, after the controls exist and the playback
// flags are reset: the entries the settings file announced, the end marker at
// index playlistCount, selectedIndex = currentIndex (0), the cursor on row 0,
// and the check boxes of RepeatSlot, AdvanceSlot and ClearFirstSlot from repeatOption, advanceOption
// and clearBeforeAddOption.
void FillPlaylist();

// The end marker in the current language at row index (playlistCount).
void InsertEndMarker(int index);

// The selected entry out; currentIndex stays on the same entry, or on the one
// that followed a removed current entry, whose playback is asked to stop.
void RemoveEntry();

// Every entry out, playback asked to stop, both indices 0, no row selected.
void ClearPlaylist();

// The file dialog, then every admissible stream file its answer names (a
// file, a pattern, a folder when it ends in a separator, or an .m3u or .m3u8
// list) in after the selected entry, or before it when before is set and the
// Playlist has entries. The selected and current entries stay the same entries.
void AddFiles(HWND window, bool before);
