// Items: what the file dialog, the command line, a second start and a drop
// name (a stream file, a pattern, a folder, an .m3u or .m3u8 list), turned
// into the stream files they add, and their insertion into the Playlist.
// Window thread.
#pragma once

#include <windows.h>

// An item given from outside the dialog (the command line, a drop), made
// absolute against the current directory into path (PathSize bytes); a
// folder gets a separator, so it names every stream file in it. Failed
// when it does not fit, or a folder leaves no room for the scan's "*.*".
int ResolveItem(const char* item, char* path);

// One addition: BeginAdding clears the Playlist first when the clear option
// is on and places what follows after the selected entry, or before it when
// before is set and the Playlist has entries; AddItem adds the admissible
// stream files an item names, in order; EndAdding redraws and returns the
// row of the first entry put in, -1 when none. The selected and current
// entries stay the same entries.
void BeginAdding(bool before);
void AddItem(const char* item);   // a file, a pattern, a folder ending in a separator, or a list
int EndAdding();

// The items of a block ("a\0b\0", count strings), each resolved, in after
// the selected entry; with play, the first entry put in plays as a
// double-click on it would start it.
void AddItems(HWND window, const char* block, int count, bool play);

// WM_DROPFILES: the dropped names, as items, in after the selected entry;
// what plays goes on. The drop is finished here.
void DropItems(HDROP drop);
