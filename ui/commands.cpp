// Commands of the main window's controls. All run on the window thread; the
// playback thread sees their effect through the PlaybackState's requests.
#include "ui/commands.h"

#include <climits>

#include "app/controls.h"
#include "app/paths.h"
#include "playback/playbackstate.h"
#include "playback/playbackthread.h"
#include "playback/position.h"
#include "ui/layout.h"
#include "ui/options.h"
#include "ui/playlist.h"

enum {
    LanguageCommand = 0, PlayCommand = 1, StopCommand = 2, ExitCommand = 3, RepeatCommand = 4,
    AdvanceCommand = 5, PreviousCommand = 10, PauseCommand = 15, NextCommand = 20, AddAfterCommand = 25,
    RemoveCommand = 26, ClearCommand = 27, ClearFirstCommand = 28, AddBeforeCommand = 29, PlaylistNotification = 35,
};

// Steps to the next language variant; after the last consecutive one the
// loader falls back to the base file and language 0. The controls keep their
// places and styles; only their texts change.
static void SwitchLanguage(HWND window)
{
    languageNumber = languageNumber == INT_MAX ? 0 : languageNumber + 1;
    LoadLayout(window, layoutBasePath, languageNumber);   // on failure the quit message is posted
    int endMarker = playbackState.playlistCount;
    SendMessageA(ControlHandle(PlaylistSlot), LB_DELETESTRING, endMarker, 0);
    InsertEndMarker(endMarker);
    RefreshCaptions();
    ShowIdleTexts();
}

static void SetCursor(int index)
{
    SendMessageA(ControlHandle(PlaylistSlot), LB_SETCURSEL, index, 0);
}

static void Stop()
{
    if (playbackState.playing) RequestStop();
    playbackState.currentIndex = playbackState.selectedIndex.load();
}

// Previous and next wrap around; with fewer than two entries they do nothing.
static void Step(int direction)
{
    int count = playbackState.playlistCount;
    if (count <= 1) return;
    int index = (playbackState.currentIndex + direction + count) % count;
    playbackState.currentIndex = index;
    SetCursor(index);
    playbackState.selectedIndex = index;
    if (playbackState.playing) RequestRestart();
}

// Selection changes and double-clicks of the Playlist. The end marker is
// never selected: the cursor goes back to the current entry.
static void PlaylistNotice(HWND window, int code)
{
    int row = static_cast<int>(SendMessageA(ControlHandle(PlaylistSlot), LB_GETCURSEL, 0, 0));
    if (row < 0 || row >= playbackState.playlistCount) {
        SetCursor(playbackState.currentIndex);
        return;
    }
    playbackState.selectedIndex = row;
    if (code == LBN_DBLCLK) {
        playbackState.currentIndex = row;
        if (playbackState.playing) RequestRestart();
        else SendMessageA(window, WM_COMMAND, PlayCommand, 0);
    } else if (!playbackState.playing) {
        playbackState.currentIndex = row;
    }
}

static int CheckOf(int slot)
{
    return static_cast<int>(SendMessageA(ControlHandle(slot), BM_GETCHECK, 0, 0));
}

LRESULT HandleCommand(HWND window, WPARAM wParam)
{
    int identifier = LOWORD(wParam);
    int code = HIWORD(wParam);
    switch (identifier) {
    case LanguageCommand: case PlayCommand: case StopCommand: case PauseCommand:
        SetFocus(window);
        break;
    }
    switch (identifier) {
    case LanguageCommand: SwitchLanguage(window); break;
    case PlayCommand: StartPlayback(window); break;
    case StopCommand: Stop(); break;
    // The destroy handler stops the playback thread, writes the settings and quits.
    case ExitCommand: SendMessageA(window, WM_DESTROY, 0, 0); break;
    case RepeatCommand: playbackState.repeatOption = CheckOf(RepeatCommand); break;
    case AdvanceCommand: playbackState.advanceOption = CheckOf(AdvanceCommand); break;
    case PreviousCommand: Step(-1); break;
    case 11: RequestSeek(-15000); break;   // 5 minutes back
    case 12: RequestSeek(-3000); break;    // 1 minute back
    case 13: RequestSeek(-750); break;     // 15 seconds back
    case 14: RequestSeek(-150); break;     // 3 seconds back
    case PauseCommand: TogglePause(); break;
    case 16: RequestSeek(150); break;
    case 17: RequestSeek(750); break;
    case 18: RequestSeek(3000); break;
    case 19: RequestSeek(15000); break;
    case NextCommand: Step(1); break;
    case AddAfterCommand: AddFiles(window, false); break;
    case RemoveCommand: RemoveEntry(); break;
    case ClearCommand: ClearPlaylist(); break;
    case AddBeforeCommand: AddFiles(window, true); break;
    case ClearFirstCommand: clearBeforeAddOption = CheckOf(ClearFirstCommand); break;
    case PlaylistNotification: PlaylistNotice(window, code); break;
    }
    return 0;
}
