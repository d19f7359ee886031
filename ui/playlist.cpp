// Start-up fill of the Playlist list box.
#include "ui/playlist.h"

#include <windows.h>

#include "app/controls.h"
#include "playback/playbackstate.h"
#include "settings/settings.h"
#include "ui/options.h"

static const int PlaylistSlot = 35;

void FillPlaylist()
{
    HWND playlist = ControlHandle(PlaylistSlot);
    if (playbackState.playlistCount > 0) ReadPlaylistEntries(playlist);
    playbackState.selectedIndex = playbackState.currentIndex.load();
    SendMessageA(playlist, LB_INSERTSTRING, playbackState.playlistCount, reinterpret_cast<LPARAM>(LayoutText(45)));
    SendMessageA(playlist, LB_SETCURSEL, 0, 0);
    // Any nonzero option is on; a check box shown "indeterminate" would not say so.
    SendMessageA(ControlHandle(4), BM_SETCHECK, playbackState.repeatOption ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(ControlHandle(5), BM_SETCHECK, playbackState.advanceOption ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(ControlHandle(28), BM_SETCHECK, clearBeforeAddOption ? BST_CHECKED : BST_UNCHECKED, 0);
}
