// Bit reader and frame decoder: worked examples, the edges of each coder, end
// of file, damaged lengths and counts. Each code word, written and read back,
// is in test_encoder.cpp; the stream vectors in tests/vectors are decoded and
// compared by tools.sh, through the decoder's command line.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/bitreader.h"
#include "codec/framedecoder.h"
#include "testfiles.h"

// With k = 2, B6 A0 2C 78 00 reads 3, 5, -7, -40000, each word fetching a
// byte only when it needs one of its bits.
TEST(ReadResidual, WorkedExampleFetchesOnlyTheBytesItNeeds)
{
    FILE* file = FileOf({0xB6, 0xA0, 0x2C, 0x78, 0x00, 0x55});
    bitReader.bitMask = 0;
    struct Word { int32_t value; long fetched; } words[] = {{3, 1}, {5, 2}, {-7, 2}, {-40000, 5}};
    for (const Word& word : words) {
        EXPECT_EQ(ReadResidual(file, 2), word.value);
        EXPECT_EQ(ftell(file), word.fetched) << word.value;
    }
    fclose(file);
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

// Frames of an 8000 Hz stream (160 values per channel) from bytes: the values
// written, padding included, and the bytes read.
static Values DecodeFrames(int channels, int coder, const Bytes& bytes, int frames, long& consumed)
{
    StreamHeader header = {};
    header.channels = channels;
    header.sampleRate = 8000;
    header.coderType = coder;
    header.samplesPerFrame = 160 * channels;
    std::vector<unsigned char> out((size_t)header.samplesPerFrame * 2 * frames + 1, 0xAB);
    unsigned char* outputPosition = out.data();
    FILE* file = FileOf(bytes);
    for (int i = 0; i < frames; i++) DecodeFrame(file, header, outputPosition);
    consumed = ftell(file);
    fclose(file);
    EXPECT_EQ(outputPosition - out.data(), (long)out.size() - 1);
    EXPECT_EQ(out.back(), 0xAB) << "wrote past the frames";
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
    };
    for (const Row& row : rows) {
        long consumed;
        Values want = row.values;
        want.resize(160 * row.channels, 0);
        EXPECT_EQ(DecodeFrames(row.channels, row.coder, row.bytes, 1, consumed), want) << row.what;
        EXPECT_EQ(consumed, row.consumed) << row.what;
    }
}

// A frame that claims more values than samplesPerFrame (a damaged count):
// the surplus is read, so the next frame is found, but never written.
TEST(DecodeFrame, SurplusValuesAreReadButNotWritten)
{
    Bytes next = {0xFF, 0x2F, 0x01, 0x00, 0xB0};   // k 2, one residual: 3
    Bytes verbatim = {0xFF, 0xFF, 162, 0x00};
    for (int i = 0; i < 162; i++) verbatim = verbatim + Bytes{(unsigned char)i, 0};
    Bytes coded = Bytes{0xFF, 0x0F, 163, 0x00} + BitsToBytes(std::string(163, '1'));   // 163 zeros at k 0
    for (const Bytes* frame : {&verbatim, &coded}) {
        Values want = frame == &coded ? Values(160, 0) : Ramp(0, 1, 160, 160);
        want.push_back(3);
        want.resize(320, 0);
        long consumed;
        EXPECT_EQ(DecodeFrames(1, 0, *frame + next, 2, consumed), want);
        EXPECT_EQ(consumed, (long)(frame->size() + next.size()));
    }
}
