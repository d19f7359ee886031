// Reading and writing PELORIX.ini. Owns the file while it is open between
// ReadSettings and the end of the start-up fill. Window thread only.
#include "settings/settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/controls.h"
#include "app/paths.h"
#include "codec/streamfile.h"
#include "codec/streamformat.h"
#include "playback/playbackstate.h"
#include "ui/options.h"
#include "ui/playlist.h"

static const int FormatNumber = 10;           // written; 10 to 19 are read
static const int NumberLineSize = 200;        // lines 1 to 6
static const char* const TemporarySuffix = ".new";

static FILE* settingsFile;   // open for reading from ReadSettings to the entries' end

static void CloseSettingsFile()
{
    if (settingsFile) fclose(settingsFile);
    settingsFile = nullptr;
}

// One line into line (size bytes), without its line feed and without a
// carriage return before it (a file written on Windows, read elsewhere).
// Characters past size - 1 are read and dropped, so the next read starts on
// the next line. Returns the line's length, size for any longer line, or -1
// at the end of the file with line unchanged.
static int ReadLine(char* line, int size)
{
    int length = 0, c;
    while ((c = getc(settingsFile)) != EOF && c != '\n') {
        if (length < size - 1) line[length++] = static_cast<char>(c);
        else length = size;
    }
    if (c == EOF && length == 0) return -1;
    if (length == size) {
        line[size - 1] = 0;
        return size;
    }
    line[length] = 0;
    if (length > 0 && line[length - 1] == '\r') line[--length] = 0;
    return length;
}

void ReadSettings()
{
    CloseSettingsFile();   // a start-up that ended before the fill left it open
    settingsFile = fopen(settingsPath, "r");
    if (!settingsFile) return;
    char line[NumberLineSize];
    int format = ReadLine(line, NumberLineSize) > 0 ? atoi(line) : 0;
    if (format >= 10 && format <= 19) {
        // A file that ends early keeps the defaults of the lines it lacks.
        int values[5] = {languageNumber, playbackState.repeatOption, playbackState.advanceOption,
                         clearBeforeAddOption, playbackState.playlistCount};
        int read = 0;
        while (read < 5 && ReadLine(line, NumberLineSize) >= 0) values[read++] = atoi(line);
        languageNumber = values[0];
        playbackState.repeatOption = values[1];
        playbackState.advanceOption = values[2];
        clearBeforeAddOption = values[3];
        playbackState.playlistCount = values[4] < 1 ? 0 : values[4];
        // Whole up to 299 characters, as long as the dialog's answer can be.
        if (read == 5) ReadLine(lastFolder, PathSize);
    }
    if (playbackState.playlistCount == 0) CloseSettingsFile();
}

void ReadPlaylistEntries(HWND playlist)
{
    SendMessageA(playlist, LB_RESETCONTENT, 0, 0);
    int inserted = 0;
    char path[PathSize];
    for (int i = 0; playlist && settingsFile && i < playbackState.playlistCount; i++) {
        int length = ReadLine(path, PathSize);
        if (length < 0) break;   // the file ends early: so does the Playlist
        // An overlong line is dropped whole, using one entry as an empty line does.
        if (length > MaxEntryLength || ValidateStreamFile(path) != Ok) continue;
        if (SendMessageA(playlist, LB_INSERTSTRING, inserted, reinterpret_cast<LPARAM>(path)) >= 0) inserted++;
    }
    playbackState.playlistCount = inserted;
    CloseSettingsFile();
}

// A longer entry would read back as two broken ones, so it is not written.
static bool EntryFits(HWND playlist, int index)
{
    LRESULT length = SendMessageA(playlist, LB_GETTEXTLEN, index, 0);
    return length >= 0 && length <= MaxEntryLength;
}

int WriteSettings()
{
    CloseSettingsFile();   // an open reader would keep the file from being replaced
    char temporaryPath[PathSize];
    if (!settingsPath[0] || strlen(settingsPath) + strlen(TemporarySuffix) >= static_cast<size_t>(PathSize))
        return Failed;
    strcpy(temporaryPath, settingsPath);
    strcat(temporaryPath, TemporarySuffix);

    HWND playlist = ControlHandle(PlaylistSlot);
    int count = playlist ? playbackState.playlistCount.load() : 0;
    int written = 0;
    for (int i = 0; i < count; i++) written += EntryFits(playlist, i);

    FILE* file = fopen(temporaryPath, "w");
    if (!file) return Failed;
    fprintf(file, "%d\n%d\n%d\n%d\n%d\n%d\n%s\n", FormatNumber, languageNumber, playbackState.repeatOption.load(),
            playbackState.advanceOption.load(), clearBeforeAddOption, written, lastFolder);
    char path[PathSize];
    for (int i = 0; i < count; i++) {
        if (!EntryFits(playlist, i)) continue;
        SendMessageA(playlist, LB_GETTEXT, i, reinterpret_cast<LPARAM>(path));
        fprintf(file, "%s\n", path);
    }
    bool complete = !ferror(file);
    if (fclose(file) != 0) complete = false;
    if (complete && MoveFileExA(temporaryPath, settingsPath, MOVEFILE_REPLACE_EXISTING)) return Ok;
    DeleteFileA(temporaryPath);
    return Failed;
}
