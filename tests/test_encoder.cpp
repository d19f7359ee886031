// Encoder: the residual code from the writing side, the predictors' wrap, the
// frame sizes, the header, round trips through the player's own decoder with
// the seekability rule, and the WAV reader's refusals and acceptances.
#include <climits>
#include <cmath>
#include <cstring>
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

// ---- residual code ----

// Each word's bits, its counted length, and the decoder's reader giving the value back.
TEST(ResidualCode, WordsAsTheDecoderReadsThem)
{
    struct Row { int k; int32_t residual; const char* bits; };
    const Row rows[] = {
        {2, 3, "1 011"}, {2, 5, "01 1 01"}, {2, -7, "01 0 00"}, {2, -40000, "0000 1 0110001111000000"},
        {0, 0, "1"}, {0, 1, "01 1"}, {0, -1, "01 0"}, {0, 2, "001 1 0"}, {0, -7, "0001 0 00"},
        {3, -8, "1 1000"},           // the shorter of its two codes
        {3, 7, "1 0111"}, {3, 8, "01 1 000"}, {3, -31, "001 0 0000"},
        {3, -16, "001 0 1111"},      // -2^(k+1) starts class 001
        {14, 131071, "0001 1 1111111111111111"}, {14, -131071, "0001 0 0000000000000000"},
        {0, 65535, "0000 0 1111111111111111"}, {0, -65536, "0000 1 0000000000000000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "k " << row.k << " residual " << row.residual);
        std::string compact;
        for (const char* c = row.bits; *c; c++)
            if (*c != ' ') compact += *c;
        EXPECT_EQ(ResidualBits(row.residual, row.k), (int)compact.size());
        unsigned char out[8] = {};
        BitWriter writer;
        StartBits(writer, out);
        WriteResidual(writer, row.residual, row.k);
        Bytes written(out, FinishBits(writer));
        EXPECT_EQ(written, BitsToBytes(compact));
        FILE* file = FileOf(written);
        bitReader.bitMask = 0;
        EXPECT_EQ(ReadResidual(file, row.k), row.residual);
        fclose(file);
    }
    EXPECT_EQ(ResidualBits(65536, 0), UncodableResidual);
    EXPECT_EQ(ResidualBits(-65537, 12), UncodableResidual);
    EXPECT_EQ(ResidualBits(131072, 14), UncodableResidual);
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
    EXPECT_EQ(BestK({0, 0, 0, 0}), "k 0: 4 bits");
    EXPECT_EQ(BestK({3, 5, -7}), "k 2: 14 bits");   // k 1 needs 4 + 6 + 6, k 3 needs 15
    EXPECT_EQ(BestK({-1}), "k 0: 3 bits");          // 3 bits at k 0 and 1: the smaller k
    EXPECT_EQ(BestK({-2}), "k 1: 3 bits");          // class 1 at k 1; class 001 at k 0
    EXPECT_EQ(BestK({-4, -4}), "k 2: 8 bits");
    EXPECT_EQ(BestK({100000}), "k 14: 21 bits");    // only class 0001 of k 14 holds it
    EXPECT_EQ(BestK({200000}), "none");
    EXPECT_EQ(BestK({-65536, 0}), "k 0: 22 bits");  // the escape at k 0

    // Magnitudes of every size within the escape's range: the histogram's choice
    // is the k whose single word lengths sum least (the smaller k on a tie).
    std::vector<int32_t> residuals = {-32768, 32767, -65536, 65535};
    uint32_t seed = 12345;
    for (int i = 0; i < 3000; i++) {
        seed = seed * 1664525u + 1013904223u;
        int shift = 15 + (int)(seed >> 28);
        seed = seed * 1664525u + 1013904223u;
        residuals.push_back((int32_t)seed >> shift);
    }
    std::string best;
    int64_t fewest = INT64_MAX;
    for (int k = 0; k <= 14; k++) {
        int64_t sum = 0;
        for (int32_t r : residuals) sum += ResidualBits(r, k);
        if (sum < fewest) best = "k " + std::to_string(k) + ": " + std::to_string(fewest = sum) + " bits";
    }
    EXPECT_EQ(BestK(residuals), best);
}

// ---- predictors run forward ----

TEST(Residuals, WrapFollowsTheDecodersState)
{
    // Full-scale alternation under the slope coder at slope 8, worked by hand:
    // the prediction 65527 wraps the second residual to -32759 and leaves
    // 32768 in the decoder's state; from then on the residuals are -1 and 9.
    std::vector<int16_t> values = {32767, -32768, 32767, -32768, 32767, -32768};
    static FrameSignal signal;
    LoadFrameSignal(signal, values.data(), 6, 1);
    int32_t residuals[6];
    SlopeResiduals(signal, 8, residuals);
    std::vector<int32_t> got(residuals, residuals + 6);
    EXPECT_EQ(got, (std::vector<int32_t>{32767, -32759, -1, 9, -1, 9}));
    // Three taps 3, -3, 1 on a ramp of slope 1000 are exact after the start.
    std::vector<int16_t> ramp = {1000, 2000, 3000, 4000, 5000};
    LoadFrameSignal(signal, ramp.data(), 5, 1);
    ThreeTapResiduals(signal, 768, -768, 256, residuals);
    got.assign(residuals, residuals + 5);
    EXPECT_EQ(got, (std::vector<int32_t>{1000, -1000, 0, 0, 0}));
}

// ---- frames and header ----

TEST(PlanFrame, SizesOfSilenceNoiseAndEmptyFrames)
{
    struct Row {
        const char* what; int coder; int count; bool escape; bool noise; int bytes; bool verbatim;
    } rows[] = {
        {"delta silence: 882 one-bit words", DeltaCoder, 882, false, false, 2 + 111, false},
        {"slope silence: 4 + 882 bits", SlopeCoder, 882, false, false, 2 + 111, false},
        {"three-tap silence: 30 + 882 bits", ThreeTapCoder, 882, false, false, 2 + 114, false},
        {"escape adds sampleCount", DeltaCoder, 5, true, false, 4 + 1, false},
        {"empty delta frame: verbatim 4 bytes", DeltaCoder, 0, true, false, 4, true},
        {"empty three-tap frame", ThreeTapCoder, 0, true, false, 4, true},
        {"full-scale noise is verbatim", ThreeTapCoder, 1920, false, true, 2 + 3840, true},
        {"largest frame fits frameLength", SlopeCoder, MaxFrameValues, false, true, 2 + 4000, true},
    };
    static FrameSignal signal;
    std::vector<int16_t> values(MaxFrameValues, 0);
    uint32_t seed = 1;
    for (const Row& row : rows) {
        for (int i = 0; i < row.count; i++) {
            seed = seed * 1664525u + 1013904223u;
            values[i] = row.noise ? (int16_t)(seed >> 16) : 0;
        }
        LoadFrameSignal(signal, values.data(), row.count, 2);
        FramePlan plan;
        PlanFrame(signal, row.coder, NormalLevel, row.escape, plan);
        EXPECT_EQ(plan.bytes, row.bytes) << row.what;
        EXPECT_EQ(plan.verbatim, row.verbatim) << row.what;
        unsigned char out[MaxFrameBytes];
        EXPECT_EQ(WriteFrame(signal, plan, out), row.bytes) << row.what;
    }
}

// Little-endian fields and texts as bytes.
static Bytes LE(uint32_t value, int count)
{
    Bytes out;
    for (int i = 0; i < count; i++) out.push_back((unsigned char)(value >> (8 * i)));
    return out;
}

static Bytes Text(const char* text)
{
    return Bytes(text, text + strlen(text));
}

TEST(MakeStreamHeader, EveryFieldAsAWellFormedFileHoldsIt)
{
    // 1000 bytes of frames: riffSize is the file less 8, the data chunk holds skipLength and the frames;
    // avgBytesPerSec and blockAlign are those of the PCM it decodes to
    Bytes want = Text("RIFF") + LE(58 + 1002, 4) + Text("WAVEfmt ") + LE(26, 4) + LE(0x8A3A, 2) + LE(2, 2) +
                 LE(44100, 4) + LE(176400, 4) + LE(4, 2) + LE(16, 2) + LE(8, 2) + LE(22, 4) + LE(0, 4) +
                 Text("fact") + LE(4, 4) + LE(441000, 4) + Text("data") + LE(1002, 4) + LE(0, 2);
    unsigned char header[FirstFrameOffset];
    MakeStreamHeader(header, 2, 44100, ThreeTapCoder, 441000, 1000);
    EXPECT_EQ(Bytes(header, header + FirstFrameOffset), want);
}

// ---- round trips ----

enum SignalKind { Silence, Dc, FullScaleSquare, Sine, WhiteNoise, Chirp, Clicks, SignalKinds };
static const char* const SignalNames[] = {"silence", "dc", "square", "sine", "noise", "chirp", "clicks"};

// Channels differ, so that a swap of channels would show.
static std::vector<int16_t> MakeSignal(int kind, int rate, int channels, int samples)
{
    std::vector<int16_t> values;
    uint32_t seed = 99;
    const double pi = 3.14159265358979;
    for (int i = 0; i < samples; i++) {
        for (int ch = 0; ch < channels; ch++) {
            double t = (double)i / rate;
            double v = 0;
            seed = seed * 1664525u + 1013904223u;
            switch (kind) {
            case Dc: v = ch == 0 ? 12345 : -23456; break;
            case FullScaleSquare: v = ((i / (7 + ch)) & 1) ? 32767 : -32768; break;
            case Sine: v = 20000 * std::sin(2 * pi * (440 + 110 * ch) * t); break;
            case WhiteNoise: v = (int16_t)(seed >> 16); break;
            case Chirp: v = 30000 * std::sin(2 * pi * (50 + 4000 * t) * t * (ch + 1)); break;
            case Clicks: v = (i % 97 == ch) ? 32767 : (i % 89 == 0) ? -32768 : 0; break;
            default: break;
            }
            values.push_back((int16_t)std::lround(v));
        }
    }
    return values;
}

// Encodes, then reads the file as the player does: header, then frame after
// frame with DecodeFrame, checking each recorded frameLength against the
// bytes the decoder consumed (what a seek walk relies on) and that only the
// last frame carries the escape; and the frames' bytes when given.
static void ExpectRoundTrip(const std::string& what, const std::vector<int16_t>& values, int channels, int rate,
                            int coder, int level, const Bytes& frameBytes = {})
{
    SCOPED_TRACE(what);
    FILE* file = tmpfile();
    EncodeSettings settings = {coder, level, nullptr, nullptr};
    EncodeResult result;
    int64_t totalSamples = (int64_t)values.size() / channels;
    ASSERT_EQ(EncodeStream(values.data(), totalSamples, channels, rate, settings, file, result), Ok);
    EXPECT_EQ(ftell(file), result.fileBytes);
    if (coder != AutoCoder) {
        EXPECT_EQ(result.coderType, coder);
    }
    rewind(file);
    StreamHeader header;
    ASSERT_EQ(ReadStreamHeader(file, header), Ok);
    EXPECT_EQ(header.totalSamples, totalSamples);
    EXPECT_EQ(header.dataSize, result.fileBytes - 66);
    EXPECT_EQ(header.riffSize, result.fileBytes - 8);
    EXPECT_EQ(ftell(file), 68);

    int spf = header.samplesPerFrame;
    int64_t frames = values.empty() ? 1 : ((int64_t)values.size() + spf - 1) / spf;
    std::vector<unsigned char> out((size_t)spf * 2);
    for (int64_t f = 0; f < frames; f++) {
        long at = ftell(file);
        int b0 = getc(file), b1 = getc(file);
        int frameLength = (b0 | b1 << 8) & 0xFFF;
        fseek(file, at, SEEK_SET);
        unsigned char* outputPosition = out.data();
        DecodeFrame(file, header, outputPosition);
        if (f < frames - 1) {
            ASSERT_NE(frameLength, EscapeLength) << "frame " << f;
            ASSERT_EQ(frameLength, ftell(file) - at) << "frame " << f;
            ASSERT_LE(frameLength, MaxFrameLength);
        } else {
            ASSERT_EQ(frameLength, EscapeLength) << "last frame";
        }
        for (int i = 0; i < spf; i++) {
            size_t index = (size_t)(f * spf + i);
            int16_t want = index < values.size() ? values[index] : 0;
            ASSERT_EQ((int16_t)(out[2 * i] | out[2 * i + 1] << 8), want) << "frame " << f << " value " << i;
        }
    }
    EXPECT_EQ(getc(file), EOF) << "bytes after the last frame";
    if (!frameBytes.empty()) {
        Bytes got(frameBytes.size() + 1);
        fseek(file, 68, SEEK_SET);
        got.resize(fread(got.data(), 1, got.size(), file));
        EXPECT_EQ(got, frameBytes);
    }
    fclose(file);
}

TEST(EncodeStream, RoundTripsEveryCoderRateAndSignal)
{
    const int rates[] = {8000, 11025, 22050, 44100, 48000};
    const int coders[] = {AutoCoder, DeltaCoder, SlopeCoder, ThreeTapCoder};
    for (int rate : rates)
        for (int channels = 1; channels <= 2; channels++)
            for (int kind = 0; kind < SignalKinds; kind++) {
                // two frames and a half and three samples: the last frame ends mid-frame
                int samples = rate / 50 * 2 + rate / 100 + 3;
                std::vector<int16_t> values = MakeSignal(kind, rate, channels, samples);
                for (int coder : coders) {
                    std::string what = std::string(SignalNames[kind]) + " " + std::to_string(rate) + " Hz " +
                                       std::to_string(channels) + " ch coder " + std::to_string(coder);
                    ExpectRoundTrip(what, values, channels, rate, coder, NormalLevel);
                }
            }
}

TEST(EncodeStream, RoundTripsEdgesAndLevels)
{
    struct Row {
        const char* what; int kind; int rate, channels, samples, coder, level;
    } rows[] = {
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
    for (const Row& row : rows)
        ExpectRoundTrip(row.what, MakeSignal(row.kind, row.rate, row.channels, row.samples), row.channels, row.rate,
                        row.coder, row.level);
}

TEST(EncodeStream, WorkedDeltaFramesComeOutAsTheDecoderExpects)
{
    // Residuals 3, 5, -7 at k 2, and 1, -1, 1, -1 at k 0 in stereo.
    ExpectRoundTrip("mono", {3, 8, 1}, 1, 44100, DeltaCoder, NormalLevel, {0xFF, 0x2F, 0x03, 0x00, 0xB6, 0xA0});
    ExpectRoundTrip("stereo", {1, -1, 2, -2}, 2, 44100, DeltaCoder, NormalLevel, {0xFF, 0x0F, 0x04, 0x00, 0x69, 0xA0});
}

TEST(EncodeStream, RefusesWhatTheFormatCannotHold)
{
    int16_t values[4] = {};
    EncodeSettings settings = {AutoCoder, NormalLevel, nullptr, nullptr};
    EncodeResult result;
    FILE* file = tmpfile();
    EXPECT_EQ(EncodeStream(values, 1, 3, 44100, settings, file, result), Failed);
    EXPECT_EQ(EncodeStream(values, 1, 1, 49, settings, file, result), Failed);
    EXPECT_EQ(EncodeStream(values, 1, 2, 50001, settings, file, result), Failed);
    EXPECT_EQ(ftell(file), 0);
    fclose(file);
}

// ---- WAV reader ----

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
    if (subTag >= 0)
        body = body + LE(22, 2) + LE(bits, 2) + LE(3, 4) + LE(subTag, 2) +
               Bytes{0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    return Chunk("fmt ", body);
}

static Bytes Riff(const Bytes& chunks, int64_t sizeField = -1)
{
    return Text("RIFF") + LE(sizeField >= 0 ? (uint32_t)sizeField : (uint32_t)(4 + chunks.size()), 4) + Text("WAVE") +
           chunks;
}

static Bytes Samples(const std::vector<int16_t>& values)
{
    Bytes out;
    for (int16_t v : values) out = out + LE((uint16_t)v, 2);
    return out;
}

struct WavRow {
    const char* what;
    Bytes file;
    int failure;
    int channels;
    std::vector<int16_t> values;
    int rate = 44100;
};

static void ExpectWav(const WavRow& row)
{
    SCOPED_TRACE(row.what);
    FILE* file = FileOf(row.file);
    WavAudio audio;
    int result = ReadWav(file, audio);
    fclose(file);
    EXPECT_EQ(audio.failure, row.failure);
    EXPECT_EQ(result, row.failure == WavNoFailure ? Ok : Failed);
    if (row.failure != WavNoFailure) return;
    EXPECT_EQ(audio.channels, row.channels);
    EXPECT_EQ(audio.sampleRate, row.rate);
    EXPECT_EQ(audio.values, row.values);
    EXPECT_EQ(audio.totalSamples, (int64_t)row.values.size() / row.channels);
}

TEST(ReadWav, AcceptsPcmInAnyLayout)
{
    std::vector<int16_t> four = {1, -2, 32767, -32768};
    Bytes pcm = Format(1, 2, 44100, 16), data = Chunk("data", Samples(four));
    Bytes list = Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'a'});   // 5 bytes: padded to 6
    WavRow rows[] = {
        {"plain", Riff(pcm + data), WavNoFailure, 2, four},
        {"extensible PCM", Riff(Format(0, 2, 44100, 16, 1) + data), WavNoFailure, 2, four},
        {"odd LIST before data", Riff(pcm + list + data), WavNoFailure, 2, four},
        {"chunk after data", Riff(pcm + data + list), WavNoFailure, 2, four},
        {"fmt after data", Riff(data + pcm), WavNoFailure, 2, four},
        {"pipe: sizes 0xFFFFFFFF", Riff(pcm + Chunk("data", Samples(four), 0xFFFFFFFF), 0xFFFFFFFF), WavNoFailure, 2,
         four},
        {"pipe: sizes 0", Riff(pcm + Chunk("data", Samples(four), 0), 0), WavNoFailure, 2, four},
        {"empty data before a LIST", Riff(pcm + Chunk("data", Bytes{}) + list), WavNoFailure, 2, {}},
        {"size larger than the input", Riff(pcm + Chunk("data", Samples(four), 0x7FFFF000)), WavNoFailure, 2, four},
        {"truncated in a sample frame", Riff(pcm + Chunk("data", Samples({1, 2, 3}), 6)), WavNoFailure, 2, {1, 2}},
        {"mono", Riff(Format(1, 1, 44100, 16) + data), WavNoFailure, 1, four},
        {"100000 values a second in mono", Riff(Format(1, 1, 100000, 16) + data), WavNoFailure, 1, four, 100000},
        {"... and in stereo", Riff(Format(1, 2, 50000, 16) + data), WavNoFailure, 2, four, 50000},
    };
    for (const WavRow& row : rows) ExpectWav(row);
}

TEST(ReadWav, RefusesWhatItCannotEncode)
{
    Bytes data = Chunk("data", Samples({0, 0}));
    WavRow rows[] = {
        {"not RIFF", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, WavNotRiffWave, 0, {}},
        {"empty input", Bytes{}, WavNotRiffWave, 0, {}},
        {"8-bit", Riff(Format(1, 1, 44100, 8) + data), WavBitDepth, 0, {}},
        {"24-bit", Riff(Format(1, 2, 44100, 24) + data), WavBitDepth, 0, {}},
        {"32-bit", Riff(Format(1, 2, 44100, 32) + data), WavBitDepth, 0, {}},
        {"24-bit extensible", Riff(Format(0, 2, 44100, 24, 1) + data), WavBitDepth, 0, {}},
        {"float", Riff(Format(3, 2, 44100, 32) + data), WavFloat, 0, {}},
        {"float extensible", Riff(Format(0, 2, 44100, 32, 3) + data), WavFloat, 0, {}},
        {"ADPCM", Riff(Format(2, 2, 44100, 4) + data), WavNotPcm, 0, {}},
        {"a stream file", Riff(Format(0x8A3A, 2, 44100, 16) + data), WavNotPcm, 0, {}},
        {"3 channels", Riff(Format(1, 3, 44100, 16) + data), WavChannelCount, 0, {}},
        {"0 channels", Riff(Format(1, 0, 44100, 16) + data), WavChannelCount, 0, {}},
        {"49 Hz", Riff(Format(1, 1, 49, 16) + data), WavRateTooLow, 0, {}},
        {"96 kHz stereo", Riff(Format(1, 2, 96000, 16) + data), WavRateTooHigh, 0, {}},
        {"50001 Hz stereo", Riff(Format(1, 2, 50001, 16) + data), WavRateTooHigh, 0, {}},
        {"no fmt", Riff(data), WavNoFormat, 0, {}},
        {"short fmt", Riff(Chunk("fmt ", Bytes(14, 0)) + data), WavNoFormat, 0, {}},
        {"no data", Riff(Format(1, 2, 44100, 16)), WavNoData, 0, {}},
    };
    for (const WavRow& row : rows) ExpectWav(row);
}
