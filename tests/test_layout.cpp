// Layout file loader: the grammar, control descriptions, the bounds of the tables
// and buffers, variant names, the missing file. The checker's warnings are tools.sh's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "window/layout.h"

namespace fs = std::filesystem;
static const fs::path folder = fs::temp_directory_path() / ("pelorix-layout-tests-" + std::to_string(getpid()));
static const std::string base = [] { fs::create_directories(folder); return (folder / "PELORIX.h").string(); }();

static void Load(const std::string& bytes)   // as the base file, with language 0
{
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
    const std::string t = "#define T 1 /*", x = "#define X ";
    // the LF was pending when "/" came; a backslash commits a "*"; after a "*" line ends stay; end of file in a text
    const struct Row { std::string lines; int slot; std::string expected; } rows[] = {{t + "\\t*/", 1, "@"},
        {t + "a\\nb\\\\\\r\xE4\x01*/", 1, "a\nb\\\r\xE4\x01"}, {t + "2*3**/", 1, "2*3*"}, {t + "one\r\ntwo*/", 1, "onetwo"},
        {t + "x*\r\n/", 1, "x*\r"}, {t + "a*\\nb*/", 1, "a*\nb"}, {t + "a*\r\nb*/", 1, "a*\r\nb"}, {t + "*/", 1, ""},
        {t + "ab*/ rest /*ignored*/\r\n", 1, "ab"}, {t + "abc", 1, "abc"}, {t + "ab*", 1, "ab*"},
        {t + std::string(9992, 'a') + "x**/", 1, std::string(9992, 'a') + "x"},   // a "*" cut off by the full arena
        {"#define   X    1    /*a*/\r\n", 1, "a"}, {" " + x + "1 /*a*/\r\n", 1, "first"}, {"#Define X 1 /*a*/\r\n", 1, "first"},
        {x + "1 /*a*/\r\n#define Y 1 /*b*/\r\n", 1, "b"}, {x + "X1 /*a*/\r\n", 0, "a"}, {x + "1 /*a*/\r\n", 7, "first"},
        {x + "60 /*a*/\r\n#define Y -1 /*b*/\r\n", 59, "first"}, {x + "99 /*a*/\r\n#define Y 1 /*b*/\r\n", 1, "b"},
        {x + "4294967297 /*a*/\r\n", 1, "first"}, {x + std::string(400, '0') + "7 /*a*/\r\n", 0, "a"}, {x + "5", 5, ""}};
    for (const Row& row : rows) {
        Load("#define F 2 /*first*/\r\n" + row.lines);
        EXPECT_EQ(LayoutText(row.slot), row.expected) << "lines: " << row.lines;
    }
}

TEST(LayoutGrammar, ControlDescriptions)
{
    const std::string b = "#define B 1 /*b*/\r\n";
    // over slots 0 and 1 at 7,7,7,7,7,7; end of file inside a field, after one; an LF alone: the field runs on
    const struct Row { std::string lines; int slot; const char* expected; } rows[] = {
        {"// 3,0x1F,010\r\n", 0, "3,31,8,7,7,7"}, {"//3,0x1F,010\r\n", 0, "0,31,8,7,7,7"}, {"// note\r\n", 0, "0,7,7,7,7,7"},
        {"// 1,2,3,4,5,6,7\r\n", 0, "1,2,3,4,5,6"}, {b + "// -1,0x50000000, 20 , +4,0,-0x10\r\n", 1, "-1,1342177280,20,4,0,-16"},
        {"// 99999999999,-99999999999,0xFFFFFFFF\r\n", 0, "2147483647,-2147483648,2147483647,7,7,7"},
        {"// 4,5", 0, "4,7,7,7,7,7"}, {"// 4,5\r", 0, "4,5,7,7,7,7"}, {"// " + std::string(400, '0') + "12\r\n", 0, "0,7,7,7,7,7"},
        {"// 1,2,3,4,5,6\n#define B 1 /*b*/\n// 8,9\r\n", 1, "-1,7,7,7,7,7"},
        {"#define Z 60 /*z*/\r\n// 1,1,1,1,1,1\r\n", 0, "-1,7,7,7,7,7"}, {"#define Z 75 /*z*/\r\n// 1,1\r\n" + b + "// 2,2\r\n", 1, "2,2,7,7,7,7"}};
    for (const Row& row : rows) {
        Load("#define A 0 /*a*/\r\n// 7,7,7,7,7,7\r\n" + b + "// 7,7,7,7,7,7\r\n");
        Load(row.lines);
        EXPECT_EQ(FieldsOf(row.slot), row.expected) << "lines: " << row.lines << "\nslot " << row.slot;
    }
}

// 60 definitions of 300 bytes overfill the arena, with 300-byte fields (cut
// to the 299 bytes of the field buffer); then copies for the playback thread.
TEST(LayoutLoad, TableAndBufferBounds)
{
    std::string file;
    for (int slot = SlotCount - 1; slot >= 0; slot--)   // slot 0 last, so a text start past the arena shows
        file += "#define S " + std::to_string(slot) + " /*" + std::string(300, 'a' + slot % 26) + "*/\r\n// 0," +
                std::string(297, '0') + "123\r\n";
    Load(file);
    // 33 texts of 301 bytes take 9933; the 34th gets 66 bytes and the arena's last terminator
    EXPECT_TRUE(LayoutText(27) == std::string(300, 'b') && LayoutText(26) == std::string(66, 'a'));
    EXPECT_TRUE(*LayoutText(25) == 0 && *LayoutText(0) == 0 && LastLayoutNotes().cutSlots == (1ull << 27) - 1);
    EXPECT_TRUE(LayoutControl(0).type == 0 && LayoutControl(0).style == 10);   // octal 12, not 123
    EXPECT_EQ(LastLayoutNotes().cutTokens, 60);
    EXPECT_TRUE(*LayoutText(-1) == 0 && *LayoutText(SlotCount) == 0 && LayoutControl(SlotCount).type == -1);
    Load("#define H 1 /*hello*/\r\n");
    // the buffer's first 8 bytes, NUL as "|", after a copy into its first size bytes
    struct Row { int slot, size, length; std::string bytes; } rows[] = {
        {1, 100, 5, "hello|zz"}, {1, 6, 5, "hello|zz"}, {1, 3, 2, "he|zzzzz"}, {1, 1, 0, "|zzzzzzz"},
        {1, 0, 0, "zzzzzzzz"}, {-1, 10, 0, "|zzzzzzz"}, {60, 10, 0, "|zzzzzzz"},
    };
    for (const Row& row : rows) {
        char buffer[128];
        memset(buffer, 'z', sizeof buffer);
        EXPECT_EQ(CopyLayoutText(row.slot, buffer, row.size), row.length);
        std::replace(buffer, buffer + 8, '\0', '|');
        EXPECT_EQ(std::string(buffer, 8), row.bytes) << row.slot << " " << row.size;
    }
}

// The variant by the number's last two digits, else the base file and number 0; else Failed and the tables
// as a load's first step leaves them: every slot at the arena's start, every type -1, other fields kept.
TEST(LayoutFiles, VariantsAndMissingFiles)
{
    for (std::string suffix : {"01", "12", "123", "0-3"})
        std::ofstream(base + suffix, std::ios::binary) << "#define M 1 /*v" + suffix + "*/\r\n";
    struct Row { std::string path; int languageNumber; const char* text; int numberAfter; } rows[] = {
        {base, 0, "base", 0}, {base, 1, "v01", 1}, {base, 12, "v12", 12}, {base, 123, "v123", 123},
        {base, -3, "v0-3", -3}, {base, 3, "base", 0}, {(folder / "none" / "PELORIX.h").string(), 2, nullptr, 0},
        {"", 2, nullptr, 0}, {std::string(400, 'p'), 2, nullptr, 0},
    };
    for (const Row& row : rows) {
        Load("#define F 2 /*first*/\r\n// 1,0x50000000,10,20,30,40\r\n#define M 1 /*base*/\r\n");
        int languageNumber = row.languageNumber;
        EXPECT_EQ(LoadLayout(row.path.c_str(), languageNumber), row.text ? 0 : 999) << row.path;
        EXPECT_EQ(languageNumber, row.numberAfter) << row.path;
        EXPECT_STREQ(LayoutText(1), row.text ? row.text : "first") << row.path;
        if (row.text) continue;
        for (int slot = 0; slot < SlotCount; slot++) EXPECT_TRUE(!strcmp(LayoutText(slot), "first") && LayoutControl(slot).type == -1);
        EXPECT_EQ(FieldsOf(2), "-1,1342177280,10,20,30,40");
    }
}

// Doubles every byte above 0x7F, as a text in an ANSI code page grows in UTF-8; refuses what does not fit.
static int Widen(const char* text, char* out, int size)
{
    int length = 0;
    for (; *text; text++)
        for (int copy = static_cast<unsigned char>(*text) > 0x7F ? 2 : 1; copy > 0; copy--) {
            if (length + 1 >= size) return 999;
            out[length++] = *text;
        }
    return out[length] = 0, 0;
}

// Through a recoder the texts grow; undefined slots still share the first text; one that no longer fits is kept
// cut as written, and after a full arena the rest are empty.
TEST(LayoutLoad, RecodedTexts)
{
    std::ofstream(base, std::ios::binary) << "#define A 0 /*\xE9*/\r\n#define B 1 /*" + std::string(5000, '\xE9') +
                                                 "*/\r\n#define C 2 /*" + std::string(4995, 'c') + "*/\r\n#define D 3 /*d*/\r\n";
    int languageNumber = 0;
    ASSERT_EQ(LoadLayout(base.c_str(), languageNumber, Widen), 0);
    EXPECT_EQ(std::string(LayoutText(0)) + LayoutText(9), "\xE9\xE9\xE9\xE9");
    EXPECT_EQ(std::to_string(strlen(LayoutText(1))) + " " + std::to_string(strlen(LayoutText(2))) + " " + LayoutText(3),
              "5000 4995 ");
    EXPECT_EQ(LastLayoutNotes().cutSlots, 1u << 3);
}
