// The lines of PELORIX.ini, read and written through the standard library.
#include "settings/settings.h"

#include <cstdlib>
#include <cstring>

static const int FormatNumber = 10;      // written; 10 to 19 are read
static const int NumberLineSize = 200;   // lines 1 to 6

// One line into line (size bytes), without its line feed and without a
// carriage return before it (a file written on Windows, read elsewhere).
// Characters past size - 1 are read and dropped, so the next read starts on
// the next line. Returns the line's length, size for any longer line, or -1
// at the end of the file with line unchanged.
static int ReadLine(FILE* file, char* line, int size)
{
    int length = 0, c;
    while ((c = getc(file)) != EOF && c != '\n') {
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

void ReadSettingsRecord(FILE* file, SettingsRecord& record)
{
    char line[NumberLineSize];
    int format = ReadLine(file, line, NumberLineSize) > 0 ? atoi(line) : 0;
    if (format < 10 || format > 19) return;
    int* const values[5] = {&record.languageNumber, &record.repeatOption, &record.advanceOption,
                            &record.clearBeforeAddOption, &record.playlistCount};
    int read = 0;
    while (read < 5 && ReadLine(file, line, NumberLineSize) >= 0) *values[read++] = atoi(line);
    if (record.playlistCount < 1) record.playlistCount = 0;
    // Whole up to 299 characters, as long as the dialog's answer can be.
    if (read == 5) ReadLine(file, record.lastFolder, PathSize);
}

int ReadEntryLine(FILE* file, char* path)
{
    int length = ReadLine(file, path, PathSize);
    return length > MaxEntryLength ? MaxEntryLength + 1 : length;
}

void WriteSettingsRecord(FILE* file, const SettingsRecord& record)
{
    fprintf(file, "%d\n%d\n%d\n%d\n%d\n%d\n%s\n", FormatNumber, record.languageNumber, record.repeatOption,
            record.advanceOption, record.clearBeforeAddOption, record.playlistCount, record.lastFolder);
}

void WriteEntryLine(FILE* file, const char* path)
{
    fprintf(file, "%s\n", path);
}
