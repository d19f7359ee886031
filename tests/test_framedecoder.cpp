// Codec: the stream file header, the bit reader and the frame decoder. Code words and round
// trips are in test_encoder.cpp, the stream vectors in tools.sh.
#include <unistd.h>

#include <gtest/gtest.h>

#include "codec/bitreader.h"
#include "codec/framedecoder.h"
#include "testfiles.h"

TEST(ReadLittleEndian, AssemblesBytesAndReadsEndOfFileAsFF)
{
    struct Row { Bytes bytes; int count; int32_t expected; } rows[] = {{{0x34, 0x12}, 2, 0x1234}, {{0xFF, 0xFF}, 2, 65535},
        {{0x00, 0x00, 0x00, 0x80}, 4, INT32_MIN}, {{0x12}, 2, 0xFF12}, {{}, 4, -1}, {{0x01}, 0, 0}};
    for (const Row& row : rows) {
        FILE* file = FileOf(row.bytes);
        EXPECT_EQ(ReadLittleEndian(file, row.count), row.expected) << row.count;
        fclose(file);
    }
}

// The 68-byte start of a stream file, then skipLength bytes; the sizes the
// reader skips over (riffSize, avgBytesPerSec, blockAlign, dataSize) are 0.
static Bytes StreamHeaderBytes(int channels, int sampleRate, int coderType, int totalSamples, int skipLength = 0)
{
    return Text("RIFF") + LE(0, 4) + Text("WAVEfmt ") + LE(26, 4) + LE(0x8A3A, 2) + LE(channels, 2) + LE(sampleRate, 4) +
           LE(0, 4) + LE(0, 2) + LE(16, 2) + LE(8, 2) + LE(coderType, 4) + LE(0, 4) + Text("fact") + LE(4, 4) +
           LE(totalSamples, 4) + Text("data") + LE(0, 4) + LE(skipLength, 2) + Bytes((size_t)skipLength, 0xEE);
}

TEST(ValidateStreamFile, ChecksIdentifiersAndTagOnlyAndClosesTheFile)
{
    auto freeDescriptor = [] { int fd = dup(2); close(fd); return fd; };   // the lowest: it moves when a file is left open
    Bytes start = Text("RIFF") + LE(0x09090909, 4) + Text("WAVEfmt ") + LE(7, 4);
    struct Row { const char* name; Bytes bytes; int expected; } rows[] = {
        {"tag-only", start + LE(0x8A3A, 2), Ok}, {"whole-header", StreamHeaderBytes(2, 44100, 22, 1000), Ok},
        {"swapped-tag", start + LE(0x3A8A, 2), Failed}, {"short", start + Bytes{0x3A}, Failed}, {"pcm-wav", start + LE(1, 2), Failed},
        {"empty", {}, Failed}, {"rifx", Text("RIFX") + Bytes(start.begin() + 4, start.end()) + LE(0x8A3A, 2), Failed},
    };
    for (const Row& row : rows) {
        FILE* file = FileOf(row.bytes);
        int free = freeDescriptor();
        EXPECT_EQ(ValidateStreamFile(("/proc/self/fd/" + std::to_string(fileno(file))).c_str()), row.expected) << row.name;
        EXPECT_EQ(freeDescriptor(), free) << row.name << ": a file left open";
        fclose(file);
    }
}

// A refusal reads nothing further; otherwise the frame sizes and the stream
// at the first frame. A file cut short reads 0xFF bytes and skips on.
TEST(ReadStreamHeader, RefusesOrDerivesFrameSizes)
{
    struct Row { int channels, rate, coder, total, skip; long cut; int failure, samplesPerFrame = 0, lastFrame = 0; long first = 0; };
    const Row rows[] = {
        {0, 44100, 0, 100, 0, 0, BadChannelCount}, {3, 44100, 0, 100, 0, 0, BadChannelCount},
        {2, 44100, 0, 1000, 0, 23, BadChannelCount},   // cut inside the channel count: 0xFF02
        {2, 44100, 23, 100, 0, 0, UnsupportedCoderType}, {1, 49, 0, 100, 0, 0, SampleRateBelow50},
        {1, -8000, 0, 100, 0, 0, SampleRateBelow50}, {1, 22050, 22, 1, 0, 0, NoFailure, 441, 0, 68},
        {2, 11025, 21, 1, 0, 0, NoFailure, 441, 0, 68}, {2, 8000, 20, 1, 5, 0, NoFailure, 320, 0, 73},   // 441: odd in stereo
        {2, 44100, -1, 441000, 0, 0, NoFailure, 1764, 499, 68}, {1, 44100, 0, 0, 0, 0, NoFailure, 882, 0, 68},
        {1, 44100, 0, 882, 0, 0, NoFailure, 882, 0, 68}, {1, 44100, 0, 883, 0, 0, NoFailure, 882, 1, 68},
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
        std::vector<long> got = {header.samplesPerFrame, header.lastFrame, header.skipLength, ftell(file)};
        fclose(file);
        if (row.failure != NoFailure) continue;
        EXPECT_EQ(got, std::vector<long>({row.samplesPerFrame, row.lastFrame, row.skip, row.first}));
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

static Values Ramp(int first, int step, int count)   // count values, then the last one repeated to 160
{
    Values values;
    for (int i = 0; i < 160; i++) values.push_back((int16_t)(first + step * (i < count ? i : count - 1)));
    return values;
}

// 160 words of k 0 for residual 1, so the sums count up, under a recorded
// frameLength, then bytes the frame must not read; cut: only its first bytes.
static Bytes CountingFrame(int frameLength, size_t cut = 0)
{
    std::string bits;
    for (int i = 0; i < 160; i++) bits += "011";
    Bytes frame = LE(frameLength, 2) + BitsToBytes(bits) + Bytes(10, 0x55);
    frame.resize(cut > 0 ? cut : frame.size());
    return frame;
}

// One frame of an 8000 Hz stream (160 values a channel): the values written, padding included, and the bytes
// read. Each is Ok: intact, the escape frame (whatever its count and bytes) or cut by the end of the file.
TEST(DecodeFrame, WorkedExamplesEdgesAndEndOfFile)
{
    const Values counting = Ramp(1, 1, 160);
    // delta mono and stereo, slope, three-tap, coder -1 as delta; sampleCount 0, the coefficient bytes still read;
    // verbatim; a falling difference of -1 shifts to -1, not 0: 0, -1, then -8 - 1; slope 0 repeats
    struct Row { int channels, coder; Bytes bytes; Values values; long consumed; } rows[] = {
        {1, 0, {0xFF, 0x2F, 0x03, 0x00, 0xB6, 0xA0, 0x99}, {3, 8, 1}, 6}, {2, 0, {0xFF, 0x0F, 0x04, 0x00, 0x69, 0xA0}, {1, -1, 2, -2}, 6},
        {1, 21, {0xFF, 0x2F, 0x04, 0x00, 0x83, 0x11, 0x1E, 0x99}, {8, 16, 24, 31}, 7},
        {1, 22, {0xFF, 0x3F, 0x03, 0x00, 0xA0, 0x18, 0x04, 0x01, 0xA8, 0x40, 0x99}, {10, 20, 30}, 10},
        {1, -1, {0xFF, 0x2F, 0x03, 0x00, 0xB6, 0xA0}, {3, 8, 1}, 6}, {1, 0, {0xFF, 0x0F, 0x00, 0x00, 0x99}, {}, 4},
        {1, 21, {0xFF, 0x0F, 0x00, 0x00, 0x12, 0x99}, {}, 5}, {2, 22, {0xFF, 0x0F, 0x00, 0x00, 1, 2, 3, 4, 0x99}, {}, 8},
        {2, 22, {0xFF, 0xFF, 0x00, 0x00, 0x99}, {}, 4}, {1, 21, {0xFF, 0xFF, 0x02, 0x00, 0x01, 0x00, 0xFF, 0x7F, 0x99}, {1, 32767}, 8},
        {1, 21, {0xFF, 0x0F, 0x03, 0x00, 0x8A, 0x80}, {0, -1, -9}, 6}, {1, 21, {0xFF, 0x3F, 0x03, 0x00, 0x0A, 0xC2, 0x00}, {5, 5, 5}, 7},
        // three-tap fields 0: taps -128, 128, -256; fields 128, 128, 256: taps 0, each value its residual; values
        // leaving 16 bits (30000 + 30000): written as their low 16 bits, the sum keeps 32
        {1, 22, {0xFF, 0x8F, 0x03, 0x00, 0, 0, 0, 0x01, 0x80, 0x40, 0x10, 0x00}, {256, -128, 192}, 12},
        {2, 22, {0xFF, 0x7F, 0x03, 0x00, 0x20, 0x08, 0x04, 0x02, 0x0F, 0xFD, 0xB2, 0x00}, {7, -3, 100}, 12},
        {1, 0, {0xFF, 0xEF, 0x03, 0x00, 0x7A, 0x98, 0x3D, 0x4C, 0x11, 0x59, 0xE0}, {30000, -5536, 30000}, 11},   // k 14
        // end of file: at and inside the frame header (a verbatim length past the end: silence); in escape frames
        // 0xFF bytes, 1 bits: inside the count (0xFF05), inside residuals at k 0 and 2, before the slope byte,
        // inside the coefficients, inside a verbatim value
        {1, 0, {}, {}, 0}, {1, 0, {0x12}, {}, 1}, {1, 0, {0xFF, 0x2F, 0x05}, Ramp(-1, -1, 160), 3},
        {1, 0, {0xFF, 0x0F, 0x04, 0x00}, {0, 0, 0, 0}, 4}, {1, 0, {0xFF, 0x2F, 0x03, 0x00}, {-1, -2, -3}, 4},
        {1, 21, {0xFF, 0x2F, 0x02, 0x00}, {-1, -17}, 4}, {1, 22, {0xFF, 0x3F, 0x01, 0x00, 0x20, 0x08}, {-1}, 6},
        {1, 0, {0xFF, 0xFF, 0x02, 0x00, 0x01, 0x00, 0x34}, {1, -204}, 7},
        // the length as coded; cut inside the body or inside a verbatim frame's values: silence, at the end
        {1, 0, CountingFrame(62), counting, 62}, {1, 0, CountingFrame(62, 30), {}, 30}, {1, 0, LE(0xF142, 2) + Bytes(319, 7), {}, 321},
        // a damaged count above samplesPerFrame (162 verbatim values, 163 zeros at k 0): the surplus is read, so
        // the next frame is found, but never written
        {1, 0, Bytes{0xFF, 0xFF, 162, 0x00} + Bytes(324, 1) + Bytes{0x99}, Values(160, 257), 328},
        {1, 0, Bytes{0xFF, 0x0F, 163, 0x00} + BitsToBytes(std::string(163, '1')) + Bytes{0x99}, {}, 25},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        FILE* file = FileOf(StreamHeaderBytes(row.channels, 8000, row.coder, 1) + row.bytes);
        StreamHeader header;
        ASSERT_EQ(ReadStreamHeader(file, header), Ok);
        Values out((size_t)header.samplesPerFrame + 1, 0x5A5A), want = row.values;
        unsigned char* outputPosition = (unsigned char*)out.data();   // a little-endian host
        EXPECT_EQ(DecodeFrame(file, header, outputPosition), Ok);
        EXPECT_EQ(ftell(file) - FirstFrameOffset, row.consumed);
        fclose(file);
        EXPECT_TRUE(outputPosition == (unsigned char*)&out.back() && out.back() == 0x5A5A) << "not one frame";
        want.resize(out.size() - 1, 0);
        EXPECT_EQ(Values(out.begin(), out.end() - 1), want);
    }
}

// Frames in turn from a 200 Hz mono stream (4 values a frame): O Ok, F Failed. A damaged frame (its coding
// used other bytes than its FrameHeader records; verbatim: other than 2 a value) is silence and the next
// frame is found by the recorded length, at least 2 bytes on. A = 1, 2, 3, 4 coded at k 0; V = 9, 8, 7, 6.
TEST(DecodeFrame, DamagedFramesAreSilenceAndTheNextIsFound)
{
    const Bytes a = {0x04, 0x00, 0x6D, 0xB0}, v = {0x0A, 0xF0, 9, 0, 8, 0, 7, 0, 6, 0};
    struct Row { const char* name; Bytes bytes; const char* results; Values values; long consumed; } rows[] = {
        {"too long, too short", a + Bytes{0x06, 0x00, 0x6D, 0xB0, 0x99, 0x99} + Bytes{0x03, 0x00, 0x6D} + v, "OFFO",
         {1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 9, 8, 7, 6}, 23},
        {"lengths 0 and 1", Bytes{0x00, 0x00} + Bytes{0x01, 0x30} + a, "FFO", {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4}, 8},
        {"no frame intact", LE(0xF00B, 2) + Bytes(9, 0x7F) + LE(0xF009, 2) + Bytes(7, 0x80) + Bytes{0x02, 0x00}, "FFF", {}, 22},
        {"cut, then past the end", a + Bytes{0x04, 0x00, 0x6D}, "OOO", {1, 2, 3, 4}, 7},
        {"escape after damage", Bytes{0x05, 0x00, 0x6D, 0xB0, 0x99} + Bytes{0xFF, 0x0F, 0x04, 0x00, 0x6D, 0xB0, 0x00}, "FO",
         {0, 0, 0, 0, 1, 2, 3, 4}, 11},
    };
    for (const Row& row : rows) {
        FILE* file = FileOf(StreamHeaderBytes(1, 200, 0, 100) + row.bytes);
        StreamHeader header;
        ASSERT_EQ(ReadStreamHeader(file, header), Ok);
        std::string results;
        Values out(4 * strlen(row.results)), want = row.values;
        unsigned char* outputPosition = (unsigned char*)out.data();
        for (size_t f = 0; f < strlen(row.results); f++) results += DecodeFrame(file, header, outputPosition) == Ok ? 'O' : 'F';
        want.resize(out.size(), 0);
        EXPECT_EQ(results, row.results) << row.name;
        EXPECT_EQ(out, want) << row.name;
        EXPECT_EQ(ftell(file) - FirstFrameOffset, row.consumed) << row.name;
        fclose(file);
    }
}
