// Frames as the decoder reads them: FrameHeader (frameLength and k), the
// sampleCount of an escape frame, then verbatim values, or the coefficient
// bits (4 for the slope, 30 for the three taps) and the residual words packed
// behind them, padded with zero bits to a byte.
#include "frameencoder.h"

#include "codec/streamformat.h"
#include "residualwriter.h"

static int CoefficientBits(int coderType)
{
    if (coderType == ThreeTapCoder) return 30;
    if (coderType == SlopeCoder) return 4;
    return 0;
}

static int FrameHeaderBytes(bool escape)
{
    return escape ? 4 : 2;
}

void PlanFrame(const FrameSignal& signal, int coderType, int level, bool escape, FramePlan& plan)
{
    plan = FramePlan{};
    plan.coderType = coderType;
    plan.escape = escape;
    if (coderType == ThreeTapCoder) ChooseThreeTap(signal, level, plan.choice);
    else if (coderType == SlopeCoder) ChooseSlope(signal, level, plan.choice);
    else ChooseDelta(signal, plan.choice);

    int verbatimBytes = FrameHeaderBytes(escape) + 2 * signal.count;
    int64_t codedBytes = -1;
    if (plan.choice.bits >= 0)
        codedBytes = FrameHeaderBytes(escape) + (CoefficientBits(coderType) + plan.choice.bits + 7) / 8;
    bool fits = codedBytes >= 0 && (escape || codedBytes <= MaxFrameLength);
    // ties go to verbatim, which decodes fastest
    plan.verbatim = !fits || codedBytes >= verbatimBytes;
    plan.bytes = plan.verbatim ? verbatimBytes : (int)codedBytes;
}

static void PutFrameHeader(unsigned char*& out, const FramePlan& plan, int count)
{
    int k = plan.verbatim ? VerbatimK : plan.choice.k;
    int length = plan.escape ? EscapeLength : plan.bytes;
    int h = k << 12 | length;
    *out++ = (unsigned char)h;
    *out++ = (unsigned char)(h >> 8);
    if (plan.escape) {
        *out++ = (unsigned char)count;
        *out++ = (unsigned char)(count >> 8);
    }
}

int WriteFrame(const FrameSignal& signal, const FramePlan& plan, unsigned char* out)
{
    const int32_t* x = signal.padded + HistoryPad;
    unsigned char* start = out;
    PutFrameHeader(out, plan, signal.count);
    if (plan.verbatim) {
        for (int i = 0; i < signal.count; i++) {
            *out++ = (unsigned char)x[i];
            *out++ = (unsigned char)(x[i] >> 8);
        }
        return (int)(out - start);
    }
    static int32_t residuals[MaxFrameValues];
    BitWriter writer;
    StartBits(writer, out);
    const CoderChoice& choice = plan.choice;
    if (plan.coderType == ThreeTapCoder) {
        WriteBits(writer, (uint32_t)FieldFromTap1(choice.tap1), 10);
        WriteBits(writer, (uint32_t)FieldFromTap2(choice.tap2), 10);
        WriteBits(writer, (uint32_t)FieldFromTap3(choice.tap3), 10);
        ThreeTapResiduals(signal, choice.tap1, choice.tap2, choice.tap3, residuals);
    } else if (plan.coderType == SlopeCoder) {
        WriteBits(writer, (uint32_t)choice.slope, 4);
        SlopeResiduals(signal, choice.slope, residuals);
    } else {
        DeltaResiduals(signal, residuals);
    }
    for (int i = 0; i < signal.count; i++) WriteResidual(writer, residuals[i], choice.k);
    out = FinishBits(writer);
    return (int)(out - start);
}
