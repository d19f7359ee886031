// Parameter search for one frame: the slope of the slope coder and the three
// taps of the three-tap coder, each judged by the exact bit count of the
// residual code at its best k.
#pragma once

#include <cstdint>

#include "residuals.h"

// How hard the search tries; each level costs two to three times the one
// before, the yardstick some 80 times the normal level (a reference for the
// others, not for everyday use).
enum EncoderLevel {
    FastLevel = 0,        // least squares and the fixed predictors, no search
    NormalLevel = 1,      // plus a descent over single-tap steps
    BestLevel = 2,        // plus a descent over all 26 neighbours
    YardstickLevel = 3,   // dense cubes around several starts, every slope
};
const int LevelCount = 4;

// Residual bits of a frame at its best k, and the parameters that gave them.
struct CoderChoice {
    int64_t bits;         // residual bits only; -1 when no k codes them
    int k;
    int slope;            // slope coder: 0..15
    int tap1, tap2, tap3; // three-tap coder, in units of 1/256
};

void ChooseDelta(const FrameSignal& signal, CoderChoice& choice);
void ChooseSlope(const FrameSignal& signal, int level, CoderChoice& choice);
void ChooseThreeTap(const FrameSignal& signal, int level, CoderChoice& choice);

// The least-squares taps (real, unquantised) of the frame; false when the
// frame has no energy to fit.
bool LeastSquaresTaps(const FrameSignal& signal, double taps[3]);
