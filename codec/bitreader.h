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

// The residual code on a reader held in registers by a decoding loop.
// Equivalent to the bit-by-bit decision tree: prefix 1, 01, 001, 0001 or the
// 0000 escape; the sign-bit classes start from 1 or -2 and correct negatives
// by +1. At end of file every bit reads as 1.
inline int32_t ReadResidualFrom(BitReader& reader, FILE* stream, int k)
{
    // Bits of currentByte not yet read, right-aligned in acc.
    uint32_t acc = reader.bitMask > 1 ? (uint32_t)reader.currentByte & (uint32_t)(reader.bitMask - 1) : 0;
    int avail = 0;
    for (int mask = reader.bitMask; mask > 1; mask >>= 1) avail++;
    int byte = reader.currentByte;

    int zeros = 0;
    for (;;) {
        if (avail == 0) {
            byte = getc(stream);
            acc = (uint32_t)byte & 0xFF;
            avail = 8;
        }
        avail--;
        if ((acc >> avail) & 1) break;
        if (++zeros == 4) break;
    }

    int32_t result;
    int need;            // bits after the prefix
    if (zeros == 4) need = 17;
    else if (zeros == 0) need = k == 0 ? 0 : k + 1;
    else need = k + zeros;   // sign bit and k, k + 1 or k + 2 bits
    while (avail < need) {
        byte = getc(stream);
        acc = (acc << 8) | ((uint32_t)byte & 0xFF);
        avail += 8;
    }
    avail -= need;
    uint32_t field = need == 0 ? 0 : (acc >> avail) & ((1u << need) - 1);

    if (zeros == 4 || zeros == 0) {
        // two's complement of width need (class 1 with k >= 1, or the 17-bit escape)
        result = need == 0 ? 0 : (int32_t)(field ^ (1u << (need - 1))) - (int32_t)(1u << (need - 1));
    } else {
        int n = need - 1;                                   // bits after the sign
        uint32_t m = field & ((1u << n) - 1);
        if (field >> n) result = (int32_t)((1u << n) + m);  // 2^n + m
        else result = -(int32_t)(2u << n) + 1 + (int32_t)m; // -2^(n+1) + 1 + m
    }
    reader.currentByte = byte;
    reader.bitMask = 1 << avail;
    return result;
}
