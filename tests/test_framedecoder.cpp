// Frame decoder: worked examples, the edge cases of each coder, end of file,
// and the stream vectors in tests/vectors.
#include <dirent.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/framedecoder.h"
#include "testfiles.h"

struct Decoded {
    std::vector<int16_t> values;
    long consumed;
};

static StreamHeader HeaderFor(int channels, int sampleRate, int coderType)
{
    StreamHeader header = {};
    header.channels = channels;
    header.sampleRate = sampleRate;
    header.coderType = coderType;
    header.samplesPerFrame = sampleRate * channels / 50;
    return header;
}

static Decoded DecodeFrames(const StreamHeader& header, const Bytes& bytes, int frames = 1)
{
    FILE* file = FileOf(bytes);
    std::vector<unsigned char> out((size_t)header.samplesPerFrame * 2 * frames + 2, 0xAB);
    unsigned char* outputPosition = out.data();
    for (int i = 0; i < frames; i++) DecodeFrame(file, header, outputPosition);
    Decoded result;
    EXPECT_EQ(outputPosition - out.data(), (long)header.samplesPerFrame * 2 * frames);
    EXPECT_EQ(out[out.size() - 1], 0xAB) << "wrote past the frame's share";
    for (long i = 0; i < outputPosition - out.data(); i += 2) result.values.push_back((int16_t)(out[i] | out[i + 1] << 8));
    result.consumed = ftell(file);
    fclose(file);
    return result;
}

// The first values as given, then zero padding to the end of the frame.
static void ExpectValues(const Decoded& decoded, const std::vector<int16_t>& first, const char* what)
{
    for (size_t i = 0; i < decoded.values.size(); i++) {
        int16_t expected = i < first.size() ? first[i] : 0;
        ASSERT_EQ(decoded.values[i], expected) << what << " value " << i;
    }
}

TEST(DecodeFrame, WorkedExamplesAndCoderEdges)
{
    struct Row {
        const char* what; int channels, coder; Bytes bytes; std::vector<int16_t> values; long consumed;
    } rows[] = {
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
        {"three-tap fields 0", 1, 22,
         Bytes{0xFF, 0x8F, 0x03, 0x00} +
             BitsToBytes("0000000000 0000000000 0000000000  01 1 00000000  1 000000000  1 000000000"),
         {256, -128, 192}, 12},
        // fields 128, 128, 256: every tap 0, each value is its residual
        {"three-tap taps 0", 2, 22,
         Bytes{0xFF, 0x7F, 0x03, 0x00} +
             BitsToBytes("0010000000 0010000000 0100000000  1 00000111  1 11111101  1 01100100"),
         {7, -3, 100}, 12},
        // values leave 16 bits: written as their low 16 bits, the sum keeps 32
        {"delta beyond 16 bits", 1, 0,
         Bytes{0xFF, 0xEF, 0x03, 0x00} +
             BitsToBytes("01 1 11010100110000  01 1 11010100110000  01 0 00101011001111"),
         {30000, -5536, 30000}, 11},
    };
    for (const Row& row : rows) {
        Decoded decoded = DecodeFrames(HeaderFor(row.channels, 44100, row.coder), row.bytes);
        ExpectValues(decoded, row.values, row.what);
        EXPECT_EQ(decoded.consumed, row.consumed) << row.what;
    }
}

TEST(DecodeFrame, VerbatimFrameCopiesBytes)
{
    StreamHeader header = HeaderFor(1, 8000, 0);   // 160 values
    Bytes frame = {0x42, 0xF1};                     // frameLength 322, k 15
    std::vector<int16_t> expected;
    for (int i = 0; i < 160; i++) {
        frame.push_back((unsigned char)(i * 37));
        frame.push_back((unsigned char)(i * 91 + 128));
        expected.push_back((int16_t)((i * 37 & 0xFF) | (i * 91 + 128) << 8));
    }
    Decoded decoded = DecodeFrames(header, frame + Bytes{0x99});
    ExpectValues(decoded, expected, "verbatim");
    EXPECT_EQ(decoded.consumed, 322);
}

TEST(DecodeFrame, StereoChannelIndexRestartsInEveryFrame)
{
    // 11025 Hz stereo: 441 values per frame, odd. Every residual is 1.
    StreamHeader header = HeaderFor(2, 11025, 0);
    std::string bits;
    for (int i = 0; i < 441; i++) bits += "011";
    Bytes frame = Bytes{0x01, 0x00} + BitsToBytes(bits);
    Decoded decoded = DecodeFrames(header, frame + frame, 2);
    EXPECT_EQ(decoded.values[0], 1);
    EXPECT_EQ(decoded.values[439], 220);   // right channel's 220th value
    EXPECT_EQ(decoded.values[440], 221);   // left channel's 221st value, the frame's last
    EXPECT_EQ(decoded.values[441], 1);     // the next frame starts again with channel 0
    EXPECT_EQ(decoded.values[442], 1);
    EXPECT_EQ(decoded.values[881], 221);
    EXPECT_EQ(decoded.consumed, (long)frame.size() * 2);
}

TEST(DecodeFrame, EndOfFileInEachPlace)
{
    struct Row { const char* what; int coder; Bytes bytes; std::vector<int16_t> values; long consumed; } rows[] = {
        {"at the frame header", 0, {}, {}, 0},
        {"inside the frame header: verbatim of 0xFF bytes", 0, {0x12}, std::vector<int16_t>(160, -1), 1},
        {"inside the residuals, k 0", 0, {0xFF, 0x0F, 0x04, 0x00}, {0, 0, 0, 0}, 4},
        {"inside the residuals, k 2", 0, {0xFF, 0x2F, 0x03, 0x00}, {-1, -2, -3}, 4},
        {"before the slope byte", 21, {0xFF, 0x2F, 0x02, 0x00}, {-1, -17}, 4},
        {"inside the coefficients", 22, {0xFF, 0x3F, 0x01, 0x00, 0x20, 0x08}, {-1}, 6},
        {"inside a verbatim value", 0, {0xFF, 0xFF, 0x02, 0x00, 0x01, 0x00, 0x34}, {1, -204}, 7},
    };
    for (const Row& row : rows) {
        Decoded decoded = DecodeFrames(HeaderFor(1, 8000, row.coder), row.bytes);
        ExpectValues(decoded, row.values, row.what);
        EXPECT_EQ(decoded.consumed, row.consumed) << row.what;
    }
}

TEST(DecodeFrame, SurplusValuesAreReadButNotWritten)
{
    StreamHeader header = HeaderFor(1, 8000, 0);   // 160 values
    Bytes next = {0xFF, 0x2F, 0x01, 0x00, 0xB0};   // k 2, one residual 3

    Bytes verbatim = {0xFF, 0xFF, 162, 0x00};
    for (int i = 0; i < 162; i++) verbatim = verbatim + Bytes{(unsigned char)i, 0};
    Decoded decoded = DecodeFrames(header, verbatim + next, 2);
    EXPECT_EQ(decoded.values[159], 159);
    ExpectValues(Decoded{std::vector<int16_t>(decoded.values.begin() + 160, decoded.values.end()), 0}, {3}, "next");
    EXPECT_EQ(decoded.consumed, (long)(verbatim.size() + next.size()));

    std::string ones(163, '1');                     // 163 residuals of 0 with k 0
    Bytes coded = Bytes{0xFF, 0x0F, 163, 0x00} + BitsToBytes(ones);
    decoded = DecodeFrames(header, coded + next, 2);
    EXPECT_EQ(decoded.values[160], 3);
    EXPECT_EQ(decoded.consumed, (long)(coded.size() + next.size()));

    // A count read from a cut file is 0xFF05: still only 160 values written.
    decoded = DecodeFrames(header, {0xFF, 0x2F, 0x05});
    EXPECT_EQ(decoded.values[0], -1);
    EXPECT_EQ(decoded.values[159], -160);
}

// Whatever length a FrameHeader records, a frame uses exactly the bytes its
// coding needs: a wrong length or a cut file must not change what is decoded
// or where the stream stands afterwards.
TEST(DecodeFrame, RecordedLengthNeverDecidesWhatIsRead)
{
    StreamHeader header = HeaderFor(1, 8000, 0);   // 160 values
    std::string bits;
    std::vector<int16_t> expected;
    for (int i = 0; i < 160; i++) {
        bits += "011";                             // k 0: residual 1, so the sums count up
        expected.push_back((int16_t)(i + 1));
    }
    Bytes body = BitsToBytes(bits);                // 60 bytes
    struct Row { const char* what; int frameLength; long cut; } rows[] = {
        {"length right", 62, 0}, {"length too long", 70, 0}, {"length too short", 10, 0},
        {"length 2", 2, 0}, {"file cut inside the frame", 62, 30},
    };
    for (const Row& row : rows) {
        Bytes frame = Bytes{(unsigned char)row.frameLength, (unsigned char)(row.frameLength >> 8)} + body +
                      Bytes(10, 0x55);
        if (row.cut > 0) frame.resize((size_t)row.cut);
        Decoded decoded = DecodeFrames(header, frame);
        if (row.cut == 0) {
            ExpectValues(decoded, expected, row.what);
            EXPECT_EQ(decoded.consumed, 62) << row.what;
        } else {
            // 224 bits left: 74 words, then "01" that the end of file completes
            // with a 1 bit, then words of 1 bits alone: residual 0 at k 0.
            EXPECT_EQ(decoded.values[73], 74) << row.what;
            EXPECT_EQ(decoded.values[74], 75) << row.what;
            EXPECT_EQ(decoded.values[159], 75) << row.what;
            EXPECT_EQ(decoded.consumed, row.cut) << row.what;
        }
    }
}

// Each vector NAME.wav decodes, frame by frame from its first frame, to NAME.pcm.
TEST(DecodeFrame, StreamVectors)
{
    DIR* dir = opendir(PELORIX_VECTORS_DIR);
    ASSERT_NE(dir, nullptr);
    int checked = 0;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() < 5 || name.substr(name.size() - 4) != ".wav") continue;
        std::string base = std::string(PELORIX_VECTORS_DIR) + "/" + name.substr(0, name.size() - 4);
        FILE* stream = fopen((base + ".wav").c_str(), "rb");
        FILE* pcm = fopen((base + ".pcm").c_str(), "rb");
        ASSERT_TRUE(stream && pcm) << base;
        StreamHeader header;
        ASSERT_EQ(ReadStreamHeader(stream, header), Ok) << name;
        std::vector<unsigned char> frame((size_t)header.samplesPerFrame * 2);
        long expectedBytes = (long)header.totalSamples * header.channels * 2, compared = 0;
        for (int f = 0; f <= header.lastFrame; f++) {
            unsigned char* outputPosition = frame.data();
            DecodeFrame(stream, header, outputPosition);
            for (size_t i = 0; i < frame.size() && compared < expectedBytes; i++, compared++) {
                ASSERT_EQ(frame[i], getc(pcm)) << name << " byte " << compared;
            }
        }
        EXPECT_EQ(compared, expectedBytes) << name;
        EXPECT_EQ(getc(pcm), EOF) << name;
        fclose(stream);
        fclose(pcm);
        checked++;
    }
    closedir(dir);
    EXPECT_GE(checked, 10);
}
