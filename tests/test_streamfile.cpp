// Stream file header: the little-endian reader, the validation and the header read.
#include <unistd.h>

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "codec/streamfile.h"
#include "testfiles.h"

TEST(ReadLittleEndian, AssemblesBytesAndReadsEndOfFileAsFF)
{
    struct Row { Bytes bytes; int count; int32_t expected; } rows[] = {
        {{0x34, 0x12}, 2, 0x1234}, {{0xFF, 0xFF}, 2, 65535}, {{0x00, 0x00, 0x00, 0x80}, 4, INT32_MIN},
        {{0x12}, 2, 0xFF12}, {{}, 4, -1}, {{0x01}, 0, 0},
    };
    for (const Row& row : rows) {
        FILE* file = FileOf(row.bytes);
        EXPECT_EQ(ReadLittleEndian(file, row.count), row.expected) << row.count;
        fclose(file);
    }
}

// The lowest free descriptor: it moves when a file is left open.
static int FreeDescriptor()
{
    int fd = dup(2);
    close(fd);
    return fd;
}

TEST(ValidateStreamFile, ChecksIdentifiersAndTagOnlyAndClosesTheFile)
{
    Bytes start = Text("RIFF") + LE(0x09090909, 4) + Text("WAVEfmt ") + LE(7, 4);
    struct Row { const char* name; Bytes bytes; int expected; } rows[] = {
        {"tag-only", start + LE(0x8A3A, 2), Ok}, {"whole-header", StreamHeaderBytes(2, 44100, 22, 1000), Ok},
        {"swapped-tag", start + LE(0x3A8A, 2), Failed}, {"short", start + Bytes{0x3A}, Failed},
        {"pcm-wav", start + LE(1, 2), Failed}, {"empty", {}, Failed},
        {"rifx", Text("RIFX") + Bytes(start.begin() + 4, start.end()) + LE(0x8A3A, 2), Failed},
    };
    for (const Row& row : rows) {
        FILE* file = FileOf(row.bytes);
        std::string path = "/proc/self/fd/" + std::to_string(fileno(file));
        int free = FreeDescriptor();
        EXPECT_EQ(ValidateStreamFile(path.c_str()), row.expected) << row.name;
        EXPECT_EQ(FreeDescriptor(), free) << row.name << ": a file left open";
        fclose(file);
    }
    EXPECT_EQ(ValidateStreamFile("/nonexistent/pelorix.wav"), Failed);
}

// A refusal reads nothing further; otherwise the frame sizes and the stream
// at the first frame. A file cut short reads 0xFF bytes and skips on.
TEST(ReadStreamHeader, RefusesOrDerivesFrameSizes)
{
    struct Row { int channels, rate, coder, total, skip; long cut; int failure, samplesPerFrame = 0, lastFrame = 0; long first = 0; };
    const Row rows[] = {
        {0, 44100, 0, 100, 0, 0, BadChannelCount}, {3, 44100, 0, 100, 0, 0, BadChannelCount},
        {2, 44100, 0, 1000, 0, 23, BadChannelCount},   // cut inside the channel count: 0xFF02
        {2, 44100, 23, 100, 0, 0, UnsupportedCoderType},
        {1, 49, 0, 100, 0, 0, SampleRateBelow50}, {1, -8000, 0, 100, 0, 0, SampleRateBelow50},
        {1, 22050, 22, 1, 0, 0, NoFailure, 441, 0, 68},
        {2, 11025, 21, 1, 0, 0, NoFailure, 441, 0, 68},   // odd number of values per frame in stereo
        {2, 8000, 20, 1, 5, 0, NoFailure, 320, 0, 73},
        {2, 44100, -1, 441000, 0, 0, NoFailure, 1764, 499, 68},
        {1, 44100, 0, 0, 0, 0, NoFailure, 882, 0, 68}, {1, 44100, 0, 882, 0, 0, NoFailure, 882, 0, 68},
        {1, 44100, 0, 883, 0, 0, NoFailure, 882, 1, 68},
        {1, 50, 0, INT32_MIN, 0, 0, NoFailure, 1, INT32_MIN, 68},   // must not wrap to a huge frame number
        {1, 8000, 0, 10, 300, 100, NoFailure, 160, 0, 100},         // cut inside the skip area
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.channels << " ch " << row.rate << " Hz coder " << row.coder);
        Bytes bytes = StreamHeaderBytes(row.channels, row.rate, row.coder, row.total, row.skip) + Bytes{0x12, 0x34};
        if (row.cut > 0) bytes.resize((size_t)row.cut);
        FILE* file = FileOf(bytes);
        StreamHeader header;
        EXPECT_EQ(ReadStreamHeader(file, header), row.failure == NoFailure ? Ok : Failed);
        EXPECT_EQ(header.failure, row.failure);
        if (row.failure == NoFailure) {
            EXPECT_EQ(header.samplesPerFrame, row.samplesPerFrame);
            EXPECT_EQ(header.lastFrame, row.lastFrame);
            EXPECT_EQ(header.skipLength, row.skip);
            EXPECT_EQ(ftell(file), row.first);
        }
        fclose(file);
    }
}
