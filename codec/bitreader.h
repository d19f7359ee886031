// Bit reader and residual code. Bits are taken most significant first, and a
// byte is fetched only when one of its bits is needed, so after a frame's last
// residual the stream stands at the next byte.
#pragma once

#include <cstdint>
#include <cstdio>

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
    cursor.currentByte = getc(stream);   // end of file: -1, read as 0xFF, all 1 bits
    cursor.acc = (cursor.acc << 8) | ((uint32_t)cursor.currentByte & 0xFF);
    cursor.avail += 8;
}

// One word of the residual code: prefix 1, 01, 001, 0001 or the 0000 escape.
// Class 1 holds k + 1 bits in two's complement (nothing when k is 0); the
// sign-bit classes hold 2^n + m or -2^(n+1) + 1 + m with n = k, k + 1, k + 2;
// the escape holds 17 bits in two's complement. At most 21 bits are read.
inline int32_t ReadResidualAt(BitCursor& cursor, FILE* stream, int k)
{
    int zeros = 0;
    for (;;) {
        if (cursor.avail == 0) FetchByte(cursor, stream);
        cursor.avail--;
        if ((cursor.acc >> cursor.avail) & 1) break;
        if (++zeros == 4) break;
    }

    if (zeros == 0 && k == 0) return 0;
    // bits after the prefix: k + 1; or the sign bit and k, k + 1 or k + 2; or 17
    int need = zeros == 4 ? 17 : k + zeros + (zeros == 0);
    while (cursor.avail < need) FetchByte(cursor, stream);
    cursor.avail -= need;
    uint32_t field = (cursor.acc >> cursor.avail) & ((1u << need) - 1);

    if (zeros == 4 || zeros == 0) {
        uint32_t sign = 1u << (need - 1);
        return (int32_t)(field ^ sign) - (int32_t)sign;
    }
    int n = need - 1;
    uint32_t m = field & ((1u << n) - 1);
    if (field >> n) return (int32_t)((1u << n) + m);
    return -(int32_t)(2u << n) + 1 + (int32_t)m;
}
