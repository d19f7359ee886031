// Layout file loader: the text grammar and its worked examples, control
// descriptions, bounds of the tables, variant names and the missing file;
// and the checker's warnings.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "fakewin.h"
#include "layoutreport.h"
#include "ui/layout.h"

namespace fs = std::filesystem;

static fs::path TestFolder(const char* name)
{
    fs::path folder = fs::temp_directory_path() / ("pelorix-layout-tests-" + std::to_string(getpid())) / name;
    fs::create_directories(folder);
    return folder;
}

static void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

static std::string ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Loads bytes as a base file with language 0; Ok expected.
static void Load(const std::string& bytes)
{
    fs::path path = TestFolder("grammar") / "PELORIX.h";
    WriteBytes(path, bytes);
    int languageNumber = 0;
    ASSERT_EQ(LoadLayout(nullptr, path.string().c_str(), languageNumber), 0);
}

static void ExpectText(const std::string& body, const std::string& expected)
{
    Load("#define T 1 /*" + body);
    EXPECT_EQ(std::string(LayoutText(1)), expected) << "body: " << body;
}

TEST(LayoutGrammar, TextBodies)
{
    ExpectText("a\\nb*/", "a\nb");
    ExpectText("2*3*/", "2*3");
    ExpectText("x**/", "x*");
    ExpectText("\\t*/", "@");
    ExpectText("one\r\ntwo*/", "onetwo");
    ExpectText("x*\r\n/", "x*\r");              // the LF was pending when "/" came
    ExpectText("\\\\*/", "\\");
    ExpectText("\\r*/", "\r");
    ExpectText("a*\\nb*/", "a*\nb");            // a backslash commits the pending "*"
    ExpectText("a*\r\nb*/", "a*\r\nb");         // after a "*", line ends are kept
    ExpectText("*/", "");
    ExpectText("ab*/ rest /*ignored*/\r\n", "ab");
    ExpectText("\xE4\xDF\x01*/", "\xE4\xDF\x01");
    ExpectText("abc", "abc");                   // end of file inside a text
    ExpectText("ab*", "ab*");                   // ... and after a pending "*"
}

static void ExpectSlotText(const std::string& lines, int slot, const std::string& expected)
{
    Load("#define F 2 /*first*/\r\n" + lines);
    EXPECT_EQ(std::string(LayoutText(slot)), expected) << "lines: " << lines;
}

TEST(LayoutGrammar, Definitions)
{
    ExpectSlotText("#define X 1 /*a*/\r\n", 1, "a");
    ExpectSlotText("#define   X    1    /*a*/\r\n", 1, "a");
    ExpectSlotText(" #define X 1 /*a*/\r\n", 1, "first");
    ExpectSlotText("#Define X 1 /*a*/\r\n", 1, "first");
    ExpectSlotText("#defina X 1 /*a*/\r\n", 1, "first");
    ExpectSlotText("#define X 1 /*a*/\r\n#define Y 1 /*b*/\r\n", 1, "b");
    ExpectSlotText("#define X X1 /*a*/\r\n", 0, "a");
    ExpectSlotText("#define X 1 /*a*/\r\n", 7, "first");          // never defined
    ExpectSlotText("#define X 60 /*a*/\r\n#define Y -1 /*b*/\r\n", 59, "first");
    ExpectSlotText("#define X 99 /*a*/\r\n#define Y 1 /*b*/\r\n", 1, "b");
    ExpectSlotText("#define X 4294967297 /*a*/\r\n", 1, "first"); // not slot 1 after wrapping
    ExpectSlotText("#define X " + std::string(400, '0') + "7 /*a*/\r\n", 0, "a");
    ExpectSlotText("#define X 5", 5, "");                         // end of file in the token
}

TEST(LayoutGrammar, ControlDescriptions)
{
    struct Row {
        std::string lines;
        int slot;
        ControlSpec expected;
    };
    const int32_t Max = INT32_MAX, Min = INT32_MIN;
    const Row rows[] = {
        {"// 3,0x1F,010\r\n", 0, {3, 31, 8, 7, 7, 7}},
        {"//3,0x1F,010\r\n", 0, {0, 31, 8, 7, 7, 7}},
        {"// 1,2,3,4,5,6,7\r\n", 0, {1, 2, 3, 4, 5, 6}},
        {"// note\r\n", 0, {0, 7, 7, 7, 7, 7}},
        {"#define B 1 /*b*/\r\n// -1,0x50000000, 20 , +4,0,-0x10\r\n", 1, {-1, 0x50000000, 20, 4, 0, -16}},
        {"// 99999999999,-99999999999,0xFFFFFFFF\r\n", 0, {Max, Min, Max, 7, 7, 7}},
        {"// 4,5", 0, {4, 7, 7, 7, 7, 7}},           // end of file inside a field
        {"// 4,5\r", 0, {4, 5, 7, 7, 7, 7}},
        {"// " + std::string(400, '0') + "12\r\n", 0, {0, 7, 7, 7, 7, 7}},
        {"// 1,2,3,4,5,6\n#define B 1 /*b*/\n// 8,9\r\n", 0, {1, 2, 3, 4, 5, 6}},
        {"// 1,2,3,4,5,6\n#define B 1 /*b*/\n// 8,9\r\n", 1, {-1, 7, 7, 7, 7, 7}},
        {"#define Z 60 /*z*/\r\n// 1,1,1,1,1,1\r\n", 0, {-1, 7, 7, 7, 7, 7}},
        {"#define Z 75 /*z*/\r\n// 1,1\r\n#define B 1 /*b*/\r\n// 2,2\r\n", 1, {2, 2, 7, 7, 7, 7}},
    };
    for (const Row& row : rows) {
        Load("#define A 0 /*a*/\r\n// 7,7,7,7,7,7\r\n#define B 1 /*b*/\r\n// 7,7,7,7,7,7\r\n");
        Load(row.lines);
        const ControlSpec& spec = LayoutControl(row.slot);
        const ControlSpec& want = row.expected;
        EXPECT_TRUE(spec.type == want.type && spec.style == want.style && spec.x == want.x &&
                    spec.y == want.y && spec.width == want.width && spec.height == want.height)
            << "lines: " << row.lines << "\nslot " << row.slot << " got " << spec.type << ", " << spec.style
            << ", " << spec.x << ", " << spec.y << ", " << spec.width << ", " << spec.height;
    }
}

TEST(LayoutLoad, UndefinedSlotsReadTheArenasFirstText)
{
    Load("#define F 2 /**/\r\n");
    Load("/* no texts, no controls */\r\n");
    for (int slot = 0; slot < SlotCount; slot++) {
        EXPECT_STREQ(LayoutText(slot), "");
        EXPECT_EQ(LayoutControl(slot).type, -1);
    }
    // a file without definitions leaves the arena's start as it was
    Load("#define F 2 /*kept*/\r\n");
    Load("");
    EXPECT_STREQ(LayoutText(40), "kept");
}

TEST(LayoutLoad, FullArenaCutsTexts)
{
    // 4000 + 1 and 4000 + 1 bytes leave 1998: 1997 bytes and the terminator
    Load("#define A 1 /*" + std::string(4000, 'a') + "*/\r\n#define B 2 /*" + std::string(4000, 'b') +
         "*/\r\n#define C 3 /*" + std::string(4000, 'c') + "*/\r\n#define D 4 /*d*/\r\n");
    EXPECT_EQ(std::string(LayoutText(1)), std::string(4000, 'a'));
    EXPECT_EQ(std::string(LayoutText(2)), std::string(4000, 'b'));
    EXPECT_EQ(std::string(LayoutText(3)), std::string(1997, 'c'));
    EXPECT_STREQ(LayoutText(4), "");
    EXPECT_EQ(LastLayoutNotes().cutSlots, (1ull << 3) | (1ull << 4));

    // a "*" cut off by the full arena takes no text byte with it at "*/"
    // (9999 text bytes fit: 9998 "a" and the "x")
    Load("#define A 1 /*" + std::string(9998, 'a') + "x**/\r\n");
    EXPECT_EQ(std::string(LayoutText(1)), std::string(9998, 'a') + "x");
}

TEST(LayoutLoad, CopyLayoutTextBounds)
{
    Load("#define H 1 /*hello*/\r\n");
    struct Row {
        int slot, size;
        const char* expected;
        int length;
    };
    const Row rows[] = {{1, 100, "hello", 5}, {1, 6, "hello", 5}, {1, 3, "he", 2}, {1, 1, "", 0},
                        {-1, 10, "", 0}, {60, 10, "", 0}};
    for (const Row& row : rows) {
        char buffer[128];
        memset(buffer, 'z', sizeof buffer);
        EXPECT_EQ(CopyLayoutText(row.slot, buffer, row.size), row.length);
        EXPECT_STREQ(buffer, row.expected);
        EXPECT_EQ(buffer[row.size], 'z') << "wrote past the buffer";
    }
    char untouched = 'z';
    EXPECT_EQ(CopyLayoutText(1, &untouched, 0), 0);
    EXPECT_EQ(untouched, 'z');
    EXPECT_STREQ(LayoutText(-1), "");
    EXPECT_STREQ(LayoutText(SlotCount), "");
    EXPECT_EQ(LayoutControl(SlotCount).type, -1);
}

TEST(LayoutFiles, VariantNames)
{
    fs::path folder = TestFolder("variants");
    std::string base = (folder / "PELORIX.h").string();
    WriteBytes(base, "#define M 1 /*base*/\r\n");
    for (const char* suffix : {"01", "02", "12", "123", "0-3", "10"}) {
        WriteBytes(base + suffix, std::string("#define M 1 /*v") + suffix + "*/\r\n");
    }
    fs::remove(base + "10");
    struct Row {
        int languageNumber;
        const char* text;
        int numberAfter;
    };
    const Row rows[] = {{0, "base", 0},   {1, "v01", 1},      {2, "v02", 2},   {12, "v12", 12},
                        {123, "v123", 123}, {-3, "v0-3", -3}, {3, "base", 0},  {10, "base", 0}};
    for (const Row& row : rows) {
        int languageNumber = row.languageNumber;
        EXPECT_EQ(LoadLayout(nullptr, base.c_str(), languageNumber), 0);
        EXPECT_STREQ(LayoutText(1), row.text) << "language " << row.languageNumber;
        EXPECT_EQ(languageNumber, row.numberAfter) << "language " << row.languageNumber;
    }
}

// The language command: one up, then load.
static std::string StepLanguages(const std::string& base, int steps)
{
    std::string seen;
    int languageNumber = 0;
    for (int i = 0; i < steps; i++) {
        languageNumber++;
        LoadLayout(nullptr, base.c_str(), languageNumber);
        seen += std::to_string(languageNumber);
    }
    return seen;
}

TEST(LayoutFiles, LanguageStepping)
{
    fs::path both = TestFolder("both");
    fs::path onlySecond = TestFolder("only02");
    for (const fs::path& folder : {both, onlySecond}) {
        WriteBytes(folder / "PELORIX.h", "#define M 1 /*base*/\r\n");
        WriteBytes(folder / "PELORIX.h02", "#define M 1 /*two*/\r\n");
    }
    WriteBytes(both / "PELORIX.h01", "#define M 1 /*one*/\r\n");
    EXPECT_EQ(StepLanguages((both / "PELORIX.h").string(), 5), "12012");
    EXPECT_EQ(StepLanguages((onlySecond / "PELORIX.h").string(), 3), "000");
    EXPECT_STREQ(LayoutText(1), "base");
}

TEST(LayoutFiles, MissingBaseFile)
{
    fs::path folder = TestFolder("missing");
    std::string missing = (folder / "PELORIX.h").string();
    struct Row {
        std::string path;
        std::string message;
    };
    const Row rows[] = {
        {missing, "I need " + missing},
        {"", "I need "},
        {std::string(400, 'p'), "I need " + std::string(PathSize - 8, 'p')},   // cut to the 300-byte buffer
    };
    for (const Row& row : rows) {
        Load("#define F 2 /*first*/\r\n// 1,0x50000000,10,20,30,40\r\n#define S 3 /*second*/\r\n");
        FakeReset();
        int languageNumber = 2;
        EXPECT_EQ(LoadLayout(nullptr, row.path.c_str(), languageNumber), 999);
        EXPECT_EQ(languageNumber, 0);
        EXPECT_EQ(FakeMessageBoxCount(), 1);
        EXPECT_EQ(std::string(FakeLastMessageBoxText()), row.message);
        EXPECT_STREQ(FakeLastMessageBoxCaption(), "Error");
        EXPECT_TRUE(FakeQuitPosted());
        EXPECT_EQ(FakeQuitCode(), 0);
        // as the load's first step left them: every slot at the arena's
        // start, every type -1, the other fields kept
        for (int slot = 0; slot < SlotCount; slot++) {
            EXPECT_STREQ(LayoutText(slot), "first");
            EXPECT_EQ(LayoutControl(slot).type, -1);
        }
        EXPECT_EQ(LayoutControl(2).x, 10);
        EXPECT_EQ(LayoutControl(2).height, 40);
    }
}

// The checker on the shipped English file with lines added at its end.
TEST(LayoutReport, Warnings)
{
    const std::string shipped = ReadBytes(fs::path(PELORIX_LAYOUTS_DIR) / "PELORIX.h");
    ASSERT_FALSE(shipped.empty());
    struct Row {
        std::string added;
        const char* expected;   // in the report; nullptr: no warning at all
    };
    const Row rows[] = {
        {"", nullptr},
        {"#define O 50 /*o*/\r\n// 1, 0x50000000, 30, 40, 50, 10\r\n", "warning: slots 10 and 50: the controls overlap"},
        {"#define O 50 /*o*/\r\n// 1, 0x40000000, 30, 40, 50, 10\r\n", nullptr},   // hidden
        {"#define O 50 /*o*/\r\n// 1, 0x50000000, 950, 270, 100, 10\r\n", "slot 50: the control reaches outside"},
        {"#define O 50 /*o*/\r\n// 1, 0x50000000, 20, 280, 100, 10\r\n", "slot 50: the control reaches outside"},
        {"#define R 4 /*r*/\r\n// 1, 0x50000000, 20, 73, 180, 16\r\n",
         "slot 4 (repeat) should be an automatic check box (type 1, BS_AUTOCHECKBOX); it is a push button"},
        {"#define P 35 /*p*/\r\n// 3, 0x50A00000, 20, 90, 690, 265\r\n", "slot 35 (playlist) needs LBS_NOTIFY"},
        {"#define B 1 /*b*/\r\n// 1, 0x40000000, 205, 35, 170, 22\r\n", "slot 1 (play) needs WS_CHILD and WS_VISIBLE"},
        {"#define B 75 /*b*/\r\n// 1, 0x50000000, 0, 0, 1, 1\r\n", "1 text definition(s) name a slot outside 0 to 59 "
                                                                   "(the first: 75); they are ignored, and so are the 1"},
        {"/* tail */\n", "1 line(s) end with LF alone"},
        {"#define B 8 /*" + std::string(9990, 'x') + "*/\r\n", "texts cut short in slot(s) 8"},
    };
    fs::path path = TestFolder("report") / "PELORIX.h";
    for (const Row& row : rows) {
        WriteBytes(path, shipped + row.added);
        int languageNumber = 0;
        ASSERT_EQ(LoadLayout(nullptr, path.string().c_str(), languageNumber), 0);
        FILE* out = tmpfile();
        ASSERT_NE(out, nullptr);
        int warnings = ReportLayout(out, path.string().c_str());
        std::string report(ftell(out), '\0');
        rewind(out);
        ASSERT_EQ(fread(&report[0], 1, report.size(), out), report.size());
        fclose(out);
        if (row.expected == nullptr) {
            EXPECT_EQ(warnings, 0) << report;
        } else {
            EXPECT_EQ(warnings, 1) << report;
            EXPECT_NE(report.find(row.expected), std::string::npos) << report;
        }
    }
}
