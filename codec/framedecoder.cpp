// Frame decoder: FrameHeader, verbatim values or one of three predictors over
// residuals, then zero padding. Predictor state starts at zero in every frame,
// so decoding can start at any FrameHeader.
#include "framedecoder.h"

#include "bitreader.h"
#include "predictors.h"

static inline void WriteValue(unsigned char*& out, int32_t value)
{
    out[0] = (unsigned char)value;          // low 16 bits, low byte first
    out[1] = (unsigned char)(value >> 8);
    out += 2;
}

static inline int ReadByteOrFF(FILE* stream)
{
    return ReadStreamByte(stream) & 0xFF;
}

// A frame may claim more values than samplesPerFrame (a damaged sampleCount);
// those are still read, so the stream stays in step, but never written.
static void SkipResiduals(BitCursor& cursor, FILE* stream, const ResidualCode& code, int count)
{
    for (int i = 0; i < count; i++) ReadResidualAt(cursor, stream, code);
}

// The last three values of one channel within the frame (zero before its
// start): history[c], history[2c] and history[3c] as the predictors see them.
struct ChannelHistory {
    int32_t last1, last2, last3;
};

// The three predictors, one value at a time: residual in, value out.
struct DeltaPredictor {};
struct SlopePredictor { int slope; };
struct ThreeTapPredictor { int tap1, tap2, tap3; };

static inline int32_t NextValue(const DeltaPredictor&, ChannelHistory& history, int32_t residual)
{
    history.last1 = Add32(history.last1, residual);   // the running sum
    return history.last1;
}

static inline int32_t NextValue(const SlopePredictor& predictor, ChannelHistory& history, int32_t residual)
{
    int32_t x = Add32(PredictSlope(history.last1, history.last2, predictor.slope), residual);
    history.last2 = history.last1;
    history.last1 = x;
    return x;
}

static inline int32_t NextValue(const ThreeTapPredictor& p, ChannelHistory& history, int32_t residual)
{
    int32_t x = Add32(PredictThreeTap(history.last1, history.last2, history.last3, p.tap1, p.tap2, p.tap3), residual);
    history.last3 = history.last2;
    history.last2 = history.last1;
    history.last1 = x;
    return x;
}

// Values interleave left, right from the frame's first value on, so in stereo
// they go in pairs; an odd samplesPerFrame ends the frame on a left value.
// Each channel's history lives in registers for the whole frame.
template <class Predictor>
static void DecodeValues(const Predictor& predictor, int channels, BitCursor& cursor, FILE* stream, int k,
                         int written, int count, unsigned char*& out)
{
    ResidualCode code = MakeResidualCode(k);
    ChannelHistory left = {0, 0, 0}, right = {0, 0, 0};
    int i = 0;
    if (channels == 2) {
        for (; i + 1 < written; i += 2) {
            WriteValue(out, NextValue(predictor, left, ReadResidualAt(cursor, stream, code)));
            WriteValue(out, NextValue(predictor, right, ReadResidualAt(cursor, stream, code)));
        }
    }
    for (; i < written; i++) WriteValue(out, NextValue(predictor, left, ReadResidualAt(cursor, stream, code)));
    SkipResiduals(cursor, stream, code, count - written);
    StoreCursor(cursor, bitReader);
}

// The residual bits begin at the byte after the FrameHeader.
static void DecodeDeltaFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    BitCursor cursor = {0, 0, bitReader.currentByte};   // as bitMask 0: the next bit starts a fresh byte
    DecodeValues(DeltaPredictor{}, channels, cursor, stream, k, written, count, out);
}

// Coefficient byte: slope in the high nibble, the first 4 residual bits low.
static void DecodeSlopeFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    int b = ReadStreamByte(stream);
    BitCursor cursor;
    LoadCursor(cursor, BitReader{b, 0x10});
    DecodeValues(SlopePredictor{(b >> 4) & 0xF}, channels, cursor, stream, k, written, count, out);
}

// Four coefficient bytes: three 10-bit fields, then the first 2 residual bits.
static void DecodeThreeTapFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    int b0 = ReadByteOrFF(stream), b1 = ReadByteOrFF(stream), b2 = ReadByteOrFF(stream);
    int b3 = ReadStreamByte(stream);
    ThreeTapPredictor predictor = {Tap1FromField(b0 * 4 + (b1 >> 6)), Tap2FromField((b1 & 0x3F) * 16 + (b2 >> 4)),
                                   Tap3FromField((b2 & 0x0F) * 64 + ((b3 & 0xFF) >> 2))};
    BitCursor cursor;
    LoadCursor(cursor, BitReader{b3, 4});
    DecodeValues(predictor, channels, cursor, stream, k, written, count, out);
}

void DecodeFrame(FILE* streamFile, const StreamHeader& header, unsigned char*& outputPosition)
{
    int samplesPerFrame = header.samplesPerFrame;
    int count = 0;                       // values the frame holds
    int b0 = ReadStreamByte(streamFile);
    if (b0 != EOF) {
        int h = b0 | ReadByteOrFF(streamFile) << 8;
        count = samplesPerFrame;
        if ((h & 0xFFF) == EscapeLength) {
            count = ReadByteOrFF(streamFile);
            count |= ReadByteOrFF(streamFile) << 8;
        }
        int k = h >> 12;
        int written = count < samplesPerFrame ? count : samplesPerFrame;
        if (k == VerbatimK) {
            for (int i = 0; i < written; i++) {
                outputPosition[0] = (unsigned char)ReadByteOrFF(streamFile);
                outputPosition[1] = (unsigned char)ReadByteOrFF(streamFile);
                outputPosition += 2;
            }
            for (int i = written; i < count; i++) {
                ReadStreamByte(streamFile);
                ReadStreamByte(streamFile);
            }
        } else if (header.coderType == ThreeTapCoder) {
            DecodeThreeTapFrame(streamFile, header.channels, k, written, count, outputPosition);
        } else if (header.coderType == SlopeCoder) {
            DecodeSlopeFrame(streamFile, header.channels, k, written, count, outputPosition);
        } else {
            DecodeDeltaFrame(streamFile, header.channels, k, written, count, outputPosition);
        }
    }
    for (int i = count; i < samplesPerFrame; i++) WriteValue(outputPosition, 0);
}
