// The decoder's predictors run forward: for a frame of values and a coder's
// parameters, the residuals that make the decoder rebuild every value exactly.
#pragma once

#include <cstdint>

const int MaxFrameValues = 2000;    // sampleRate x channels at most 100000, over 50 frames
const int HistoryPad = 6;           // 3 x channels zeros ahead of the frame's values

// A frame's values widened to 32 bits behind HistoryPad zeros, so that
// value i - 3c reads as 0 before the frame's start, as the decoder's history.
struct FrameSignal {
    int32_t padded[HistoryPad + MaxFrameValues];
    int count;        // values in the frame, 0..MaxFrameValues
    int channels;     // 1 or 2; the channel of value i is i & (channels - 1)
};

void LoadFrameSignal(FrameSignal& signal, const int16_t* values, int count, int channels);

// Each residual is the difference wrapped to -32768..32767: the decoder adds
// it in 32 bits and keeps the low 16 bits, so the wrap costs nothing there,
// while the predictor's state then follows the decoder's 32-bit values, which
// may leave the 16-bit range.
void DeltaResiduals(const FrameSignal& signal, int32_t* residuals);
void SlopeResiduals(const FrameSignal& signal, int slope, int32_t* residuals);
void ThreeTapResiduals(const FrameSignal& signal, int tap1, int tap2, int tap3, int32_t* residuals);
