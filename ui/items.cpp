// Items into the Playlist: the folder scan into the scan list (ScanSlot), the
// reading of .m3u and .m3u8 lists, the admission of every stream file found,
// and where each goes. Window thread; the playback thread may go on playing
// meanwhile, since it reads a path only when it opens an entry.
#include "ui/items.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include <shellapi.h>

#include "codec/streamfile.h"
#include "playback/playbackstate.h"
#include "playback/playbackthread.h"
#include "ui/options.h"
#include "ui/playlist.h"
#include "window/codepage.h"
#include "window/controls.h"
#include "window/paths.h"

static const char AllFiles[] = "*.*";
// A line in UTF-8 takes up to three bytes for a character of an ANSI code
// page; a longer line could not name an entry that PELORIX.ini keeps.
const int ListLineSize = 3 * PathSize;

// The addition in progress, from BeginAdding to EndAdding.
static bool beforeMode;   // entries go in before the selected entry, which moves down
static int nextPlace;     // after mode: the row the next entry goes to
static int firstPut;      // row of the first entry put in; -1: none yet
static int putCount;

// The part after the last separator (and after a drive's colon).
static const char* NamePart(const char* path)
{
    const char* name = path;
    for (const char* c = path; *c; c++) {
        if (IsSeparator(*c) || *c == ':') name = c + 1;
    }
    return name;
}

static bool EndsWith(const char* text, const char* tail)
{
    size_t length = strlen(text), tailLength = strlen(tail);
    return length >= tailLength && _stricmp(text + length - tailLength, tail) == 0;
}

int ResolveItem(const char* item, char* path)
{
    DWORD length = GetFullPathNameA(item, PathSize, path, nullptr);
    if (length == 0 || length >= static_cast<DWORD>(PathSize)) return Failed;
    DWORD attributes = GetFileAttributesA(path);
    bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (folder && !IsSeparator(path[length - 1])) {
        if (length + 1 >= static_cast<DWORD>(PathSize)) return Failed;
        path[length++] = '\\';
        path[length] = 0;
    }
    if (IsSeparator(path[length - 1]) && length + strlen(AllFiles) >= static_cast<size_t>(PathSize)) return Failed;
    return Ok;
}

void BeginAdding(bool before)
{
    if (clearBeforeAddOption) ClearPlaylist();
    beforeMode = before && playbackState.playlistCount > 0;
    nextPlace = playbackState.playlistCount > 0 ? playbackState.selectedIndex + 1 : 0;
    firstPut = -1;
    putCount = 0;
    // A shown list box redraws on every insert, 4 to 7 ms each under Wine:
    // the rows go in unseen, and the cursor moves once, at the end.
    SendMessageA(ControlHandle(PlaylistSlot), WM_SETREDRAW, FALSE, 0);
}

// The path in, when it is a stream file PELORIX.ini can keep.
static void AdmitPath(const char* candidate)
{
    if (strlen(candidate) > static_cast<size_t>(MaxEntryLength) || ValidateStreamFile(candidate) != Ok) return;
    int selected = playbackState.selectedIndex;
    int place = beforeMode ? selected : nextPlace;
    LPARAM text = reinterpret_cast<LPARAM>(candidate);
    if (SendMessageA(ControlHandle(PlaylistSlot), LB_INSERTSTRING, place, text) < 0) return;
    playbackState.playlistCount++;
    putCount++;
    if (firstPut < 0) firstPut = place;   // what follows goes in below it
    if (beforeMode) {
        if (playbackState.currentIndex >= selected) playbackState.currentIndex++;
        playbackState.selectedIndex = selected + 1;
    } else {
        nextPlace++;
        if (selected < playbackState.currentIndex) playbackState.currentIndex++;
    }
}

int EndAdding()
{
    HWND playlist = ControlHandle(PlaylistSlot);
    SendMessageA(playlist, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(playlist, nullptr, TRUE);
    // With nothing in, the cursor stays as it was (none, after a clear).
    if (putCount > 0) SendMessageA(playlist, LB_SETCURSEL, playbackState.selectedIndex, 0);
    return firstPut;
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
    char name[PathSize];
    int length = ReadListRow(ControlHandle(ScanSlot), j, name, PathSize);
    if (length <= 0) return false;
    size_t folderLength = strlen(folder);
    if (folderLength + static_cast<size_t>(length) > static_cast<size_t>(MaxEntryLength)) return false;
    memcpy(candidate, folder, folderLength);
    memcpy(candidate + folderLength, name, static_cast<size_t>(length) + 1);
    return true;
}

// The next line of a list into line (ListLineSize bytes), without its line
// end. Its length; -1 at the end of the file; ListLineSize for a line too
// long to hold, which is read whole and dropped.
static int ReadListLine(FILE* file, char* line)
{
    int length = 0, c;
    while ((c = getc(file)) != EOF && c != '\n') {
        if (length < ListLineSize - 1) line[length] = static_cast<char>(c);
        length++;
    }
    if (c == EOF && length == 0) return -1;
    if (length >= ListLineSize) return ListLineSize;
    line[length] = 0;
    return length;
}

// A list entry made absolute: a path with a drive or a server as it is, one
// from the root on the list's drive, any other in the list's folder.
static int ResolveEntry(const char* folder, const char* entry, char* path)
{
    char joined[PathSize + ListLineSize];
    bool rooted = IsSeparator(entry[0]);
    if ((rooted && IsSeparator(entry[1])) || (isalpha(static_cast<unsigned char>(entry[0])) && entry[1] == ':'))
        snprintf(joined, sizeof joined, "%s", entry);
    else if (rooted)
        snprintf(joined, sizeof joined, "%.2s%s", folder[0] && folder[1] == ':' ? folder : "", entry);
    else
        snprintf(joined, sizeof joined, "%s%s", folder, entry);
    DWORD length = GetFullPathNameA(joined, PathSize, path, nullptr);
    return length > 0 && length < static_cast<DWORD>(PathSize) ? Ok : Failed;
}

// The stream files a list names, in its order. Blank lines and '#' lines
// (comments, #EXTM3U, #EXTINF) are skipped; entries are never read as lists,
// so a list naming itself or another list ends. Unreadable: silent by design.
static void AddListEntries(const char* list)
{
    FILE* file = fopen(list, "rb");
    if (!file) return;
    bool utf8 = EndsWith(list, ".m3u8");
    char folder[PathSize];
    size_t folderLength = static_cast<size_t>(NamePart(list) - list);
    memcpy(folder, list, folderLength);
    folder[folderLength] = 0;
    char line[ListLineSize], entry[PathSize], path[PathSize];
    for (bool first = true;; first = false) {
        int length = ReadListLine(file, line);
        if (length < 0) break;
        if (length >= ListLineSize) continue;
        char* start = line;
        if (first && utf8 && strncmp(start, "\xEF\xBB\xBF", 3) == 0) start += 3;
        while (*start == ' ' || *start == '\t') start++;
        char* end = start + strlen(start);
        while (end > start && (end[-1] == '\r' || end[-1] == ' ' || end[-1] == '\t')) end--;
        *end = 0;
        if (*start == 0 || *start == '#') continue;
        // .m3u8 is UTF-8 by name; an .m3u line may be in either.
        if ((utf8 && !IsUtf8(start)) || TextFromFile(start, entry, PathSize, true) != Ok) continue;
        if (ResolveEntry(folder, entry, path) == Ok) AdmitPath(path);
    }
    fclose(file);
}

// A list by its name; a pattern, even one ending so, is scanned.
static bool IsList(const char* item)
{
    return !strpbrk(NamePart(item), "*?") && (EndsWith(item, ".m3u") || EndsWith(item, ".m3u8"));
}

void AddItem(const char* item)
{
    if (IsList(item)) {
        AddListEntries(item);
        return;
    }
    // A folder item means every file in it; a file or a pattern names itself.
    size_t length = strnlen(item, PathSize);
    if (length == 0 || length >= static_cast<size_t>(PathSize)) return;
    bool folderItem = IsSeparator(item[length - 1]);
    if (folderItem && length + strlen(AllFiles) >= static_cast<size_t>(PathSize)) return;
    char pattern[PathSize];
    strcpy(pattern, item);
    if (folderItem) strcat(pattern, AllFiles);
    int names = ScanFolder(pattern);

    // The folder, with its separator, that every found name is joined to.
    char folder[PathSize];
    strcpy(folder, pattern);
    char* cut = nullptr;
    for (char* c = folder; *c; c++) {
        if (IsSeparator(*c)) cut = c + 1;
    }
    if (cut) *cut = 0;

    char candidate[PathSize];
    for (int j = 0; j < names; j++) {
        if (CandidatePath(j, folder, candidate)) AdmitPath(candidate);
    }
}

void AddItems(HWND window, const char* block, int count, bool play)
{
    BeginAdding(false);
    char path[PathSize];
    for (int i = 0; i < count; i++, block += strlen(block) + 1) {
        if (ResolveItem(block, path) == Ok) AddItem(path);
    }
    int first = EndAdding();
    if (!play || first < 0) return;
    // A clear took the entry that plays: its session ends first, or the stop would win over the start.
    if (playbackState.stopRequest && playbackState.threadActive) StopPlaybackAndWait();
    HWND playlist = ControlHandle(PlaylistSlot);
    SendMessageA(playlist, LB_SETCURSEL, first, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(PlaylistSlot, LBN_DBLCLK), reinterpret_cast<LPARAM>(playlist));
}

void DropItems(HDROP drop)
{
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    BeginAdding(false);
    wchar_t name[PathSize];
    char item[PathSize], path[PathSize];
    for (UINT i = 0; i < count; i++) {
        if (DragQueryFileW(drop, i, nullptr, 0) >= static_cast<UINT>(PathSize)) continue;   // would be cut
        DragQueryFileW(drop, i, name, PathSize);
        if (TextFromWide(name, item, PathSize) == Ok && ResolveItem(item, path) == Ok) AddItem(path);
    }
    EndAdding();
    DragFinish(drop);
}
