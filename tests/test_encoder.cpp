// Encoder: the residual code from both sides, the choice of k, the wrap, frame sizes, round trips
// through the player's own decoder, whole and in pieces, the WAV reader and its second walk.
// tools.sh checks a header byte for byte.
#include <algorithm>

#include <gtest/gtest.h>

#include "codec/bitreader.h"
#include "codec/framedecoder.h"
#include "encoder/residualwriter.h"
#include "encoder/streamwriter.h"
#include "encoder/wavreader.h"
#include "testfiles.h"

// Each word's bits and length, and the decoder's reader taking back the value
// from exactly those bytes; no bits: no word of k holds the value.
TEST(ResidualCode, WordsAsTheDecoderReadsThem)
{
    struct Row { int k; int32_t residual; const char* bits; } rows[] = {
        {2, 3, "1 011"}, {2, 5, "01 1 01"}, {2, -7, "01 0 00"}, {2, -40000, "0000 1 0110001111000000"}, {0, 0, "1"},
        {0, 1, "01 1"}, {0, -1, "01 0"}, {0, 2, "001 1 0"}, {0, -2, "001 0 1"}, {0, -3, "001 0 0"}, {0, 4, "0001 1 00"},
        {0, -4, "0001 0 11"}, {0, -7, "0001 0 00"}, {1, -1, "1 11"}, {1, -2, "1 10"}, {3, 7, "1 0111"}, {3, 8, "01 1 000"},
        {3, -8, "1 1000"}, {3, -16, "001 0 1111"},   // the shorter of -8's two codes; -2^(k+1) starts class 001
        {3, -31, "001 0 0000"}, {3, 31, "001 1 1111"}, {14, 131071, "0001 1 1111111111111111"},
        {14, -131071, "0001 0 0000000000000000"}, {0, 65535, "0000 0 1111111111111111"},
        {0, -65536, "0000 1 0000000000000000"}, {0, 65536, ""}, {12, -65537, ""}, {14, 131072, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "k " << row.k << " residual " << row.residual);
        Bytes want = BitsToBytes(row.bits);
        int length = (int)(strlen(row.bits) - std::count(row.bits, row.bits + strlen(row.bits), ' '));
        EXPECT_EQ(ResidualBits(row.residual, row.k), length);   // 0: UncodableResidual
        if (length == 0) continue;
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
}

// The k from the histogram and its bit count; k -1: no k codes them all.
TEST(ResidualCode, ChoosesTheKWithFewestBits)
{
    struct Row { std::vector<int32_t> residuals; int k; int64_t bits; } rows[] = {
        {{}, 0, 0}, {{3, 5, -7}, 2, 14},   // k 1 needs 4 + 6 + 6, k 3 needs 15
        {{-1}, 0, 3}, {{-2}, 1, 3},         // 3 bits at k 0 and 1: the smaller k; class 1 at k 1, class 001 at k 0
        {{-4, -4}, 2, 8}, {{100000}, 14, 21}, {{-65536, 0}, 0, 22}, {{200000}, -1, 0},   // class 0001 of k 14; the escape
    };
    for (const Row& row : rows) {
        ResidualLengths lengths;
        CountResidualLengths(row.residuals.data(), (int)row.residuals.size(), lengths);
        int k = -1;
        int64_t bits = 0;
        EXPECT_EQ(ChooseResidualK(lengths, k, bits), row.k < 0 ? Failed : Ok);
        EXPECT_TRUE(k == row.k && bits == row.bits) << row.residuals.size() << ": k " << k << ", " << bits << " bits";
    }
}

// Full scale under the slope coder at slope 8, by hand: the prediction 65527
// wraps the second residual to -32759 and leaves 32768 in the decoder's state.
TEST(Residuals, WrapFollowsTheDecodersState)
{
    Values values = {32767, -32768, 32767, -32768, 32767, -32768};
    static FrameSignal signal;
    LoadFrameSignal(signal, values.data(), 6, 1);
    std::vector<int32_t> residuals(6);
    SlopeResiduals(signal, 8, residuals.data());
    EXPECT_EQ(residuals, (std::vector<int32_t>{32767, -32759, -1, 9, -1, 9}));
}

// Stereo: silence in one-bit words (and 30 coefficient bits); an empty frame ties with verbatim,
// which wins; noise is verbatim, even in the longest frame.
TEST(PlanFrame, SizesOfSilenceNoiseAndEmptyFrames)
{
    struct Row { int coder, count; bool escape; const char* signal; int bytes; bool verbatim; } rows[] = {
        {DeltaCoder, 882, false, "silence", 2 + 111, false}, {ThreeTapCoder, 882, false, "silence", 2 + 114, false},
        {DeltaCoder, 5, true, "silence", 4 + 1, false}, {DeltaCoder, 0, true, "silence", 4, true},
        {ThreeTapCoder, 0, true, "silence", 4, true}, {ThreeTapCoder, 1920, false, "noise", 2 + 3840, true},
        {SlopeCoder, MaxFrameValues, false, "noise", 2 + 4000, true},
    };
    static FrameSignal signal;
    for (const Row& row : rows) {
        Values values = MakeSignal(row.signal, 8000, 1, row.count);
        LoadFrameSignal(signal, values.data(), row.count, 2);
        FramePlan plan;
        PlanFrame(signal, row.coder, NormalLevel, row.escape, plan);
        unsigned char out[MaxFrameBytes];
        EXPECT_TRUE(plan.bytes == row.bytes && plan.verbatim == row.verbatim) << row.coder << " " << row.count;
        EXPECT_EQ(WriteFrame(signal, plan, out), row.bytes) << row.coder << " " << row.count;
    }
}

static Bytes Contents(FILE* file)
{
    Bytes bytes;
    rewind(file);
    for (int c; (c = getc(file)) != EOF;) bytes.push_back((unsigned char)c);
    return bytes;
}

// Encodes, then decodes frame by frame as the player does: each frame intact, its recorded frameLength
// the bytes consumed (as a seek walk relies on), read whole without the BitReader; the last escaped.
// The same stream again from pieces of 7 values, which frame boundaries cut, its plans kept in a file.
TEST(EncodeStream, RoundTripsEdgesLevelsAndEveryCoderRateAndSignal)
{
    // no samples: one empty frame; one sample; two frames, the last full; odd samplesPerFrame, 1 value in the
    // last frame; 50 Hz mono, 1 value a frame; 100000 values a second; the levels; then two frames and a half
    // and three samples, the last frame ending mid-frame, for every rate, channel count, signal and coder
    struct Row { const char* kind; int rate, channels, samples, coder, level; };
    std::vector<Row> rows = {{"sine", 44100, 2, 0, AutoCoder, NormalLevel}, {"extremes", 8000, 1, 1, ThreeTapCoder, NormalLevel},
        {"sine", 8000, 2, 320, AutoCoder, NormalLevel}, {"chirp", 11025, 2, 441, SlopeCoder, NormalLevel},
        {"sine", 50, 1, 7, ThreeTapCoder, NormalLevel}, {"noise", 50000, 2, 2500, AutoCoder, NormalLevel},
        {"chirp", 22050, 2, 1000, AutoCoder, FastLevel}, {"chirp", 22050, 2, 1000, AutoCoder, BestLevel},
        {"chirp", 8000, 2, 400, AutoCoder, YardstickLevel}, {"extremes", 8000, 1, 400, ThreeTapCoder, YardstickLevel}};
    for (int rate : {8000, 11025, 22050, 44100, 48000})
        for (int channels = 1; channels <= 2; channels++)
            for (const char* kind : {"silence", "sine", "noise", "chirp", "extremes"})
                for (int coder : {AutoCoder, DeltaCoder, SlopeCoder, ThreeTapCoder})
                    rows.push_back({kind, rate, channels, rate / 50 * 2 + rate / 100 + 3, coder, NormalLevel});
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows.data() << ": signal " << row.kind << " " << row.rate << " Hz "
                                        << row.channels << " ch coder " << row.coder << " level " << row.level);
        Values values = MakeSignal(row.kind, row.rate, row.channels, row.samples);
        FILE* file = tmpfile();
        EncodeResult result;
        ASSERT_EQ(EncodeStream(values.data(), row.samples, row.channels, row.rate, {row.coder, row.level, nullptr, nullptr},
                               file, result), Ok);
        EXPECT_TRUE(ftell(file) == result.fileBytes && (row.coder == AutoCoder || result.coderType == row.coder));
        rewind(file);
        StreamHeader header;
        ASSERT_EQ(ReadStreamHeader(file, header), Ok);
        EXPECT_EQ(header.totalSamples, row.samples);
        int64_t spf = header.samplesPerFrame, frames = values.empty() ? 1 : ((int64_t)values.size() + spf - 1) / spf;
        Values decoded((size_t)(frames * spf));
        unsigned char* outputPosition = (unsigned char*)decoded.data();   // a little-endian host
        for (int64_t f = 0; f < frames; f++) {
            long at = ftell(file);
            int frameLength = ReadLittleEndian(file, 2) & 0xFFF;
            fseek(file, at, SEEK_SET);
            bitReader = BitReader{0x1234, 0x1234};
            ASSERT_EQ(DecodeFrame(file, header, outputPosition), Ok) << "frame " << f;
            ASSERT_EQ(frameLength, f < frames - 1 ? ftell(file) - at : EscapeLength) << "frame " << f;
            ASSERT_TRUE(f == frames - 1 || bitReader.currentByte == 0x1234) << "frame " << f << " read byte by byte";
        }
        EXPECT_EQ(getc(file), EOF) << "bytes after the last frame";
        FILE *pieces = tmpfile(), *plans = tmpfile();
        ASSERT_EQ(StartStream(row.samples, row.channels, row.rate, {row.coder, row.level, nullptr, nullptr}, plans), Ok);
        for (int pass = 0; pass < 2; pass++) {
            for (size_t at = 0; at < values.size(); at += 7)
                ASSERT_EQ(CodeValues(values.data() + at, (int64_t)std::min<size_t>(7, values.size() - at)), Ok);
            ASSERT_EQ(pass == 0 ? WriteStreamHeader(pieces) : FinishStream(result), Ok);
        }
        EXPECT_TRUE(Contents(pieces) == Contents(file) && ftell(pieces) == result.fileBytes) << "in pieces";
        fclose(file), fclose(pieces), fclose(plans);
        values.resize(decoded.size(), 0);
        ASSERT_EQ(decoded, values);
    }
}

static Bytes Chunk(const char* id, const Bytes& body, int64_t sizeField = -1)
{
    return Text(id) + LE(sizeField >= 0 ? (uint32_t)sizeField : (uint32_t)body.size(), 4) + body + Bytes(body.size() & 1, 0);
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

// Accepted: stereo 44.1 kHz, values 1, 2, 3, 4 unless a row says otherwise. More refusals in tools.sh.
TEST(ReadWav, AcceptsPcmInAnyLayoutAndRefusesWhatItCannotEncode)
{
    Bytes four = LE(1, 2) + LE(2, 2) + LE(3, 2) + LE(4, 2), pcm = Format(1, 2, 44100, 16), data = Chunk("data", four),
          list = Chunk("LIST", Text("INFOa"));   // 5 bytes: padded to 6
    // plain, extensible; LIST, data, fmt, LIST; pipes: sizes 0xFFFFFFFF and 0; empty data, LIST; a size past the end;
    // cut in a sample frame; two data chunks, the odd byte of the first lost; 100000 Hz mono; then the refusals
    struct Row { Bytes file; int failure; int channels = 2; Values values = {1, 2, 3, 4}; int rate = 44100; } rows[] = {
        {Riff(pcm + data), WavNoFailure}, {Riff(Format(0, 2, 44100, 16, 1) + data), WavNoFailure},
        {Riff(list + data + pcm + list), WavNoFailure}, {Riff(pcm + Chunk("data", four, 0xFFFFFFFF), 0xFFFFFFFF), WavNoFailure},
        {Riff(pcm + Chunk("data", four, 0), 0), WavNoFailure}, {Riff(pcm + Chunk("data", {}) + list), WavNoFailure, 2, {}},
        {Riff(pcm + Chunk("data", four, 0x7FFFF000)), WavNoFailure},
        {Riff(pcm + Chunk("data", LE(1, 2) + LE(2, 2) + LE(3, 2), 6)), WavNoFailure, 2, {1, 2}},
        {Riff(pcm + Chunk("data", LE(1, 2) + Bytes{9}) + Chunk("data", LE(2, 2) + LE(3, 2) + LE(4, 2))), WavNoFailure},
        {Riff(Format(1, 1, 100000, 16) + data), WavNoFailure, 1, {1, 2, 3, 4}, 100000}, {{}, WavNotRiffWave},
        {Riff(Format(0, 2, 44100, 24, 1) + data), WavBitDepth}, {Riff(Format(0, 2, 44100, 32, 3) + data), WavFloat},
        {Riff(Format(2, 2, 44100, 4) + data), WavNotPcm}, {Riff(Format(1, 0, 44100, 16) + data), WavChannelCount},
        {Riff(Format(1, 2, 50001, 16) + data), WavRateTooHigh}, {Riff(data), WavNoFormat}, {Riff(pcm), WavNoData},
        {Riff(Chunk("fmt ", Bytes(14, 0)) + data), WavNoFormat}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        FILE* file = FileOf(row.file), *copy = tmpfile();
        WavAudio audio;
        EXPECT_EQ(ReadWav(file, copy, audio), row.failure == WavNoFailure ? Ok : Failed);
        EXPECT_EQ(audio.failure, row.failure);
        Values values;   // walked again in the copy, one at a time
        rewind(copy);
        StartWavValues(copy, audio);
        for (int16_t value; ReadWavValues(&value, 1) == 1;) values.push_back(value);
        fclose(file), fclose(copy);
        if (row.failure != WavNoFailure) continue;
        EXPECT_TRUE(audio.channels == row.channels && audio.sampleRate == row.rate && values == row.values &&
                    audio.totalSamples == (int64_t)row.values.size() / row.channels);
    }
}
