// The Playlist: the paths in the list box of control slot 35, followed by the
// end marker (text slot 45). Its start-up fill.
#pragma once

// Once, at the end of start-up, after the controls exist and the playback
// flags are reset: the entries the settings file announced, the end marker at
// index playlistCount, selectedIndex = currentIndex (0), the cursor on row 0,
// and the check boxes of slots 4, 5 and 28 from repeatOption, advanceOption
// and clearBeforeAddOption.
void FillPlaylist();
