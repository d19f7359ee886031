// The settings file's lines: the seven lines of a file in any format read into a
// record of defaults, the entry lines up to their limit, and the lines written.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "testfiles.h"

// "language repeat advance clear count folder|entry|entry...": a text over 20
// characters by its length, an entry line too long for the Playlist as "(long)".
static std::string ReadBack(const std::string& text)
{
    auto shown = [](const char* s) { return strlen(s) > 20 ? std::to_string(strlen(s)) : std::string(s); };
    FILE* file = FileOf(Bytes(text.begin(), text.end()));
    SettingsRecord r = {7, 7, 7, 7, 7, "*.*"};   // what the lines a file lacks keep
    ReadSettingsRecord(file, r);
    std::string got;
    for (int value : {r.languageNumber, r.repeatOption, r.advanceOption, r.clearBeforeAddOption, r.playlistCount})
        got += std::to_string(value) + " ";
    got += shown(r.lastFolder);
    char path[PathSize];
    for (int length; (length = ReadEntryLine(file, path)) >= 0;) got += "|" + (length > MaxEntryLength ? "(long)" : shown(path));
    fclose(file);
    return got;
}

TEST(SettingsFile, ReadsAnyFormatTenToNineteen)
{
    // formats 9 and 20 are not read: their lines are entry lines; a count below 1 is none; a file ending early, one
    // without a folder line, one written on Windows without a last line end; numbers as atoi reads them; the
    // folder cut to 299; an entry of 298 characters read whole, longer lines dropped whole, the next line an entry
    const std::string e298(298, 'e'), start = "10\n0\n0\n0\n0\n";
    const std::string rows[][2] = {{"", "7 7 7 7 7 *.*"}, {"9\n1\n1\n1\n1\n1\nF\n", "7 7 7 7 7 *.*|1|1|1|1|1|F"},
        {"20\n1\n1\n1\n1\n1\nF\n", "7 7 7 7 7 *.*|1|1|1|1|1|F"}, {"15\n1\n0\n1\n0\n2\nF\nA\nB\n", "1 0 1 0 2 F|A|B"},
        {"19\n-2\n3\n0\n0\n-2\nF\n", "-2 3 0 0 0 F"}, {"10\n1\n1\n", "1 1 7 7 7 *.*"}, {"10\n1\n1\n1\n1\n1\n", "1 1 1 1 1 *.*"},
        {"10\r\n1\r\n0\r\n0\r\n1\r\n2\r\nF\r\nA\r\nB", "1 0 0 1 2 F|A|B"}, {"10\nx\n 4\n5z\n\n3\nF\n", "0 4 5 0 3 F"},
        {start + "1\n" + e298 + "eee\nA\n", "0 0 0 0 1 299|A"},
        {start + "5\nF\n" + e298 + "\n" + e298 + "e\n" + std::string(1000, 'e') + "\n\nA\n", "0 0 0 0 5 F|298|(long)|(long)||A"}};
    for (const auto& row : rows) EXPECT_EQ(ReadBack(row[0]), row[1]) << row[0];
}

TEST(SettingsFile, WritesTheCurrentFormat)
{
    FILE* file = FileOf({});
    WriteSettingsRecord(file, SettingsRecord{3, 1, 0, 1, 2, "C:\\music\\*.*"});
    WriteEntryLine(file, "C:\\music\\caf\xE9 1.pxa");
    char written[100] = {};
    rewind(file);
    EXPECT_GT(fread(written, 1, sizeof written - 1, file), 0u);
    fclose(file);
    EXPECT_STREQ(written, "10\n3\n1\n0\n1\n2\nC:\\music\\*.*\nC:\\music\\caf\xE9 1.pxa\n");
}
