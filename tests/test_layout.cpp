// Layout file loader: the grammar, control descriptions, the bounds of the
// tables and buffers, variant names, the missing file. The checker's warnings
// are layout_tool.sh's.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "window/layout.h"

namespace fs = std::filesystem;
static const fs::path folder = fs::temp_directory_path() / ("pelorix-layout-tests-" + std::to_string(getpid()));
static const std::string base = (folder / "PELORIX.h").string();

// Writes bytes as the base file and loads it with language 0.
static void Load(const std::string& bytes)
{
    fs::create_directories(folder);
    std::ofstream(base, std::ios::binary) << bytes;
    int languageNumber = 0;
    EXPECT_EQ(LoadLayout(base.c_str(), languageNumber), 0);
}

static std::string FieldsOf(int slot)
{
    const ControlSpec& c = LayoutControl(slot);
    std::string text = std::to_string(c.type);
    for (int32_t field : {c.style, c.x, c.y, c.width, c.height}) text += "," + std::to_string(field);
    return text;
}

// The text of a slot after a definition of slot 2, "first", and the lines.
TEST(LayoutGrammar, TextsAndDefinitions)
{
    struct Row { std::string lines; int slot; std::string expected; };
    const std::string t = "#define T 1 /*";
    const Row rows[] = {
        {t + "a\\nb\\\\\\r\xE4\x01*/", 1, "a\nb\\\r\xE4\x01"}, {t + "\\t*/", 1, "@"}, {t + "2*3**/", 1, "2*3*"},
        {t + "one\r\ntwo*/", 1, "onetwo"}, {t + "x*\r\n/", 1, "x*\r"},   // the LF was pending when "/" came
        {t + "a*\\nb*/", 1, "a*\nb"}, {t + "a*\r\nb*/", 1, "a*\r\nb"},   // a backslash commits the "*"; after it line ends stay
        {t + "*/", 1, ""}, {t + "ab*/ rest /*ignored*/\r\n", 1, "ab"},
        {t + "abc", 1, "abc"}, {t + "ab*", 1, "ab*"},   // end of file inside a text, and after a pending "*"
        // a "*" cut off by the full arena takes no text byte with it at "*/"
        {t + std::string(9992, 'a') + "x**/", 1, std::string(9992, 'a') + "x"},
        {"#define   X    1    /*a*/\r\n", 1, "a"}, {" #define X 1 /*a*/\r\n", 1, "first"},
        {"#Define X 1 /*a*/\r\n", 1, "first"}, {"#define X 1 /*a*/\r\n#define Y 1 /*b*/\r\n", 1, "b"},
        {"#define X X1 /*a*/\r\n", 0, "a"}, {"#define X 1 /*a*/\r\n", 7, "first"},   // never defined
        {"#define X 60 /*a*/\r\n#define Y -1 /*b*/\r\n", 59, "first"}, {"#define X 99 /*a*/\r\n#define Y 1 /*b*/\r\n", 1, "b"},
        {"#define X 4294967297 /*a*/\r\n", 1, "first"},   // not slot 1 after wrapping
        {"#define X " + std::string(400, '0') + "7 /*a*/\r\n", 0, "a"}, {"#define X 5", 5, ""},   // end of file in the token
    };
    for (const Row& row : rows) {
        Load("#define F 2 /*first*/\r\n" + row.lines);
        EXPECT_EQ(LayoutText(row.slot), row.expected) << "lines: " << row.lines;
    }
}

TEST(LayoutGrammar, ControlDescriptions)
{
    struct Row { std::string lines; int slot; const char* expected; };   // over slots 0 and 1 at 7,7,7,7,7,7
    const std::string b = "#define B 1 /*b*/\r\n";
    const Row rows[] = {
        {"// 3,0x1F,010\r\n", 0, "3,31,8,7,7,7"}, {"//3,0x1F,010\r\n", 0, "0,31,8,7,7,7"},
        {"// 1,2,3,4,5,6,7\r\n", 0, "1,2,3,4,5,6"}, {"// note\r\n", 0, "0,7,7,7,7,7"},
        {b + "// -1,0x50000000, 20 , +4,0,-0x10\r\n", 1, "-1,1342177280,20,4,0,-16"},
        {"// 99999999999,-99999999999,0xFFFFFFFF\r\n", 0, "2147483647,-2147483648,2147483647,7,7,7"},
        {"// 4,5", 0, "4,7,7,7,7,7"}, {"// 4,5\r", 0, "4,5,7,7,7,7"},   // end of file inside a field, after one
        {"// " + std::string(400, '0') + "12\r\n", 0, "0,7,7,7,7,7"},
        {"// 1,2,3,4,5,6\n#define B 1 /*b*/\n// 8,9\r\n", 1, "-1,7,7,7,7,7"},   // LF alone: the field runs on
        {"#define Z 60 /*z*/\r\n// 1,1,1,1,1,1\r\n", 0, "-1,7,7,7,7,7"},
        {"#define Z 75 /*z*/\r\n// 1,1\r\n" + b + "// 2,2\r\n", 1, "2,2,7,7,7,7"},
    };
    for (const Row& row : rows) {
        Load("#define A 0 /*a*/\r\n// 7,7,7,7,7,7\r\n" + b + "// 7,7,7,7,7,7\r\n");
        Load(row.lines);
        EXPECT_EQ(FieldsOf(row.slot), row.expected) << "lines: " << row.lines << "\nslot " << row.slot;
    }
}

// 60 definitions of 300 bytes overfill the arena, with 300-byte fields (cut
// to the 299 bytes of the field buffer).
TEST(LayoutLoad, TableAndBufferBounds)
{
    std::string file;
    for (int slot = SlotCount - 1; slot >= 0; slot--)   // slot 0 last, so a text start past the arena shows
        file += "#define S " + std::to_string(slot) + " /*" + std::string(300, 'a' + slot % 26) + "*/\r\n// 0," +
                std::string(297, '0') + "123\r\n";
    Load(file);
    // 33 texts of 301 bytes take 9933; the 34th gets 66 bytes and the arena's last terminator
    EXPECT_EQ(std::string(LayoutText(27)), std::string(300, 'a' + 27 % 26));
    EXPECT_EQ(std::string(LayoutText(26)), std::string(66, 'a' + 26 % 26));
    EXPECT_TRUE(*LayoutText(25) == 0 && *LayoutText(0) == 0 && LastLayoutNotes().cutSlots == (1ull << 27) - 1);
    EXPECT_TRUE(LayoutControl(0).type == 0 && LayoutControl(0).style == 10);   // octal 12, not 123
    EXPECT_EQ(LastLayoutNotes().cutTokens, 60);
}

TEST(LayoutLoad, CopyLayoutTextBounds)
{
    Load("#define H 1 /*hello*/\r\n");
    struct Row { int slot, size; const char* expected; };
    const Row rows[] = {{1, 100, "hello"}, {1, 6, "hello"}, {1, 3, "he"}, {1, 1, ""}, {-1, 10, ""}, {60, 10, ""}};
    for (const Row& row : rows) {
        char buffer[128];
        memset(buffer, 'z', sizeof buffer);
        EXPECT_EQ(CopyLayoutText(row.slot, buffer, row.size), static_cast<int>(strlen(row.expected)));
        EXPECT_STREQ(buffer, row.expected);
        EXPECT_EQ(buffer[row.size], 'z') << "wrote past the buffer";
    }
    char untouched = 'z';
    EXPECT_TRUE(CopyLayoutText(1, &untouched, 0) == 0 && untouched == 'z');
    EXPECT_TRUE(*LayoutText(-1) == 0 && *LayoutText(SlotCount) == 0 && LayoutControl(SlotCount).type == -1);
}

// The number picks the variant by its last two decimal digits; without that
// file the base file loads and the number goes back to 0.
TEST(LayoutFiles, VariantNames)
{
    Load("#define M 1 /*base*/\r\n");
    for (std::string suffix : {"01", "12", "123", "0-3"})
        std::ofstream(base + suffix, std::ios::binary) << "#define M 1 /*v" + suffix + "*/\r\n";
    struct Row { int languageNumber; const char* text; int numberAfter; };
    const Row rows[] = {{0, "base", 0}, {1, "v01", 1}, {12, "v12", 12}, {123, "v123", 123}, {-3, "v0-3", -3}, {3, "base", 0}};
    for (const Row& row : rows) {
        int languageNumber = row.languageNumber;
        EXPECT_EQ(LoadLayout(base.c_str(), languageNumber), 0);
        EXPECT_STREQ(LayoutText(1), row.text) << "language " << row.languageNumber;
        EXPECT_EQ(languageNumber, row.numberAfter) << "language " << row.languageNumber;
    }
}

// Failed, language 0, and the tables as the load's first step left them:
// every slot at the arena's start, every type -1, the other fields kept.
TEST(LayoutFiles, MissingBaseFile)
{
    for (const std::string& path : {(folder / "none" / "PELORIX.h").string(), std::string(), std::string(400, 'p')}) {
        Load("#define F 2 /*first*/\r\n// 1,0x50000000,10,20,30,40\r\n#define S 3 /*second*/\r\n");
        int languageNumber = 2;
        EXPECT_EQ(LoadLayout(path.c_str(), languageNumber), 999);
        EXPECT_EQ(languageNumber, 0);
        for (int slot = 0; slot < SlotCount; slot++) EXPECT_TRUE(!strcmp(LayoutText(slot), "first") && LayoutControl(slot).type == -1);
        EXPECT_EQ(FieldsOf(2), "-1,1342177280,10,20,30,40");
    }
}
