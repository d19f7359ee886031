// The predictors' arithmetic, shared by the decoder and the encoder so that
// both wrap and shift exactly alike: signed 32-bit two's-complement values,
// arithmetic right shifts, nothing clamped to 16 bits.
#pragma once

#include <cstdint>

inline int32_t Add32(int32_t a, int32_t b) { return (int32_t)((uint32_t)a + (uint32_t)b); }
inline int32_t Sub32(int32_t a, int32_t b) { return (int32_t)((uint32_t)a - (uint32_t)b); }
inline int32_t Mul32(int32_t a, int32_t b) { return (int32_t)((uint32_t)a * (uint32_t)b); }

// Slope coder: the previous value p1 plus the last difference, shifted right
// by 3 first and then weighted by slope (0..15), so the weight is slope / 8.
inline int32_t PredictSlope(int32_t p1, int32_t p2, int slope)
{
    return Add32(Mul32(Sub32(p1, p2) >> 3, slope), p1);
}

// Three-tap coder: taps in units of 1/256 on the last three values of the channel.
inline int32_t PredictThreeTap(int32_t p1, int32_t p2, int32_t p3, int tap1, int tap2, int tap3)
{
    return Add32(Add32(Mul32(p1, tap1), Mul32(p2, tap2)), Mul32(p3, tap3)) >> 8;
}
