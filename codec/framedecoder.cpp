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
    return getc(stream) & 0xFF;
}

// A frame may claim more values than samplesPerFrame (a damaged sampleCount);
// those are still read, so the stream stays in step, but never written.
static void SkipResiduals(BitCursor& cursor, FILE* stream, int k, int count)
{
    for (int i = 0; i < count; i++) ReadResidualAt(cursor, stream, k);
}

// Running sum per channel; the channel index restarts at 0 in every frame.
static void DecodeDeltaFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    BitCursor cursor = {0, 0, bitReader.currentByte};   // bitMask 0: the next bit starts a fresh byte
    int32_t channelSum[2] = {0, 0};
    int channelBits = channels - 1;
    for (int i = 0; i < written; i++) {
        int32_t& sum = channelSum[i & channelBits];
        sum = Add32(sum, ReadResidualAt(cursor, stream, k));
        WriteValue(out, sum);
    }
    SkipResiduals(cursor, stream, k, count - written);
    StoreCursor(cursor, bitReader);
}

// Coefficient byte: slope in the high nibble, the first 4 residual bits low.
static void DecodeSlopeFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    int b = getc(stream);
    int slope = (b >> 4) & 0xF;
    BitCursor cursor;
    LoadCursor(cursor, BitReader{b, 0x10});
    int32_t last1[2] = {0, 0}, last2[2] = {0, 0};   // history[c] and history[2c], by channel
    int channelBits = channels - 1;
    for (int i = 0; i < written; i++) {
        int j = i & channelBits;
        int32_t x = Add32(PredictSlope(last1[j], last2[j], slope), ReadResidualAt(cursor, stream, k));
        last2[j] = last1[j];
        last1[j] = x;
        WriteValue(out, x);
    }
    SkipResiduals(cursor, stream, k, count - written);
    StoreCursor(cursor, bitReader);
}

// Four coefficient bytes: three 10-bit fields, then the first 2 residual bits.
static void DecodeThreeTapFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    int b0 = ReadByteOrFF(stream), b1 = ReadByteOrFF(stream), b2 = ReadByteOrFF(stream);
    int b3 = getc(stream);
    int b3Bits = b3 & 0xFF;
    int tap1 = Tap1FromField(b0 * 4 + (b1 >> 6));
    int tap2 = Tap2FromField((b1 & 0x3F) * 16 + (b2 >> 4));
    int tap3 = Tap3FromField((b2 & 0x0F) * 64 + (b3Bits >> 2));
    BitCursor cursor;
    LoadCursor(cursor, BitReader{b3, 4});
    int32_t last1[2] = {0, 0}, last2[2] = {0, 0}, last3[2] = {0, 0};
    int channelBits = channels - 1;
    for (int i = 0; i < written; i++) {
        int j = i & channelBits;
        int32_t p = PredictThreeTap(last1[j], last2[j], last3[j], tap1, tap2, tap3);
        int32_t x = Add32(p, ReadResidualAt(cursor, stream, k));
        last3[j] = last2[j];
        last2[j] = last1[j];
        last1[j] = x;
        WriteValue(out, x);
    }
    SkipResiduals(cursor, stream, k, count - written);
    StoreCursor(cursor, bitReader);
}

void DecodeFrame(FILE* streamFile, const StreamHeader& header, unsigned char*& outputPosition)
{
    int samplesPerFrame = header.samplesPerFrame;
    int count = 0;                       // values the frame holds
    int b0 = getc(streamFile);
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
                getc(streamFile);
                getc(streamFile);
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
