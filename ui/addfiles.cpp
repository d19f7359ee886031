// Adding to the Playlist: the file dialog, the scan of the folder its answer
// names into the scan list (ScanSlot), and the admission of every
// stream file found there. Window thread; the playback thread may go on
// playing meanwhile, since it reads a path only when it opens an entry.
#include <cstring>

#include <windows.h>
#include <commdlg.h>

#include "codec/streamfile.h"
#include "codec/streamformat.h"
#include "playback/playbackstate.h"
#include "playback/playbackthread.h"
#include "ui/options.h"
#include "ui/playlist.h"
#include "window/controls.h"

static const char AllFiles[] = "*.*";
// One filter: the description "*.*" with an empty pattern, then the list's end.
static const char DialogFilter[6] = {'*', '.', '*', 0, 0, 0};

static char dialogAnswer[PathSize];
static char dialogTitle[64];   // asked for, never read

// Windows takes both separators, and a typed answer may hold either.
static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

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

// The names the pattern finds, folders without further attributes left out,
// into the emptied scan list, which sorts them when its style says so.
// Returns how many it took.
static int ScanFolder(const char* pattern)
{
    HWND scanList = ControlHandle(ScanSlot);
    SendMessageA(scanList, LB_RESETCONTENT, 0, 0);
    int names = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        // "." and ".." are plain folders; a folder with other bits set fails validation later.
        if (found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY) continue;
        if (SendMessageA(scanList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName)) >= 0) names++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// Name j of the scan list joined to folder into candidate; false when there
// is no such name or the path would be longer than a Playlist entry may be.
static bool CandidatePath(int j, const char* folder, char* candidate)
{
    HWND scanList = ControlHandle(ScanSlot);
    LRESULT length = SendMessageA(scanList, LB_GETTEXTLEN, j, 0);
    if (length <= 0 || length >= PathSize) return false;
    char name[PathSize];
    length = SendMessageA(scanList, LB_GETTEXT, j, reinterpret_cast<LPARAM>(name));
    if (length <= 0 || length >= PathSize) return false;
    name[length] = 0;
    size_t folderLength = strlen(folder);
    if (folderLength + static_cast<size_t>(length) > static_cast<size_t>(MaxEntryLength)) return false;
    memcpy(candidate, folder, folderLength);
    memcpy(candidate + folderLength, name, static_cast<size_t>(length) + 1);
    return true;
}

void AddFiles(HWND window, bool before)
{
    if (AskForFiles(window) != Ok) return;   // cancelled, failed or refused: nothing changes
    if (clearBeforeAddOption) ClearPlaylist();

    // A folder answer means every file in it; a file or a pattern names itself.
    char pattern[PathSize];
    strcpy(pattern, dialogAnswer);
    size_t length = strlen(pattern);
    if (IsSeparator(pattern[length - 1])) strcat(pattern, AllFiles);
    int names = ScanFolder(pattern);

    // The folder, with its separator, that every found name is joined to.
    char folder[PathSize];
    strcpy(folder, pattern);
    char* cut = nullptr;
    for (char* c = folder; *c; c++) {
        if (IsSeparator(*c)) cut = c + 1;
    }
    if (cut) *cut = 0;

    bool beforeMode = before && playbackState.playlistCount > 0;
    int next = playbackState.playlistCount > 0 ? playbackState.selectedIndex + 1 : 0;
    HWND playlist = ControlHandle(PlaylistSlot);
    char candidate[PathSize];
    // A shown list box redraws on every insert, 4 to 7 ms each
    // under Wine: the rows go in unseen, and the cursor moves once, after them.
    SendMessageA(playlist, WM_SETREDRAW, FALSE, 0);
    int inserted = 0;
    for (int j = 0; j < names; j++) {
        if (!CandidatePath(j, folder, candidate) || ValidateStreamFile(candidate) != Ok) continue;
        int selected = playbackState.selectedIndex;
        int place = beforeMode ? selected : next;
        if (SendMessageA(playlist, LB_INSERTSTRING, place, reinterpret_cast<LPARAM>(candidate)) < 0) continue;
        playbackState.playlistCount++;
        inserted++;
        if (beforeMode) {
            if (playbackState.currentIndex >= selected) playbackState.currentIndex++;
            playbackState.selectedIndex = selected + 1;
        } else {
            next++;
            if (selected < playbackState.currentIndex) playbackState.currentIndex++;
        }
    }
    SendMessageA(playlist, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(playlist, nullptr, TRUE);
    // With nothing in, the cursor stays as it was (none, after a clear).
    if (inserted > 0) SendMessageA(playlist, LB_SETCURSEL, playbackState.selectedIndex, 0);
    // The dialog's whole answer is kept, and becomes the next dialog's start.
    strcpy(lastFolder, dialogAnswer);
}
