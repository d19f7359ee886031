// Encoder: the residual code from both sides, the choice of k, the wrap, frame sizes, round
// trips through the player's own decoder with the seekability rule, and the WAV reader's
// acceptances and refusals. tools.sh checks an encoded file's header byte for byte.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/bitreader.h"
#include "codec/framedecoder.h"
#include "encoder/frameencoder.h"
#include "encoder/residualwriter.h"
#include "encoder/streamwriter.h"
#include "encoder/wavreader.h"
#include "testfiles.h"

// Each word's bits and length, and the decoder's reader taking back the value
// from exactly those bytes.
TEST(ResidualCode, WordsAsTheDecoderReadsThem)
{
    struct Row { int k; int32_t residual; const char* bits; } rows[] = {
        {2, 3, "1 011"}, {2, 5, "01 1 01"}, {2, -7, "01 0 00"}, {2, -40000, "0000 1 0110001111000000"},
        {0, 0, "1"}, {0, 1, "01 1"}, {0, -1, "01 0"}, {0, 2, "001 1 0"}, {0, -2, "001 0 1"}, {0, -3, "001 0 0"},
        {0, 4, "0001 1 00"}, {0, -4, "0001 0 11"}, {0, -7, "0001 0 00"}, {1, -1, "1 11"}, {1, -2, "1 10"},
        {3, -8, "1 1000"},          // the shorter of its two codes
        {3, 7, "1 0111"}, {3, 8, "01 1 000"}, {3, -31, "001 0 0000"}, {3, 31, "001 1 1111"},
        {3, -16, "001 0 1111"},     // -2^(k+1) starts class 001
        {14, 131071, "0001 1 1111111111111111"}, {14, -131071, "0001 0 0000000000000000"},
        {0, 65535, "0000 0 1111111111111111"}, {0, -65536, "0000 1 0000000000000000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "k " << row.k << " residual " << row.residual);
        Bytes want = BitsToBytes(row.bits);
        int length = 0;
        for (const char* c = row.bits; *c; c++) length += *c != ' ';
        EXPECT_EQ(ResidualBits(row.residual, row.k), length);
        unsigned char out[8] = {};
        BitWriter writer;
        StartBits(writer, out);
        WriteResidual(writer, row.residual, row.k);
        EXPECT_EQ(Bytes(out, FinishBits(writer)), want);
        FILE* file = FileOf(want + Bytes{0x55});
        bitReader.bitMask = 0;
        EXPECT_EQ(ReadResidual(file, row.k), row.residual);
        EXPECT_EQ(ftell(file), (long)want.size()) << "fetched a byte it did not need";
        fclose(file);
    }
    EXPECT_EQ(ResidualBits(65536, 0), UncodableResidual);
    EXPECT_EQ(ResidualBits(-65537, 12), UncodableResidual);
    EXPECT_EQ(ResidualBits(131072, 14), UncodableResidual);
}

// A frame whose FrameHeader records its length is read whole and decoded from
// memory; the same body behind an escape FrameHeader is read byte by byte.
// Random words of every class at the edge values of k, after random
// coefficients, must decode alike both ways and leave the stream at the
// frame's end. Only reading byte by byte touches the BitReader, so it also
// shows that the recorded frame was read whole.
TEST(DecodeFrame, ReadWholeOrByteByByteAlike)
{
    std::mt19937 random(11);
    struct Row { int coder, channels, sampleRate, coefficientBits; } rows[] = {
        {0, 1, 8000, 0}, {0, 2, 11025, 0}, {21, 1, 11025, 4}, {21, 2, 8000, 4}, {22, 2, 11025, 30}, {22, 1, 8000, 30},
    };
    for (const Row& row : rows) {
        for (int k : {0, 1, 6, 13, 14}) {
            SCOPED_TRACE(testing::Message() << "coder " << row.coder << " channels " << row.channels << " k " << k);
            StreamHeader header = {};
            header.channels = row.channels;
            header.coderType = row.coder;
            header.samplesPerFrame = row.sampleRate * row.channels / 50;
            unsigned char body[MaxFrameValues * EscapeBits / 8 + 8];
            BitWriter writer;
            StartBits(writer, body);
            WriteBits(writer, random() >> 2, row.coefficientBits);
            for (int i = 0; i < header.samplesPerFrame; i++) {
                int32_t residual = 1 << 17;
                while (ResidualBits(residual, k) == UncodableResidual) {
                    int magnitudeBits = (int)(random() % 18);
                    residual = (int32_t)(random() % (2u << magnitudeBits)) - (1 << magnitudeBits);
                }
                WriteResidual(writer, residual, k);
            }
            Bytes coded(body, FinishBits(writer));
            Bytes frames[2] = {LE(k << 12 | (int)(coded.size() + 2), 2) + coded,
                               LE(k << 12 | 0xFFF, 2) + LE(header.samplesPerFrame, 2) + coded};
            Bytes out[2];
            for (int way = 0; way < 2; way++) {
                out[way].resize((size_t)header.samplesPerFrame * 2);
                FILE* file = FileOf(frames[way] + Bytes{0x55});
                bitReader = BitReader{0x1234, 0x1234};
                unsigned char* outputPosition = out[way].data();
                DecodeFrame(file, header, outputPosition);
                EXPECT_EQ(ftell(file), (long)frames[way].size()) << way;
                EXPECT_EQ(bitReader.currentByte == 0x1234, way == 0) << way;
                fclose(file);
            }
            EXPECT_EQ(out[0], out[1]);
        }
    }
}

// The k chosen from the histogram and its bit count, as "k 2: 14 bits", or "none".
static std::string BestK(const std::vector<int32_t>& residuals)
{
    ResidualLengths lengths;
    CountResidualLengths(residuals.data(), (int)residuals.size(), lengths);
    int k;
    int64_t bits;
    if (ChooseResidualK(lengths, k, bits) != Ok) return "none";
    return "k " + std::to_string(k) + ": " + std::to_string(bits) + " bits";
}

TEST(ResidualCode, ChoosesTheKWithFewestBits)
{
    EXPECT_EQ(BestK({}), "k 0: 0 bits");
    EXPECT_EQ(BestK({3, 5, -7}), "k 2: 14 bits");   // k 1 needs 4 + 6 + 6, k 3 needs 15
    EXPECT_EQ(BestK({-1}), "k 0: 3 bits");          // 3 bits at k 0 and 1: the smaller k
    EXPECT_EQ(BestK({-2}), "k 1: 3 bits");          // class 1 at k 1; class 001 at k 0
    EXPECT_EQ(BestK({-4, -4}), "k 2: 8 bits");
    EXPECT_EQ(BestK({100000}), "k 14: 21 bits");    // only class 0001 of k 14 holds it
    EXPECT_EQ(BestK({200000}), "none");
    EXPECT_EQ(BestK({-65536, 0}), "k 0: 22 bits");  // the escape at k 0
}

// Full scale under the slope coder at slope 8, by hand: the prediction 65527
// wraps the second residual to -32759 and leaves 32768 in the decoder's state.
TEST(Residuals, WrapFollowsTheDecodersState)
{
    std::vector<int16_t> values = {32767, -32768, 32767, -32768, 32767, -32768};
    static FrameSignal signal;
    LoadFrameSignal(signal, values.data(), 6, 1);
    std::vector<int32_t> residuals(6);
    SlopeResiduals(signal, 8, residuals.data());
    EXPECT_EQ(residuals, (std::vector<int32_t>{32767, -32759, -1, 9, -1, 9}));
}

TEST(PlanFrame, SizesOfSilenceNoiseAndEmptyFrames)
{
    struct Row { const char* what; int coder, count; bool escape, noise; int bytes; bool verbatim; } rows[] = {
        {"delta silence: 882 one-bit words", DeltaCoder, 882, false, false, 2 + 111, false},
        {"three-tap silence: 30 + 882 bits", ThreeTapCoder, 882, false, false, 2 + 114, false},
        {"escape adds sampleCount", DeltaCoder, 5, true, false, 4 + 1, false},
        {"empty delta frame: a tie goes to verbatim", DeltaCoder, 0, true, false, 4, true},
        {"empty three-tap frame: 4 coefficient bytes", ThreeTapCoder, 0, true, false, 4, true},
        {"full-scale noise is verbatim", ThreeTapCoder, 1920, false, true, 2 + 3840, true},
        {"largest frame fits frameLength", SlopeCoder, MaxFrameValues, false, true, 2 + 4000, true},
    };
    static FrameSignal signal;
    std::vector<int16_t> values(MaxFrameValues);
    uint32_t seed = 1;
    for (const Row& row : rows) {
        for (int i = 0; i < row.count; i++) values[i] = row.noise ? (int16_t)((seed = seed * 1664525u + 1013904223u) >> 16) : 0;
        LoadFrameSignal(signal, values.data(), row.count, 2);
        FramePlan plan;
        PlanFrame(signal, row.coder, NormalLevel, row.escape, plan);
        EXPECT_EQ(plan.bytes, row.bytes) << row.what;
        EXPECT_EQ(plan.verbatim, row.verbatim) << row.what;
        unsigned char out[MaxFrameBytes];
        EXPECT_EQ(WriteFrame(signal, plan, out), row.bytes) << row.what;
    }
}

enum SignalKind { Silence, FullScaleSquare, Sine, WhiteNoise, Chirp, Clicks, SignalKinds };

// Channels differ, so that a swap of channels would show.
static std::vector<int16_t> MakeSignal(int kind, int rate, int channels, int samples)
{
    std::vector<int16_t> values;
    uint32_t seed = 99;
    const double pi = 3.14159265358979;
    for (int i = 0; i < samples * channels; i++) {
        int ch = i % channels, n = i / channels;
        double t = (double)n / rate, v = 0;   // silence
        seed = seed * 1664525u + 1013904223u;
        if (kind == FullScaleSquare) v = ((n / (7 + ch)) & 1) ? 32767 : -32768;
        if (kind == Sine) v = 20000 * std::sin(2 * pi * (440 + 110 * ch) * t);
        if (kind == WhiteNoise) v = (int16_t)(seed >> 16);
        if (kind == Chirp) v = 30000 * std::sin(2 * pi * (50 + 4000 * t) * t * (ch + 1));
        if (kind == Clicks) v = (n % 97 == ch) ? 32767 : (n % 89 == 0) ? -32768 : 0;
        values.push_back((int16_t)std::lround(v));
    }
    return values;
}

// Encodes, then reads the file as the player does, frame after frame with
// DecodeFrame: each recorded frameLength is the bytes the decoder consumed
// (what a seek walk relies on), and only the last frame carries the escape.
static void ExpectRoundTrip(const std::vector<int16_t>& values, int channels, int rate, int coder, int level)
{
    FILE* file = tmpfile();
    EncodeResult result;
    int64_t totalSamples = (int64_t)values.size() / channels;
    ASSERT_EQ(EncodeStream(values.data(), totalSamples, channels, rate, {coder, level, nullptr, nullptr}, file, result), Ok);
    EXPECT_EQ(ftell(file), result.fileBytes);
    EXPECT_TRUE(coder == AutoCoder || result.coderType == coder);
    rewind(file);
    StreamHeader header;
    ASSERT_EQ(ReadStreamHeader(file, header), Ok);
    EXPECT_EQ(header.totalSamples, totalSamples);
    int spf = header.samplesPerFrame;
    int64_t frames = values.empty() ? 1 : ((int64_t)values.size() + spf - 1) / spf;
    std::vector<int16_t> decoded((size_t)(frames * spf)), want = values;
    unsigned char* outputPosition = (unsigned char*)decoded.data();   // a little-endian host
    for (int64_t f = 0; f < frames; f++) {
        long at = ftell(file);
        int frameLength = ReadLittleEndian(file, 2) & 0xFFF;
        fseek(file, at, SEEK_SET);
        DecodeFrame(file, header, outputPosition);
        ASSERT_EQ(frameLength, f < frames - 1 ? ftell(file) - at : EscapeLength) << "frame " << f;
    }
    EXPECT_EQ(getc(file), EOF) << "bytes after the last frame";
    fclose(file);
    want.resize(decoded.size(), 0);
    ASSERT_EQ(decoded, want);
}

TEST(EncodeStream, RoundTripsEdgesLevelsAndEveryCoderRateAndSignal)
{
    struct Row { const char* what; int kind, rate, channels, samples, coder, level; };
    std::vector<Row> rows = {
        {"zero samples: one empty frame", Sine, 44100, 2, 0, AutoCoder, NormalLevel},
        {"one sample", FullScaleSquare, 8000, 1, 1, ThreeTapCoder, NormalLevel},
        {"exactly two frames: the last is full and escaped", Sine, 8000, 2, 320, AutoCoder, NormalLevel},
        {"odd samplesPerFrame, one value in the last frame", Chirp, 11025, 2, 441, SlopeCoder, NormalLevel},
        {"50 Hz mono: one value per frame", Sine, 50, 1, 7, ThreeTapCoder, NormalLevel},
        {"100000 values per second", WhiteNoise, 50000, 2, 2500, AutoCoder, NormalLevel},
        {"fast", Chirp, 22050, 2, 1000, AutoCoder, FastLevel},
        {"best", Chirp, 22050, 2, 1000, AutoCoder, BestLevel},
        {"yardstick", Chirp, 8000, 2, 400, AutoCoder, YardstickLevel},
        {"yardstick on full scale", FullScaleSquare, 8000, 1, 400, ThreeTapCoder, YardstickLevel},
    };
    // two frames and a half and three samples: the last frame ends mid-frame
    for (int rate : {8000, 11025, 22050, 44100, 48000})
        for (int channels = 1; channels <= 2; channels++)
            for (int kind = 0; kind < SignalKinds; kind++)
                for (int coder : {AutoCoder, DeltaCoder, SlopeCoder, ThreeTapCoder})
                    rows.push_back({"", kind, rate, channels, rate / 50 * 2 + rate / 100 + 3, coder, NormalLevel});
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.what << " signal " << row.kind << " " << row.rate << " Hz "
                                        << row.channels << " ch coder " << row.coder << " level " << row.level);
        ExpectRoundTrip(MakeSignal(row.kind, row.rate, row.channels, row.samples), row.channels, row.rate, row.coder,
                        row.level);
    }
}

static Bytes Chunk(const char* id, const Bytes& body, int64_t sizeField = -1)
{
    return Text(id) + LE(sizeField >= 0 ? (uint32_t)sizeField : (uint32_t)body.size(), 4) + body +
           Bytes(body.size() & 1, 0);
}

// subTag >= 0 makes a WAVE_FORMAT_EXTENSIBLE chunk with that sub-format.
static Bytes Format(int tag, int channels, int rate, int bits, int subTag = -1)
{
    Bytes body = LE(subTag >= 0 ? 0xFFFE : tag, 2) + LE(channels, 2) + LE(rate, 4) + LE(rate * channels * bits / 8, 4) +
                 LE(channels * bits / 8, 2) + LE(bits, 2);
    if (subTag >= 0) body = body + LE(22, 2) + LE(bits, 2) + LE(3, 4) + LE(subTag, 2) + Bytes(14, 0x71);
    return Chunk("fmt ", body);
}

static Bytes Riff(const Bytes& chunks, int64_t size = -1) { return Chunk("RIFF", Text("WAVE") + chunks, size); }

// WavNoFailure rows give stereo 44.1 kHz and values 1, 2, 3, 4 unless they say otherwise;
// the refusals with a message of their own are in tools.sh.
TEST(ReadWav, AcceptsPcmInAnyLayoutAndRefusesWhatItCannotEncode)
{
    Bytes four = LE(1, 2) + LE(2, 2) + LE(3, 2) + LE(4, 2), pcm = Format(1, 2, 44100, 16), data = Chunk("data", four);
    Bytes list = Chunk("LIST", Text("INFOa"));   // 5 bytes: padded to 6
    struct Row { const char* what; Bytes file; int failure; int channels = 2; std::vector<int16_t> values = {1, 2, 3, 4};
                 int rate = 44100; } rows[] = {
        {"plain", Riff(pcm + data), WavNoFailure},
        {"extensible PCM", Riff(Format(0, 2, 44100, 16, 1) + data), WavNoFailure},
        {"odd LIST first, fmt after data, LIST last", Riff(list + data + pcm + list), WavNoFailure},
        {"pipe: sizes 0xFFFFFFFF", Riff(pcm + Chunk("data", four, 0xFFFFFFFF), 0xFFFFFFFF), WavNoFailure},
        {"pipe: sizes 0", Riff(pcm + Chunk("data", four, 0), 0), WavNoFailure},
        {"empty data before a LIST", Riff(pcm + Chunk("data", {}) + list), WavNoFailure, 2, {}},
        {"size larger than the input", Riff(pcm + Chunk("data", four, 0x7FFFF000)), WavNoFailure},
        {"truncated in a sample frame", Riff(pcm + Chunk("data", LE(1, 2) + LE(2, 2) + LE(3, 2), 6)), WavNoFailure, 2, {1, 2}},
        {"100000 values a second in mono", Riff(Format(1, 1, 100000, 16) + data), WavNoFailure, 1, {1, 2, 3, 4}, 100000},
        {"empty input", {}, WavNotRiffWave},
        {"24-bit extensible", Riff(Format(0, 2, 44100, 24, 1) + data), WavBitDepth},
        {"float extensible", Riff(Format(0, 2, 44100, 32, 3) + data), WavFloat},
        {"ADPCM", Riff(Format(2, 2, 44100, 4) + data), WavNotPcm},
        {"0 channels", Riff(Format(1, 0, 44100, 16) + data), WavChannelCount},
        {"50001 Hz stereo", Riff(Format(1, 2, 50001, 16) + data), WavRateTooHigh},
        {"no fmt", Riff(data), WavNoFormat},
        {"short fmt", Riff(Chunk("fmt ", Bytes(14, 0)) + data), WavNoFormat},
        {"no data", Riff(pcm), WavNoData},
    };
    for (const Row& row : rows) {
        FILE* file = FileOf(row.file);
        WavAudio audio;
        EXPECT_EQ(ReadWav(file, audio), row.failure == WavNoFailure ? Ok : Failed) << row.what;
        fclose(file);
        EXPECT_EQ(audio.failure, row.failure) << row.what;
        if (row.failure != WavNoFailure) continue;
        EXPECT_EQ(audio.channels, row.channels) << row.what;
        EXPECT_EQ(audio.sampleRate, row.rate) << row.what;
        EXPECT_EQ(audio.values, row.values) << row.what;
        EXPECT_EQ(audio.totalSamples, (int64_t)row.values.size() / row.channels) << row.what;
    }
}
