// The Playlist's start-up fill and its edits.
#include "ui/playlist.h"

#include "playback/playbackstate.h"
#include "playback/playbackthread.h"
#include "ui/options.h"
#include "window/controls.h"

void InsertEndMarker(int index)
{
    SendMessageA(ControlHandle(PlaylistSlot), LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(LayoutText(EndMarkerText)));
}

void FillPlaylist()
{
    HWND playlist = ControlHandle(PlaylistSlot);
    if (playbackState.playlistCount > 0) ReadPlaylistEntries(playlist);
    playbackState.selectedIndex = playbackState.currentIndex.load();
    InsertEndMarker(playbackState.playlistCount);
    SendMessageA(playlist, LB_SETCURSEL, 0, 0);
    // Any nonzero option is on; a check box shown "indeterminate" would not say so.
    SendMessageA(ControlHandle(RepeatSlot), BM_SETCHECK, playbackState.repeatOption ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(ControlHandle(AdvanceSlot), BM_SETCHECK, playbackState.advanceOption ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(ControlHandle(ClearFirstSlot), BM_SETCHECK, clearBeforeAddOption ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RemoveEntry()
{
    int count = playbackState.playlistCount;
    if (count < 1) return;
    int selected = playbackState.selectedIndex;
    int current = playbackState.currentIndex;
    SendMessageA(ControlHandle(PlaylistSlot), LB_DELETESTRING, selected, 0);
    int left = count - 1;
    playbackState.playlistCount = left;
    if (left == 0) {
        selected = 0;
        playbackState.currentIndex = 0;
        if (playbackState.playing) RequestStop();
    } else if (selected > current) {
        if (selected >= left) selected = left - 1;
    } else if (selected < current) {
        playbackState.currentIndex = current - 1;   // the same entry, one row up
    } else {
        // The current entry went: the one that followed it, or the new last, is current.
        if (playbackState.playing) RequestStop();
        if (selected >= left) selected = left - 1;
        playbackState.currentIndex = selected;
    }
    playbackState.selectedIndex = selected;
    SendMessageA(ControlHandle(PlaylistSlot), LB_SETCURSEL, selected, 0);
}

void ClearPlaylist()
{
    if (playbackState.playing) RequestStop();
    playbackState.playlistCount = 0;
    playbackState.currentIndex = 0;
    playbackState.selectedIndex = 0;
    SendMessageA(ControlHandle(PlaylistSlot), LB_RESETCONTENT, 0, 0);
    InsertEndMarker(0);
}
