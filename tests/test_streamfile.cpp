// Stream file header: the little-endian reader, the validation and the header read.
#include <dirent.h>

#include <gtest/gtest.h>

#include "codec/streamfile.h"
#include "testfiles.h"

static int32_t ReadFrom(const Bytes& bytes, int count)
{
    FILE* file = FileOf(bytes);
    int32_t value = ReadLittleEndian(file, count);
    fclose(file);
    return value;
}

TEST(ReadLittleEndian, AssemblesBytesAndReadsEndOfFileAsFF)
{
    struct Row { Bytes bytes; int count; int32_t expected; } rows[] = {
        {{0x34, 0x12}, 2, 0x1234},
        {{0xFF, 0xFF}, 2, 65535},                 // 2-byte fields are never sign-extended
        {{0xFF, 0xFF, 0xFF, 0xFF}, 4, -1},
        {{0x00, 0x00, 0x00, 0x80}, 4, INT32_MIN},
        {{0x7F}, 1, 0x7F},
        {{0x12}, 2, 0xFF12},                      // second byte missing
        {{}, 4, -1},
        {{0x01, 0x02}, 0, 0},
        {{0x01, 0x02}, -3, 0},
    };
    for (const Row& row : rows) EXPECT_EQ(ReadFrom(row.bytes, row.count), row.expected) << row.count;
}

static Bytes Text(const char* text) { return Bytes(text, text + strlen(text)); }

TEST(ValidateStreamFile, ChecksIdentifiersAndTagOnly)
{
    Bytes start = Text("RIFF") + Bytes{9, 9, 9, 9} + Text("WAVEfmt ") + Bytes{7, 7, 7, 7};
    struct Row { const char* name; Bytes bytes; int expected; } rows[] = {
        {"tag-only", start + Bytes{0x3A, 0x8A}, Ok},
        {"whole-header", StreamHeaderBytes(2, 44100, 22, 1000), Ok},
        {"swapped-tag", start + Bytes{0x8A, 0x3A}, Failed},
        {"short", start + Bytes{0x3A}, Failed},
        {"pcm-wav", start + Bytes{0x01, 0x00}, Failed},
        {"rifx", Text("RIFX") + Bytes(start.begin() + 4, start.end()) + Bytes{0x3A, 0x8A}, Failed},
        {"empty", {}, Failed},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ValidateStreamFile(WriteTestFile(row.name, row.bytes).c_str()), row.expected) << row.name;
    }
    EXPECT_EQ(ValidateStreamFile("/nonexistent/pelorix.wav"), Failed);
}

static int OpenFileCount()
{
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (readdir(dir) != nullptr) count++;
    closedir(dir);
    return count;
}

TEST(ValidateStreamFile, LeavesNoFileOpen)
{
    std::string bad = WriteTestFile("bad", Text("RIFF0000WAVEfmt 0000") + Bytes{1, 0});
    std::string good = WriteTestFile("good", StreamHeaderBytes(1, 8000, 0, 0));
    int before = OpenFileCount();
    for (int i = 0; i < 3000; i++) {
        ASSERT_EQ(ValidateStreamFile(bad.c_str()), Failed);
        ASSERT_EQ(ValidateStreamFile(good.c_str()), Ok);
    }
    EXPECT_EQ(OpenFileCount(), before);
}

TEST(ReadStreamHeader, RefusesBadChannelsRatesAndCoders)
{
    struct Row { int channels, rate, coder; int expected, failure; } rows[] = {
        {0, 44100, 0, Failed, BadChannelCount},
        {3, 44100, 0, Failed, BadChannelCount},
        {2, 44100, 23, Failed, UnsupportedCoderType},
        {1, 49, 0, Failed, SampleRateBelow50},
        {1, -8000, 0, Failed, SampleRateBelow50},
        {1, 50, 0, Ok, NoFailure},
        {2, 44100, 22, Ok, NoFailure},
        {2, 44100, 21, Ok, NoFailure},
        {2, 44100, 20, Ok, NoFailure},
        {1, 44100, 0, Ok, NoFailure},
        {1, 44100, -1, Ok, NoFailure},
    };
    for (const Row& row : rows) {
        FILE* file = FileOf(StreamHeaderBytes(row.channels, row.rate, row.coder, 100));
        StreamHeader header;
        EXPECT_EQ(ReadStreamHeader(file, header), row.expected) << row.channels << " " << row.rate << " " << row.coder;
        EXPECT_EQ(header.failure, row.failure);
        fclose(file);
    }
}

TEST(ReadStreamHeader, DerivesFrameSizesAndStandsAtFirstFrame)
{
    struct Row { int channels, rate, total, skip; int samplesPerFrame, lastFrame; long firstFrame; } rows[] = {
        {1, 22050, 1, 0, 441, 0, 68},
        {2, 11025, 1, 0, 441, 0, 68},      // odd number of values per frame in stereo
        {2, 8000, 1, 5, 320, 0, 73},
        {2, 44100, 441000, 0, 1764, 499, 68},
        {1, 44100, 0, 0, 882, 0, 68},
        {1, 44100, 882, 0, 882, 0, 68},
        {1, 44100, 883, 0, 882, 1, 68},
        {1, 50, INT32_MIN, 0, 1, INT32_MIN, 68},   // must not wrap to a huge frame number
    };
    for (const Row& row : rows) {
        FILE* file = FileOf(StreamHeaderBytes(row.channels, row.rate, 0, row.total, row.skip) + Bytes{0x12, 0x34});
        StreamHeader header;
        ASSERT_EQ(ReadStreamHeader(file, header), Ok);
        EXPECT_EQ(header.samplesPerFrame, row.samplesPerFrame) << row.rate;
        EXPECT_EQ(header.lastFrame, row.lastFrame) << row.total;
        EXPECT_EQ(ftell(file), row.firstFrame);
        EXPECT_EQ(header.skipLength, row.skip);
        EXPECT_EQ(header.fmtSize, 26);
        EXPECT_EQ(header.totalSamples, row.total);
        fclose(file);
    }
}

TEST(ReadStreamHeader, ShortFilesReadAsFF)
{
    // Cut inside the channel count: 65535 channels, refused.
    Bytes whole = StreamHeaderBytes(2, 44100, 0, 1000, 0);
    FILE* file = FileOf(Bytes(whole.begin(), whole.begin() + 23));
    StreamHeader header;
    EXPECT_EQ(ReadStreamHeader(file, header), Failed);
    EXPECT_EQ(header.channels, 0xFF02);
    fclose(file);

    // Cut inside the skip area: skipped to its nominal length without complaint.
    Bytes skip = StreamHeaderBytes(1, 8000, 0, 10, 300);
    file = FileOf(Bytes(skip.begin(), skip.begin() + 100));
    EXPECT_EQ(ReadStreamHeader(file, header), Ok);
    EXPECT_EQ(header.skipLength, 300);
    EXPECT_NE(feof(file), 0);
    fclose(file);
}
