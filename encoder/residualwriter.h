// Bit writer and the residual code from the writing side: the exact length of
// each code word, the best frame-wide k from a histogram of residual sizes,
// and the words themselves, most significant bit first.
#pragma once

#include <cstdint>

struct BitWriter {
    unsigned char* out;    // where the next whole byte goes
    uint64_t pending;      // bits not yet written, right-aligned
    int pendingCount;      // how many bits pending holds, 0..7 between calls
};

void StartBits(BitWriter& writer, unsigned char* out);
void WriteBits(BitWriter& writer, uint32_t value, int count);   // count 0..32
void WriteResidual(BitWriter& writer, int32_t residual, int k); // residual must be codable at k
unsigned char* FinishBits(BitWriter& writer);                   // pads with 0 bits; returns the end

const int UncodableResidual = 0;   // ResidualBits' answer for a value no word of k holds
const int EscapeBits = 21;

// Length in bits of the word for residual at k (0..14), or UncodableResidual.
int ResidualBits(int32_t residual, int k);

// Residual sizes by bit length of the magnitude class: for r >= 0 the length
// of r, for r < 0 the length of -r - 1 (so -2^j counts with the j-bit values,
// as class 1 holds -2^k..2^k - 1 for k >= 1). negativePowers counts the -2^j
// among them, which the sign-bit classes place one class higher.
const int LengthClasses = 33;
struct ResidualLengths {
    int count[LengthClasses];
    int negativePowers[LengthClasses];
};

void CountResidualLengths(const int32_t* residuals, int count, ResidualLengths& lengths);

// The k (0..14) with the fewest bits for all residuals counted, ties to the
// smaller k; bits receives that total. Failed (999) when no k codes them all.
int ChooseResidualK(const ResidualLengths& lengths, int& k, int64_t& bits);
