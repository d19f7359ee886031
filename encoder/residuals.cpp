// Residuals of the three coders. The common case is a prediction whose
// residual fits 16 bits: then the decoder's state equals the input values and
// the loop runs over the input alone, which the compiler vectorises. When a
// residual has to wrap, the frame is run again sample by sample on the
// decoder's own 32-bit state.
#include "residuals.h"

#include "codec/predictors.h"

void LoadFrameSignal(FrameSignal& signal, const int16_t* values, int count, int channels)
{
    for (int i = 0; i < HistoryPad; i++) signal.padded[i] = 0;
    for (int i = 0; i < count; i++) signal.padded[HistoryPad + i] = values[i];
    signal.count = count;
    signal.channels = channels;
}

static inline int32_t Wrap16(int32_t value)
{
    return (int32_t)(int16_t)(uint16_t)(uint32_t)value;
}

// Nonzero when r lies outside -32768..32767.
static inline uint32_t Outside16(int32_t r)
{
    return ((uint32_t)r + 32768u) >> 16;
}

void DeltaResiduals(const FrameSignal& signal, int32_t* residuals)
{
    // The running sum only ever differs from the input by multiples of 65536,
    // so the wrapped first difference is exact.
    const int32_t* x = signal.padded + HistoryPad;
    int c = signal.channels;
    for (int i = 0; i < signal.count; i++) residuals[i] = Wrap16(x[i] - x[i - c]);
}

template <int C>
static uint32_t SlopeResidualsFast(const int32_t* x, int count, int slope, int32_t* residuals)
{
    uint32_t outside = 0;
    for (int i = 0; i < count; i++) {
        int32_t r = x[i] - (((x[i - C] - x[i - 2 * C]) >> 3) * slope + x[i - C]);
        residuals[i] = r;
        outside |= Outside16(r);
    }
    return outside;
}

void SlopeResiduals(const FrameSignal& signal, int slope, int32_t* residuals)
{
    const int32_t* x = signal.padded + HistoryPad;
    int c = signal.channels;
    uint32_t outside = c == 1 ? SlopeResidualsFast<1>(x, signal.count, slope, residuals)
                              : SlopeResidualsFast<2>(x, signal.count, slope, residuals);
    if (outside == 0) return;
    int32_t last1[2] = {0, 0}, last2[2] = {0, 0};
    for (int i = 0; i < signal.count; i++) {
        int j = i & (c - 1);
        int32_t prediction = PredictSlope(last1[j], last2[j], slope);
        int32_t r = Wrap16(Sub32(x[i], prediction));
        residuals[i] = r;
        last2[j] = last1[j];
        last1[j] = Add32(prediction, r);
    }
}

template <int C>
static uint32_t ThreeTapResidualsFast(const int32_t* x, int count, int tap1, int tap2, int tap3, int32_t* residuals)
{
    // |value| <= 32768 and |tap| <= 895: the sum stays far inside 32 bits.
    uint32_t outside = 0;
    for (int i = 0; i < count; i++) {
        int32_t r = x[i] - ((x[i - C] * tap1 + x[i - 2 * C] * tap2 + x[i - 3 * C] * tap3) >> 8);
        residuals[i] = r;
        outside |= Outside16(r);
    }
    return outside;
}

void ThreeTapResiduals(const FrameSignal& signal, int tap1, int tap2, int tap3, int32_t* residuals)
{
    const int32_t* x = signal.padded + HistoryPad;
    int c = signal.channels;
    uint32_t outside = c == 1 ? ThreeTapResidualsFast<1>(x, signal.count, tap1, tap2, tap3, residuals)
                              : ThreeTapResidualsFast<2>(x, signal.count, tap1, tap2, tap3, residuals);
    if (outside == 0) return;
    int32_t last1[2] = {0, 0}, last2[2] = {0, 0}, last3[2] = {0, 0};
    for (int i = 0; i < signal.count; i++) {
        int j = i & (c - 1);
        int32_t prediction = PredictThreeTap(last1[j], last2[j], last3[j], tap1, tap2, tap3);
        int32_t r = Wrap16(Sub32(x[i], prediction));
        residuals[i] = r;
        last3[j] = last2[j];
        last2[j] = last1[j];
        last1[j] = Add32(prediction, r);
    }
}
