// Bit reader and residual code. Bits are taken most significant first, and a
// byte is fetched only when one of its bits is needed, so after a frame's last
// residual the stream stands at the next byte.
#pragma once

#include <cstdint>
#include <cstdio>

// One byte of an open stream, as getc reads it (-1 at end of file). Only the
// playback thread reads a stream it has open, so the stream's lock buys
// nothing: the build names the platform's getc without the lock where there
// is one, and plain getc serves everywhere else.
#ifndef PELORIX_GETC
#define PELORIX_GETC getc
#endif
inline int ReadStreamByte(FILE* stream)
{
    return PELORIX_GETC(stream);
}

struct BitReader {
    int currentByte;   // last byte fetched, 0..255, or -1 at end of file
    int bitMask;       // bit of currentByte read last; 0: fetch a byte next
};

extern BitReader bitReader;   // set afresh by the frame decoder for each frame

int ReadBit(FILE* stream);
int32_t ReadResidual(FILE* stream, int k);

// The reader as a decoding loop keeps it within one frame: the unread bits of
// currentByte and of any bytes fetched since, right-aligned in acc. Bytes are
// still fetched one at a time and only when a word needs one of their bits.
struct BitCursor {
    uint32_t acc;      // low avail bits are unread
    int avail;         // 0..7 between words
    int currentByte;   // last byte fetched, as getc returned it
};

inline void LoadCursor(BitCursor& cursor, const BitReader& reader)
{
    int avail = 0;
    for (int mask = reader.bitMask; mask > 1; mask >>= 1) avail++;
    cursor.avail = avail;
    cursor.acc = (uint32_t)reader.currentByte & ((1u << avail) - 1);
    cursor.currentByte = reader.currentByte;
}

inline void StoreCursor(const BitCursor& cursor, BitReader& reader)
{
    reader.currentByte = cursor.currentByte;
    reader.bitMask = 1 << cursor.avail;   // bit read last; 1 when none is left
}

inline void FetchByte(BitCursor& cursor, FILE* stream)
{
    cursor.currentByte = ReadStreamByte(stream);   // end of file: -1, read as 0xFF, all 1 bits
    cursor.acc = (cursor.acc << 8) | ((uint32_t)cursor.currentByte & 0xFF);
    cursor.avail += 8;
}

// The residual code for one k, as a decoding loop uses it: by the number of
// 0 bits before the prefix's 1 (4: the escape), how many bits follow, and what
// to subtract from them, read as an unsigned field f of that width, to get the
// value. Class 1 and the escape are two's complement (f - 2^width when the top
// bit is set); the sign-bit classes hold 2^n + m with the sign bit set, which
// is f itself, and -2^(n+1) + 1 + m with it clear, which is f + 1 - 2^width.
// The subtrahend is looked up by class and top bit, so a word's sign, which is
// as likely one way as the other, never decides a branch.
struct ResidualCode {
    int width[5];
    uint32_t subtract[10];            // [2 * zeros + top bit of the field]
    unsigned char wordLength[16];     // whole word, prefix and field, by its first 4 bits
};

// Zeros before the prefix's 1 by a word's first 4 bits, 4 bits an entry:
// 0000 the escape (4), 0001 (3), 001x (2), 01xx (1), and 1xxx (0) in the
// constant's upper half.
const uint64_t ZerosByFirstBits = 0x11112234u;

inline int ZerosOf(uint32_t firstBits)
{
    return (int)((ZerosByFirstBits >> (firstBits * 4)) & 0xF);
}

inline ResidualCode MakeResidualCode(int k)
{
    ResidualCode code;
    for (int zeros = 0; zeros < 5; zeros++) {
        int width = zeros == 4 ? 17 : k + zeros + (zeros == 0);
        if (zeros == 0 && k == 0) width = 0;              // the word 1 alone is 0
        bool twosComplement = zeros == 0 || zeros == 4;
        code.width[zeros] = width;
        code.subtract[2 * zeros + 1] = twosComplement ? 1u << width : 0;
        code.subtract[2 * zeros] = twosComplement || width == 0 ? 0 : (1u << width) - 1;
    }
    for (uint32_t firstBits = 0; firstBits < 16; firstBits++) {
        int zeros = ZerosOf(firstBits);
        code.wordLength[firstBits] = (unsigned char)((zeros == 4 ? 4 : zeros + 1) + code.width[zeros]);
    }
    return code;
}

// A word's value from its prefix class and the field that follows the prefix.
inline int32_t ResidualFromField(const ResidualCode& code, int zeros, uint32_t field)
{
    uint32_t topSet = (field << 1) >> code.width[zeros];   // 0 when the width is 0
    return (int32_t)(field - code.subtract[2 * zeros + topSet]);
}

// One word: the prefix bit by bit, then its field, fetching only the bytes
// these bits lie in. At most 21 bits are read.
inline int32_t ReadResidualAt(BitCursor& cursor, FILE* stream, const ResidualCode& code)
{
    int zeros = 0;
    for (;;) {
        if (cursor.avail == 0) FetchByte(cursor, stream);
        cursor.avail--;
        if ((cursor.acc >> cursor.avail) & 1) break;
        if (++zeros == 4) break;
    }
    int width = code.width[zeros];
    while (cursor.avail < width) FetchByte(cursor, stream);
    cursor.avail -= width;
    return ResidualFromField(code, zeros, (cursor.acc >> cursor.avail) & ((1u << width) - 1));
}
