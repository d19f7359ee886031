// Commands of the main window's controls.
#include "ui/commands.h"

#include <climits>

#include "app/controls.h"
#include "app/paths.h"
#include "playback/playbackstate.h"
#include "ui/layout.h"
#include "ui/options.h"

enum { LanguageCommand = 0 };

// Steps to the next language variant; after the last consecutive one the
// loader falls back to the base file and language 0. The controls keep their
// places and styles; only their texts change.
static void SwitchLanguage(HWND window)
{
    SetFocus(window);
    languageNumber = languageNumber == INT_MAX ? 0 : languageNumber + 1;
    LoadLayout(window, layoutBasePath, languageNumber);   // on failure the quit message is posted
    HWND playlist = ControlHandle(35);
    int endMarker = playbackState.playlistCount;
    SendMessageA(playlist, LB_DELETESTRING, endMarker, 0);
    SendMessageA(playlist, LB_INSERTSTRING, endMarker, reinterpret_cast<LPARAM>(LayoutText(45)));
    RefreshCaptions();
    ShowIdleTexts();
}

LRESULT HandleCommand(HWND window, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case LanguageCommand: SwitchLanguage(window); break;
    }
    return 0;
}
