// Frame decoder: FrameHeader, verbatim values or one of three predictors over
// residuals, then zero padding. Predictor state starts at zero in every frame,
// so decoding can start at any FrameHeader.
//
// A frame that records its length is read whole and, when coded, decoded from
// memory; it is intact when its coding used exactly those bytes (verbatim: 2
// a value), as every frame a valid encoder writes does. The escape frame, which
// records no length, is read byte by byte as its bits are needed.
#include "framedecoder.h"

#include <cstring>

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

// The two sources of a frame's residuals: the stream itself, a byte at a
// time, and a frame body already in memory.
struct StreamBits {
    BitCursor cursor;
    FILE* stream;
};

// A body in memory is read through a 64-bit window whose top bits are the
// next ones. It is refilled before every pair of words, from the byte after
// the last one it holds whole, so it then holds at least 56 bits: two words of
// 21 bits at most. Since the refill's load depends only on the count of bits
// held, it overlaps the decoding of the words before it.
struct MemoryBits {
    const unsigned char* data;   // readable 16 bytes past the last bit used
    const unsigned char* next;   // first byte not yet in the window whole
    uint64_t window;             // the held bits at the top, then more of the stream
    int held;                    // 0..63
};

static inline uint64_t LoadBigEndian64(const unsigned char* p)
{
    return (uint64_t)p[0] << 56 | (uint64_t)p[1] << 48 | (uint64_t)p[2] << 40 | (uint64_t)p[3] << 32 |
           (uint64_t)p[4] << 24 | (uint64_t)p[5] << 16 | (uint64_t)p[6] << 8 | (uint64_t)p[7];
}

// The bits below the held ones are already the stream's next bits, so OR-ing
// the same bits in again changes nothing.
static inline void Refill(MemoryBits& bits)
{
    bits.window |= LoadBigEndian64(bits.next) >> bits.held;
    bits.next += (63 - bits.held) >> 3;
    bits.held |= 56;
}

static inline void Refill(StreamBits&) {}

static inline int32_t NextResidual(StreamBits& bits, const ResidualCode& code)
{
    return ReadResidualAt(bits.cursor, bits.stream, code);
}

static inline void SkipBits(MemoryBits& bits, int count)
{
    bits.window <<= count;
    bits.held -= count;
}

static inline uint32_t BitsUsed(const MemoryBits& bits)
{
    return (uint32_t)(bits.next - bits.data) * 8 - (uint32_t)bits.held;
}

static inline int32_t NextResidual(MemoryBits& bits, const ResidualCode& code)
{
    uint32_t firstBits = (uint32_t)(bits.window >> 60);
    int length = code.wordLength[firstBits];
    int zeros = ZerosOf(firstBits);
    uint32_t field = (uint32_t)(bits.window >> (64 - length)) & ((1u << code.width[zeros]) - 1);
    SkipBits(bits, length);
    return ResidualFromField(code, zeros, field);
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
// Each channel's history lives in registers for the whole frame, and words
// are taken two at a time, as one refill of a memory window holds.
template <class Predictor, class Bits>
static void DecodeValues(const Predictor& predictor, int channels, Bits& source, const ResidualCode& code,
                         int written, unsigned char*& outputPosition)
{
    // Local copies: the byte stores could otherwise alias the reader and the
    // write position, and keep both out of registers.
    Bits bits = source;
    unsigned char* out = outputPosition;
    ChannelHistory left = {0, 0, 0}, right = {0, 0, 0};
    int i = 0;
    if (channels == 2) {
        for (; i + 1 < written; i += 2) {
            Refill(bits);
            WriteValue(out, NextValue(predictor, left, NextResidual(bits, code)));
            WriteValue(out, NextValue(predictor, right, NextResidual(bits, code)));
        }
    } else {
        for (; i + 1 < written; i += 2) {
            Refill(bits);
            WriteValue(out, NextValue(predictor, left, NextResidual(bits, code)));
            WriteValue(out, NextValue(predictor, left, NextResidual(bits, code)));
        }
    }
    if (i < written) {
        Refill(bits);
        WriteValue(out, NextValue(predictor, left, NextResidual(bits, code)));
    }
    source = bits;
    outputPosition = out;
}

// A frame may claim more values than samplesPerFrame (a damaged sampleCount);
// those are still read, so the stream stays in step, but never written.
template <class Predictor>
static void DecodeStreamValues(const Predictor& predictor, int channels, StreamBits& bits, int k, int written,
                               int count, unsigned char*& out)
{
    ResidualCode code = MakeResidualCode(k);
    DecodeValues(predictor, channels, bits, code, written, out);
    for (int i = written; i < count; i++) NextResidual(bits, code);
    StoreCursor(bits.cursor, bitReader);
}

static ThreeTapPredictor ThreeTapFromBytes(int b0, int b1, int b2, int b3)
{
    return ThreeTapPredictor{Tap1FromField(b0 * 4 + (b1 >> 6)), Tap2FromField((b1 & 0x3F) * 16 + (b2 >> 4)),
                             Tap3FromField((b2 & 0x0F) * 64 + (b3 >> 2))};
}

// The residual bits begin at the byte after the FrameHeader.
static void DecodeDeltaFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    StreamBits bits = {{0, 0, bitReader.currentByte}, stream};   // as bitMask 0: a fresh byte next
    DecodeStreamValues(DeltaPredictor{}, channels, bits, k, written, count, out);
}

// Coefficient byte: slope in the high nibble, the first 4 residual bits low.
static void DecodeSlopeFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    int b = ReadStreamByte(stream);
    StreamBits bits;
    bits.stream = stream;
    LoadCursor(bits.cursor, BitReader{b, 0x10});
    DecodeStreamValues(SlopePredictor{(b >> 4) & 0xF}, channels, bits, k, written, count, out);
}

// Four coefficient bytes: three 10-bit fields, then the first 2 residual bits.
static void DecodeThreeTapFrame(FILE* stream, int channels, int k, int written, int count, unsigned char*& out)
{
    int b0 = ReadByteOrFF(stream), b1 = ReadByteOrFF(stream), b2 = ReadByteOrFF(stream);
    int b3 = ReadStreamByte(stream);
    StreamBits bits;
    bits.stream = stream;
    LoadCursor(bits.cursor, BitReader{b3, 4});
    DecodeStreamValues(ThreeTapFromBytes(b0, b1, b2, b3 & 0xFF), channels, bits, k, written, count, out);
}

// Room for the longest body the memory path takes: 4 coefficient bytes, every
// value's word at its longest, and the 16 bytes a refill may load past the
// last bit used. A recorded length holds 8 words a byte at most, so a frame of
// more values than MostRecordedValues is damaged whatever its bytes.
const int LongestWordBits = 21;
const int MostRecordedValues = (MaxFrameLength - 2) * 8;
const int FrameBodySize = (ThreeTapCoefficientBytes * 8 + MostRecordedValues * LongestWordBits + 7) / 8 + 16;
static unsigned char frameBody[FrameBodySize];   // playback thread only

static void WriteSilence(unsigned char*& out, int count)
{
    memset(out, 0, (size_t)count * 2);
    out += (size_t)count * 2;
}

// Decodes a coded body of bodyLength bytes in frameBody into samplesPerFrame
// values; true when the coding used exactly those bytes.
static bool DecodeFrameBody(const StreamHeader& header, int k, int bodyLength, unsigned char*& out)
{
    int values = header.samplesPerFrame;
    ResidualCode code = MakeResidualCode(k);
    MemoryBits bits = {frameBody, frameBody, 0, 0};
    Refill(bits);
    if (header.coderType == ThreeTapCoder) {
        SkipBits(bits, 30);
        ThreeTapPredictor predictor = ThreeTapFromBytes(frameBody[0], frameBody[1], frameBody[2], frameBody[3]);
        DecodeValues(predictor, header.channels, bits, code, values, out);
    } else if (header.coderType == SlopeCoder) {
        SkipBits(bits, 4);
        DecodeValues(SlopePredictor{frameBody[0] >> 4}, header.channels, bits, code, values, out);
    } else {
        DecodeValues(DeltaPredictor{}, header.channels, bits, code, values, out);
    }
    return (BitsUsed(bits) + 7) / 8 == (uint32_t)bodyLength;
}

// A frame whose FrameHeader records its length. Its bytes are read whole, so
// the stream stands at the frame's start plus that length (at least 2) or, when
// the file ends inside the frame, at the end of the file; either way it is
// silence unless intact.
static int DecodeRecordedFrame(FILE* stream, const StreamHeader& header, int k, int frameLength,
                               unsigned char*& out)
{
    int values = header.samplesPerFrame;
    size_t bodyLength = frameLength > 2 ? (size_t)frameLength - 2 : 0;
    bool verbatim = k == VerbatimK && frameLength == 2 + 2 * values;   // straight into the output
    unsigned char* start = out;
    size_t got = fread(verbatim ? out : frameBody, 1, bodyLength, stream);
    if (got < bodyLength) {   // the file ends inside the frame: silence, as past its end
        WriteSilence(out, values);
        return Ok;
    }
    if (verbatim) {
        out += bodyLength;
        return Ok;
    }
    if (k != VerbatimK && values <= MostRecordedValues && DecodeFrameBody(header, k, (int)bodyLength, out)) return Ok;
    out = start;
    WriteSilence(out, values);
    return Failed;
}

// Verbatim values, copied as they stand; end of file gives 0xFF bytes.
static void CopyVerbatimValues(FILE* stream, int written, int count, unsigned char*& out)
{
    size_t bytes = (size_t)written * 2;
    size_t got = fread(out, 1, bytes, stream);
    for (size_t i = got; i < bytes; i++) out[i] = 0xFF;
    out += bytes;
    for (int i = written; i < count; i++) {
        ReadStreamByte(stream);
        ReadStreamByte(stream);
    }
}

int DecodeFrame(FILE* streamFile, const StreamHeader& header, unsigned char*& outputPosition)
{
    int samplesPerFrame = header.samplesPerFrame;
    int b0 = ReadStreamByte(streamFile);
    if (b0 == EOF) {
        WriteSilence(outputPosition, samplesPerFrame);
        return Ok;
    }
    int h = b0 | ReadByteOrFF(streamFile) << 8;
    int k = h >> 12;
    if ((h & 0xFFF) != EscapeLength) return DecodeRecordedFrame(streamFile, header, k, h & 0xFFF, outputPosition);
    int count = ReadByteOrFF(streamFile);   // the frame carries its own count
    count |= ReadByteOrFF(streamFile) << 8;
    int written = count < samplesPerFrame ? count : samplesPerFrame;
    if (k == VerbatimK) {
        CopyVerbatimValues(streamFile, written, count, outputPosition);
    } else if (header.coderType == ThreeTapCoder) {
        DecodeThreeTapFrame(streamFile, header.channels, k, written, count, outputPosition);
    } else if (header.coderType == SlopeCoder) {
        DecodeSlopeFrame(streamFile, header.channels, k, written, count, outputPosition);
    } else {
        DecodeDeltaFrame(streamFile, header.channels, k, written, count, outputPosition);
    }
    WriteSilence(outputPosition, samplesPerFrame - written);
    return Ok;
}
