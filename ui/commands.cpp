// Commands of the main window's controls. All run on the window thread; the
// playback thread sees their effect through the PlaybackState's requests.
#include "ui/commands.h"

#include <climits>

#include "playback/playbackstate.h"
#include "playback/playbackthread.h"
#include "playback/position.h"
#include "ui/options.h"
#include "ui/playlist.h"
#include "window/controls.h"
#include "window/layout.h"
#include "window/paths.h"

// Steps to the next language variant; after the last consecutive one the
// loader falls back to the base file and language 0. The controls keep their
// places and styles; only their texts change.
static void SwitchLanguage(HWND window)
{
    languageNumber = languageNumber == INT_MAX ? 0 : languageNumber + 1;
    LoadProgramLayout(window, languageNumber);   // on failure the quit message is posted
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
        else SendMessageA(window, WM_COMMAND, PlaySlot, 0);
    } else if (!playbackState.playing) {
        playbackState.currentIndex = row;
    }
}

static int CheckOf(int slot)
{
    return static_cast<int>(SendMessageA(ControlHandle(slot), BM_GETCHECK, 0, 0));
}

LRESULT HandleCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    int identifier = LOWORD(wParam);
    int code = HIWORD(wParam);
    // A control pressed (a button clicked, the Playlist double-clicked, or a key standing for either) leaves
    // the keyboard to the Playlist, so that Space or Enter never presses a button again.
    bool pressed = lParam && (code == BN_CLICKED || (identifier == PlaylistSlot && code == LBN_DBLCLK));
    if (!pressed) switch (identifier) {
    case LanguageSlot: case PlaySlot: case StopSlot: case PauseSlot:
        SetFocus(window);
        break;
    }
    switch (identifier) {
    case LanguageSlot: SwitchLanguage(window); break;
    case PlaySlot: StartPlayback(window); break;
    case StopSlot: Stop(); break;
    // The destroy handler stops the playback thread, writes the settings and quits.
    case ExitSlot: SendMessageA(window, WM_DESTROY, 0, 0); break;
    case RepeatSlot: playbackState.repeatOption = CheckOf(RepeatSlot); break;
    case AdvanceSlot: playbackState.advanceOption = CheckOf(AdvanceSlot); break;
    case PreviousSlot: Step(-1); break;
    // Seeks in frames of 1/50 s: 5 min, 1 min, 15 s, 3 s.
    case Back5MinSlot: RequestSeek(-15000); break;
    case Back1MinSlot: RequestSeek(-3000); break;
    case Back15sSlot: RequestSeek(-750); break;
    case Back3sSlot: RequestSeek(-150); break;
    case PauseSlot: TogglePause(); break;
    case Forward3sSlot: RequestSeek(150); break;
    case Forward15sSlot: RequestSeek(750); break;
    case Forward1MinSlot: RequestSeek(3000); break;
    case Forward5MinSlot: RequestSeek(15000); break;
    case NextSlot: Step(1); break;
    case AddAfterSlot: AddFiles(window, false); break;
    case RemoveSlot: RemoveEntry(); break;
    case ClearSlot: ClearPlaylist(); break;
    case AddBeforeSlot: AddFiles(window, true); break;
    case ClearFirstSlot: clearBeforeAddOption = CheckOf(ClearFirstSlot); break;
    case PlaylistSlot: PlaylistNotice(window, code); break;
    }
    if (pressed) SetFocus(ControlHandle(PlaylistSlot) ? ControlHandle(PlaylistSlot) : window);
    return 0;
}
