// Adding to the Playlist through the file dialog: its answer is one item
// (a file, a pattern, a folder, a list), added as every item is. Window thread.
#include <cstring>

#include <windows.h>
#include <commdlg.h>

#include "codec/streamformat.h"
#include "ui/items.h"
#include "ui/options.h"
#include "ui/playlist.h"
#include "window/paths.h"

static const char AllFiles[] = "*.*";
// One filter: the description "*.*" with an empty pattern, then the list's end.
static const char DialogFilter[6] = {'*', '.', '*', 0, 0, 0};

static char dialogAnswer[PathSize];
static char dialogTitle[64];   // asked for, never read

// Ok when the dialog was confirmed with an answer the scan can use: one that
// ends in a separator needs room for "*.*" after it. A longer answer is
// refused whole rather than cut into the path of some other folder.
static int AskForFiles(HWND window)
{
    strcpy(dialogAnswer, lastFolder);
    OPENFILENAMEA request;
    memset(&request, 0, sizeof request);
    request.lStructSize = sizeof(OPENFILENAMEA);   // the 32-bit size fails at once in a 64-bit program
    request.hwndOwner = window;
    request.lpstrFilter = DialogFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = dialogAnswer;
    request.nMaxFile = PathSize;
    request.lpstrFileTitle = dialogTitle;
    request.nMaxFileTitle = sizeof dialogTitle - 1;
    request.Flags = OFN_HIDEREADONLY | OFN_NOVALIDATE;
    if (!GetOpenFileNameA(&request)) return Failed;
    size_t length = strnlen(dialogAnswer, PathSize);
    if (length == 0 || length >= static_cast<size_t>(PathSize)) return Failed;
    if (IsSeparator(dialogAnswer[length - 1]) && length + strlen(AllFiles) >= static_cast<size_t>(PathSize))
        return Failed;
    return Ok;
}

void AddFiles(HWND window, bool before)
{
    if (AskForFiles(window) != Ok) return;   // cancelled, failed or refused: nothing changes
    BeginAdding(before);
    AddItem(dialogAnswer);
    EndAdding();
    // The dialog's whole answer is kept, and becomes the next dialog's start.
    strcpy(lastFolder, dialogAnswer);
}
