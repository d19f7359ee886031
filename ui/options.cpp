// The stored options, their defaults, and the settings file's reading at
// start-up and writing at exit. Window thread only, apart from the
// PlaybackState fields, which are atomic.
#include "ui/options.h"

#include <cstring>

#include "codec/streamfile.h"
#include "playback/playbackstate.h"
#include "window/codepage.h"
#include "window/controls.h"
#include "window/paths.h"

int languageNumber;
int clearBeforeAddOption;
char lastFolder[PathSize];

static const char* const TemporarySuffix = ".new";

static FILE* settingsFile;   // open for reading from ReadSettings to the entries' end

void SetDefaultOptions()
{
    languageNumber = 0;
    playbackState.repeatOption = 0;
    playbackState.advanceOption = 0;
    clearBeforeAddOption = 0;
    playbackState.playlistCount = 0;
    strcpy(lastFolder, "*.*");
}

static void CloseSettingsFile()
{
    if (settingsFile) fclose(settingsFile);
    settingsFile = nullptr;
}

// The values in memory as the file holds them.
static SettingsRecord CurrentRecord()
{
    SettingsRecord record = {languageNumber, playbackState.repeatOption, playbackState.advanceOption,
                             clearBeforeAddOption, playbackState.playlistCount, {}};
    strcpy(record.lastFolder, lastFolder);
    return record;
}

void ReadSettings()
{
    CloseSettingsFile();   // a start-up that ended before the fill left it open
    settingsFile = fopen(settingsReadPath, "r");
    if (!settingsFile) return;
    SettingsRecord record = CurrentRecord();
    ReadSettingsRecord(settingsFile, record);
    languageNumber = record.languageNumber;
    playbackState.repeatOption = record.repeatOption;
    playbackState.advanceOption = record.advanceOption;
    clearBeforeAddOption = record.clearBeforeAddOption;
    playbackState.playlistCount = record.playlistCount;
    if (TextFromFile(record.lastFolder, lastFolder, PathSize, true) != Ok) strcpy(lastFolder, "*.*");
    if (playbackState.playlistCount == 0) CloseSettingsFile();
}

void ReadPlaylistEntries(HWND playlist)
{
    SendMessageA(playlist, LB_RESETCONTENT, 0, 0);
    int inserted = 0;
    char line[PathSize], path[PathSize];
    for (int i = 0; playlist && settingsFile && i < playbackState.playlistCount; i++) {
        int length = ReadEntryLine(settingsFile, line);
        if (length < 0) break;   // the file ends early: so does the Playlist
        // An overlong line is dropped whole, using one entry as an empty line does; so is one that grows
        // past the limit in UTF-8.
        if (length > MaxEntryLength || TextFromFile(line, path, MaxEntryLength + 1, true) != Ok ||
            ValidateStreamFile(path) != Ok)
            continue;
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
    SettingsRecord record = CurrentRecord();
    record.playlistCount = written;
    TextForFile(lastFolder, record.lastFolder, PathSize);
    WriteSettingsRecord(file, record);
    char path[PathSize], line[PathSize];
    for (int i = 0; i < count; i++) {
        if (!EntryFits(playlist, i)) continue;
        SendMessageA(playlist, LB_GETTEXT, i, reinterpret_cast<LPARAM>(path));
        TextForFile(path, line, PathSize);
        WriteEntryLine(file, line);
    }
    bool complete = !ferror(file);
    if (fclose(file) != 0) complete = false;
    if (complete && MoveFileExA(temporaryPath, settingsPath, MOVEFILE_REPLACE_EXISTING)) return Ok;
    DeleteFileA(temporaryPath);
    return Failed;
}
