// The settings file PELORIX.ini: seven lines (format number, language number,
// the three check-box options, the entry count, the file dialog's last answer)
// and one line per Playlist entry. Reads and writes the lines through an open
// FILE*; opening, replacing and what the values mean are the caller's.
#pragma once

#include <cstdio>

#include "window/layout.h"

// The longest Playlist path: with its line feed and NUL it fills one path
// buffer of the reader, so longer ones are never admitted.
const int MaxEntryLength = PathSize - 2;

struct SettingsRecord {
    int languageNumber;
    int repeatOption;
    int advanceOption;
    int clearBeforeAddOption;
    int playlistCount;              // entry lines announced; never below 0
    char lastFolder[PathSize];
};

// The six lines after the first of a file whose first line reads 10 to 19
// into record, each with atoi; lines missing at the end keep the values the
// record held. A line of the last folder is cut to PathSize - 1 characters.
void ReadSettingsRecord(FILE* file, SettingsRecord& record);

// The next entry line into path (PathSize bytes), without its line end.
// Returns its length; -1 at the end of the file; MaxEntryLength + 1 for a line
// too long to be an entry, which is read whole and dropped.
int ReadEntryLine(FILE* file, char* path);

// The seven lines in the current format; the playlistCount entries follow
// through WriteEntryLine.
void WriteSettingsRecord(FILE* file, const SettingsRecord& record);
void WriteEntryLine(FILE* file, const char* path);
