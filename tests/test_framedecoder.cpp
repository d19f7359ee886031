// Codec: the stream file header (the little-endian reader, the validation and
// the header read), the bit reader and the frame decoder: worked examples, the
// edges of each coder, end of file, damaged lengths and counts. Each code word,
// written and read back, is in test_encoder.cpp; the stream vectors in
// tests/vectors are decoded and compared by tools.sh, through the decoder's
// command line.
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/bitreader.h"
#include "codec/framedecoder.h"
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

TEST(ReadBit, StartingStatesAndEndOfFile)
{
    FILE* file = FileOf({0x80});
    bitReader = BitReader{0xA5, 0x10};   // 1010 0101, the 1 above bit 3 read last
    std::string bits;
    for (int i = 0; i < 17; i++) bits += (char)('0' + ReadBit(file));
    EXPECT_EQ(bits, "0101" "10000000" "11111");
    fclose(file);
}

typedef std::vector<int16_t> Values;

static Values Ramp(int first, int step, int count, int total)   // then the last value repeated to total
{
    Values values;
    for (int i = 0; i < total; i++) values.push_back((int16_t)(first + step * (i < count ? i : count - 1)));
    return values;
}

// A frame of an 8000 Hz stream (160 values per channel) from bytes: the values
// written, padding included, and the bytes read.
static Values DecodeOneFrame(int channels, int coder, const Bytes& bytes, long& consumed)
{
    StreamHeader header = {};
    header.channels = channels;
    header.coderType = coder;
    header.samplesPerFrame = 160 * channels;
    std::vector<unsigned char> out((size_t)header.samplesPerFrame * 2 + 1, 0xAB);
    unsigned char* outputPosition = out.data();
    FILE* file = FileOf(bytes);
    DecodeFrame(file, header, outputPosition);
    consumed = ftell(file);
    fclose(file);
    EXPECT_EQ(outputPosition - out.data(), (long)out.size() - 1);
    EXPECT_EQ(out.back(), 0xAB) << "wrote past the frame";
    Values values;
    for (size_t i = 0; i + 1 < out.size(); i += 2) values.push_back((int16_t)(out[i] | out[i + 1] << 8));
    return values;
}

// 160 words of k 0 for residual 1, so the sums count up, under a recorded
// frameLength, then bytes the frame must not read; cut: only its first bytes.
static Bytes CountingFrame(int frameLength, size_t cut = 0)
{
    std::string bits;
    for (int i = 0; i < 160; i++) bits += "011";
    Bytes frame = LE(frameLength, 2) + BitsToBytes(bits) + Bytes(10, 0x55);
    if (cut > 0) frame.resize(cut);
    return frame;
}

// Whatever length a FrameHeader records, a frame uses exactly the bytes its
// coding needs: a wrong length or a cut file must not change what is decoded
// or where the stream stands afterwards.
TEST(DecodeFrame, WorkedExamplesEdgesAndEndOfFile)
{
    struct Row { const char* what; int channels, coder; Bytes bytes; Values values; long consumed; } rows[] = {
        {"delta mono", 1, 0, {0xFF, 0x2F, 0x03, 0x00, 0xB6, 0xA0, 0x99}, {3, 8, 1}, 6},
        {"delta stereo", 2, 0, {0xFF, 0x0F, 0x04, 0x00, 0x69, 0xA0, 0x99}, {1, -1, 2, -2}, 6},
        {"slope mono", 1, 21, {0xFF, 0x2F, 0x04, 0x00, 0x83, 0x11, 0x1E, 0x99}, {8, 16, 24, 31}, 7},
        {"three-tap mono", 1, 22, {0xFF, 0x3F, 0x03, 0x00, 0xA0, 0x18, 0x04, 0x01, 0xA8, 0x40, 0x99}, {10, 20, 30}, 10},
        {"coder -1 is delta", 1, -1, {0xFF, 0x2F, 0x03, 0x00, 0xB6, 0xA0}, {3, 8, 1}, 6},
        // escape with sampleCount 0: the coefficient bytes are still read
        {"empty delta", 1, 0, {0xFF, 0x0F, 0x00, 0x00, 0x99}, {}, 4},
        {"empty slope", 1, 21, {0xFF, 0x0F, 0x00, 0x00, 0x12, 0x99}, {}, 5},
        {"empty three-tap", 2, 22, {0xFF, 0x0F, 0x00, 0x00, 1, 2, 3, 4, 0x99}, {}, 8},
        {"empty verbatim", 2, 22, {0xFF, 0xFF, 0x00, 0x00, 0x99}, {}, 4},
        {"short verbatim", 1, 21, {0xFF, 0xFF, 0x02, 0x00, 0x01, 0x00, 0xFF, 0x7F, 0x99}, {1, 32767}, 8},
        // a falling difference of -1 shifts to -1, not 0: 0, -1, then -8 - 1
        {"slope shift", 1, 21, {0xFF, 0x0F, 0x03, 0x00, 0x8A, 0x80}, {0, -1, -9}, 6},
        {"slope 0 repeats", 1, 21, {0xFF, 0x3F, 0x03, 0x00, 0x0A, 0xC2, 0x00}, {5, 5, 5}, 7},
        // all fields 0: taps -128, 128, -256
        {"three-tap fields 0", 1, 22, Bytes{0xFF, 0x8F, 0x03, 0x00} +
             BitsToBytes("0000000000 0000000000 0000000000  01 1 00000000  1 000000000  1 000000000"),
         {256, -128, 192}, 12},
        // fields 128, 128, 256: every tap 0, each value is its residual
        {"three-tap taps 0", 2, 22, Bytes{0xFF, 0x7F, 0x03, 0x00} +
             BitsToBytes("0010000000 0010000000 0100000000  1 00000111  1 11111101  1 01100100"),
         {7, -3, 100}, 12},
        // values leave 16 bits: written as their low 16 bits, the sum keeps 32
        {"delta beyond 16 bits", 1, 0, Bytes{0xFF, 0xEF, 0x03, 0x00} +
             BitsToBytes("01 1 11010100110000  01 1 11010100110000  01 0 00101011001111"),
         {30000, -5536, 30000}, 11},
        // end of file reads 0xFF bytes, 1 bits
        {"end at the frame header", 1, 0, {}, {}, 0},
        {"end inside the frame header: verbatim", 1, 0, {0x12}, Values(160, -1), 1},
        {"end inside the count: 0xFF05, 160 written", 1, 0, {0xFF, 0x2F, 0x05}, Ramp(-1, -1, 160, 160), 3},
        {"end inside residuals, k 0", 1, 0, {0xFF, 0x0F, 0x04, 0x00}, {0, 0, 0, 0}, 4},
        {"end inside residuals, k 2", 1, 0, {0xFF, 0x2F, 0x03, 0x00}, {-1, -2, -3}, 4},
        {"end before the slope byte", 1, 21, {0xFF, 0x2F, 0x02, 0x00}, {-1, -17}, 4},
        {"end inside the coefficients", 1, 22, {0xFF, 0x3F, 0x01, 0x00, 0x20, 0x08}, {-1}, 6},
        {"end inside a verbatim value", 1, 0, {0xFF, 0xFF, 0x02, 0x00, 0x01, 0x00, 0x34}, {1, -204}, 7},
        {"length as coded", 1, 0, CountingFrame(62), Ramp(1, 1, 160, 160), 62},
        {"length too long", 1, 0, CountingFrame(70), Ramp(1, 1, 160, 160), 62},
        {"length too short", 1, 0, CountingFrame(10), Ramp(1, 1, 160, 160), 62},
        {"length of an empty body", 1, 0, CountingFrame(2), Ramp(1, 1, 160, 160), 62},
        // 224 bits left, 74 words, then "01" that the end of file completes
        // with a 1 bit, then words of 1 bits alone: residual 0 at k 0
        {"cut inside the body", 1, 0, CountingFrame(62, 30), Ramp(1, 1, 75, 160), 30},
        // a damaged count above samplesPerFrame (162 verbatim values, 163 zeros
        // at k 0): the surplus is read, so the next frame is found, but never written
        {"surplus verbatim", 1, 0, Bytes{0xFF, 0xFF, 162, 0x00} + Bytes(324, 1) + Bytes{0x99}, Values(160, 257), 328},
        {"surplus coded", 1, 0, Bytes{0xFF, 0x0F, 163, 0x00} + BitsToBytes(std::string(163, '1')) + Bytes{0x99}, {}, 25},
    };
    for (const Row& row : rows) {
        long consumed;
        Values want = row.values;
        want.resize(160 * row.channels, 0);
        EXPECT_EQ(DecodeOneFrame(row.channels, row.coder, row.bytes, consumed), want) << row.what;
        EXPECT_EQ(consumed, row.consumed) << row.what;
    }
}

