// The residual code from the writing side. Word lengths: class 1 holds
// -2^k..2^k - 1 in k + 2 bits (one bit when k is 0); the sign-bit classes
// 01, 001, 0001 hold magnitudes 2^k.., 2^(k+1).., 2^(k+2)..2^(k+3) - 1 in
// k + 3, k + 5, k + 7 bits; the escape holds -65536..65535 in 21 bits. At
// k 0, class 1 is the single bit for 0, and -1 goes to class 01.
#include "residualwriter.h"

#include "codec/streamformat.h"

void StartBits(BitWriter& writer, unsigned char* out)
{
    writer.out = out;
    writer.pending = 0;
    writer.pendingCount = 0;
}

void WriteBits(BitWriter& writer, uint32_t value, int count)
{
    if (count == 0) return;
    writer.pending = writer.pending << count | ((uint64_t)value & ((1ull << count) - 1));
    writer.pendingCount += count;
    while (writer.pendingCount >= 8) {
        writer.pendingCount -= 8;
        *writer.out++ = (unsigned char)(writer.pending >> writer.pendingCount);
    }
}

unsigned char* FinishBits(BitWriter& writer)
{
    if (writer.pendingCount > 0) WriteBits(writer, 0, 8 - writer.pendingCount);
    return writer.out;
}

// Bits needed for value as an unsigned number: 0 for 0, 1 for 1, 2 for 2..3, ...
static int BitLength(uint32_t value)
{
    int length = 0;
    while (value >= 256) { value >>= 8; length += 8; }
    while (value != 0) { value >>= 1; length++; }
    return length;
}

// The sign-bit class of a magnitude: 0 for 01, 1 for 001, 2 for 0001, else 3.
static int SignClass(uint32_t magnitude, int k)
{
    int j = BitLength(magnitude) - 1 - k;
    return j < 3 ? j : 3;
}

static uint32_t Magnitude(int32_t r)
{
    return r < 0 ? 0u - (uint32_t)r : (uint32_t)r;
}

// Class 1 holds -2^k..2^k - 1, except at k 0, where it holds only 0.
static bool InClassOne(int32_t residual, int k)
{
    if (k == 0) return residual == 0;
    return residual >= -(int32_t)(1 << k) && residual < (int32_t)(1 << k);
}

int ResidualBits(int32_t residual, int k)
{
    if (InClassOne(residual, k)) return k == 0 ? 1 : k + 2;
    int j = SignClass(Magnitude(residual), k);
    if (j < 3) return k + 3 + 2 * j;
    return residual >= -65536 && residual <= 65535 ? EscapeBits : UncodableResidual;
}

void WriteResidual(BitWriter& writer, int32_t residual, int k)
{
    if (InClassOne(residual, k)) {
        // prefix 1, then k + 1 bits of two's complement (none when k is 0)
        if (k == 0) WriteBits(writer, 1, 1);
        else WriteBits(writer, (1u << (k + 1)) | ((uint32_t)residual & ((1u << (k + 1)) - 1)), k + 2);
        return;
    }
    int j = SignClass(Magnitude(residual), k);
    if (j < 3) {
        // j + 1 zeros and a 1, sign s, then n bits m: s = 1: r = 2^n + m; s = 0: r = -2^(n+1) + 1 + m
        int n = k + j;
        uint32_t m = residual > 0 ? (uint32_t)residual - (1u << n) : (uint32_t)(residual + (int32_t)(2u << n) - 1);
        uint32_t s = residual > 0 ? 1 : 0;
        WriteBits(writer, (1u << (n + 1)) | (s << n) | m, n + 3 + j);
        return;
    }
    WriteBits(writer, (uint32_t)residual & 0x1FFFF, EscapeBits);   // 0000 and 17 bits
}

static void CountOneLength(int32_t r, ResidualLengths& lengths)
{
    uint32_t u = (uint32_t)(r ^ (r >> 31));   // r, or -r - 1 when negative
    int length = BitLength(u);
    lengths.count[length]++;
    if (r < 0 && (u & (u + 1)) == 0) lengths.negativePowers[length]++;
}

// For residuals of -32768..32767, the ones the encoder makes, a table gives
// each value's length class and whether it is a negative power of two as one
// key, 2 x length + negative power: one load and one increment per value.
const int KeyCount = 2 * 17;
static unsigned char keyOf[65536];   // by residual + 32768
static bool keysReady;

static void FillKeys()
{
    for (int32_t r = -32768; r <= 32767; r++) {
        ResidualLengths one = {};
        CountOneLength(r, one);
        for (int length = 0; length < 17; length++)
            if (one.count[length] != 0) keyOf[r + 32768] = (unsigned char)(2 * length + one.negativePowers[length]);
    }
    keysReady = true;
}

void CountResidualLengths(const int32_t* residuals, int count, ResidualLengths& lengths)
{
    for (int i = 0; i < LengthClasses; i++) lengths.count[i] = lengths.negativePowers[i] = 0;
    if (!keysReady) FillKeys();
    // two tallies, so that runs of equal keys do not wait on one counter
    int tally[2][KeyCount] = {};
    int i = 0;
    for (; i + 1 < count; i += 2) {
        uint32_t a = (uint32_t)residuals[i] + 32768u, b = (uint32_t)residuals[i + 1] + 32768u;
        if ((a | b) > 0xFFFF) break;
        tally[0][keyOf[a]]++;
        tally[1][keyOf[b]]++;
    }
    for (; i < count; i++) CountOneLength(residuals[i], lengths);
    for (int key = 0; key < KeyCount; key++) {
        int n = tally[0][key] + tally[1][key];
        lengths.count[key >> 1] += n;
        if (key & 1) lengths.negativePowers[key >> 1] += n;
    }
}

// Bits of one word whose magnitude has bit length magnitudeLength, outside
// class 1 at k; 0 when it cannot be coded. fitsEscape: within -65536..65535.
static int64_t OuterWordBits(int magnitudeLength, int k, bool fitsEscape)
{
    int j = magnitudeLength - 1 - k;
    if (j < 3) return k + 3 + 2 * j;
    return fitsEscape ? EscapeBits : 0;
}

int ChooseResidualK(const ResidualLengths& lengths, int& k, int64_t& bits)
{
    int found = Failed;
    for (int candidate = 0; candidate <= MaxResidualK; candidate++) {
        int64_t total = 0;
        bool codable = true;
        for (int length = 0; length < LengthClasses && codable; length++) {
            int64_t n = lengths.count[length];
            if (n == 0) continue;
            if (length <= candidate && candidate > 0) {
                total += n * (candidate + 2);
                continue;
            }
            if (length == 0) {
                // k 0: the zeros in one bit, the -1s (-2^0) in class 01
                total += (n - lengths.negativePowers[0]) + lengths.negativePowers[0] * 3;
                continue;
            }
            // u < 2^16 is exactly the escape's range -65536..65535
            bool fitsEscape = length <= 16;
            int64_t negativePowers = lengths.negativePowers[length];
            int64_t plain = OuterWordBits(length, candidate, fitsEscape);
            int64_t raised = OuterWordBits(length + 1, candidate, fitsEscape);
            if ((n > negativePowers && plain == 0) || (negativePowers > 0 && raised == 0)) codable = false;
            total += (n - negativePowers) * plain + negativePowers * raised;
        }
        if (codable && (found != Ok || total < bits)) {
            found = Ok;
            k = candidate;
            bits = total;
        }
    }
    return found;
}
