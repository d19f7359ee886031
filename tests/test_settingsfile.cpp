// The settings file's lines: the seven lines of a file in any format read
// into a record of defaults, the entry lines up to their limit, and the lines
// written back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/settings.h"
#include "testfiles.h"

// "language repeat advance clear count folder|entry|entry...", an entry line
// too long for the Playlist as "(long)". {n} in a file stands for n letters.
static std::string ReadBack(std::string text)
{
    for (size_t at; (at = text.find('{')) != std::string::npos;)
        text.replace(at, text.find('}', at) - at + 1, std::string(std::stoul(text.substr(at + 1)), 'e'));
    FILE* file = FileOf(Text(text.c_str()));
    SettingsRecord record = {7, 7, 7, 7, 7, "*.*"};   // what the lines a file lacks keep
    ReadSettingsRecord(file, record);
    std::string shown;
    for (int value : {record.languageNumber, record.repeatOption, record.advanceOption, record.clearBeforeAddOption,
                      record.playlistCount})
        shown += std::to_string(value) + " ";
    shown += std::string(record.lastFolder).size() > 20 ? std::to_string(strlen(record.lastFolder)) : record.lastFolder;
    char path[PathSize];
    for (int length; (length = ReadEntryLine(file, path)) >= 0;)
        shown += "|" + (length > MaxEntryLength ? "(long)" : length > 20 ? std::to_string(length) : std::string(path));
    fclose(file);
    return shown;
}

TEST(SettingsFile, ReadsAnyFormatTenToNineteen)
{
    struct Row { const char* file; const char* shown; };
    const Row rows[] = {
        {"", "7 7 7 7 7 *.*"},
        {"9\n1\n1\n1\n1\n1\nF\n", "7 7 7 7 7 *.*|1|1|1|1|1|F"},   // not read: the rest are entry lines
        {"20\n1\n1\n1\n1\n1\nF\n", "7 7 7 7 7 *.*|1|1|1|1|1|F"},
        {"15\n1\n0\n1\n0\n2\nF\nA\nB\n", "1 0 1 0 2 F|A|B"},
        {"19\n-2\n3\n0\n0\n-2\nF\n", "-2 3 0 0 0 F"},           // a count below 1 is none
        {"10\n1\n1\n", "1 1 7 7 7 *.*"},                          // ending early: the rest keep their values
        {"10\n1\n1\n1\n1\n1\n", "1 1 1 1 1 *.*"},                // no folder line
        {"10\r\n1\r\n0\r\n0\r\n1\r\n1\r\nF\r\nA\r\n", "1 0 0 1 1 F|A"},   // written on Windows
        {"10\n1\n1\n1\n1\n2\nF\nA\nB", "1 1 1 1 2 F|A|B"},       // no line feed at the end
        {"10\nx\n 4\n5z\n\n3\nF\n", "0 4 5 0 3 F"},               // as atoi reads them
        {"10\n0\n0\n0\n0\n1\n{301}\nA\n", "0 0 0 0 1 299|A"},    // the folder cut to 299, the entry read next
        // Up to 298 characters an entry is read whole; longer lines are dropped
        // whole, and the next line is still an entry.
        {"10\n0\n0\n0\n0\n5\nF\n{298}\n{299}\n{1000}\n\nA\n", "0 0 0 0 5 F|298|(long)|(long)||A"},
    };
    for (const Row& row : rows) EXPECT_EQ(ReadBack(row.file), row.shown) << row.file;
}

TEST(SettingsFile, WritesTheCurrentFormat)
{
    SettingsRecord record = {3, 1, 0, 1, 2, "C:\\music\\*.*"};
    FILE* file = FileOf({});
    WriteSettingsRecord(file, record);
    WriteEntryLine(file, "C:\\music\\caf\xE9 1.pxa");
    WriteEntryLine(file, "b");
    std::string written(100, '\0');
    rewind(file);
    written.resize(fread(&written[0], 1, written.size(), file));
    fclose(file);
    EXPECT_EQ(written, "10\n3\n1\n0\n1\n2\nC:\\music\\*.*\nC:\\music\\caf\xE9 1.pxa\nb\n");
    EXPECT_EQ(ReadBack(written), "3 1 0 1 2 C:\\music\\*.*|C:\\music\\caf\xE9 1.pxa|b");
}
