// Parameter search. Starting points come from least squares on the frame
// (with zero history before its start, as the decoder has); the search then
// moves over the quantised fields judged by the exact bit count, since the
// residual code's cost is far from the squared error that least squares
// minimises.
#include "tapsearch.h"

#include <cmath>

#include "codec/streamformat.h"
#include "residualwriter.h"

static const int TapMin[3] = {Tap1FromField(0), Tap2FromField(TapFieldMax), Tap3FromField(0)};
static const int TapMax[3] = {Tap1FromField(TapFieldMax), Tap2FromField(0), Tap3FromField(TapFieldMax)};
const int SlopeCount = 16;

static int32_t scratch[MaxFrameValues];   // residuals of the candidate being judged

static bool Better(const CoderChoice& candidate, const CoderChoice& best)
{
    return candidate.bits >= 0 && (best.bits < 0 || candidate.bits < best.bits);
}

static void JudgeResiduals(const int32_t* residuals, int count, CoderChoice& choice)
{
    ResidualLengths lengths;
    CountResidualLengths(residuals, count, lengths);
    if (ChooseResidualK(lengths, choice.k, choice.bits) != Ok) choice.bits = -1;
}

void ChooseDelta(const FrameSignal& signal, CoderChoice& choice)
{
    choice = CoderChoice{};
    DeltaResiduals(signal, scratch);
    JudgeResiduals(scratch, signal.count, choice);
}

// ---- slope coder ----

static void JudgeSlope(const FrameSignal& signal, int slope, CoderChoice& best)
{
    CoderChoice candidate = {};
    candidate.slope = slope;
    SlopeResiduals(signal, slope, scratch);
    JudgeResiduals(scratch, signal.count, candidate);
    if (Better(candidate, best)) best = candidate;
}

// The real slope that best fits x - p1 = slope x ((p1 - p2) >> 3).
static double FitSlope(const FrameSignal& signal)
{
    const int32_t* x = signal.padded + HistoryPad;
    int c = signal.channels;
    double numerator = 0, denominator = 0;
    for (int i = 2 * c; i < signal.count; i++) {
        double d = (x[i - c] - x[i - 2 * c]) >> 3;
        numerator += (x[i] - x[i - c]) * d;
        denominator += d * d;
    }
    return denominator > 0 ? numerator / denominator : 0;
}

void ChooseSlope(const FrameSignal& signal, int level, CoderChoice& choice)
{
    choice = CoderChoice{};
    choice.bits = -1;
    if (level >= BestLevel) {
        for (int slope = 0; slope < SlopeCount; slope++) JudgeSlope(signal, slope, choice);
        return;
    }
    double fit = FitSlope(signal);
    int start = fit < 0 ? 0 : fit > SlopeCount - 1 ? SlopeCount - 1 : (int)std::lround(fit);
    JudgeSlope(signal, start, choice);
    if (level == FastLevel) return;
    // the cost is close to convex in the slope: walk downhill either way
    for (int step = -1; step <= 1; step += 2) {
        for (int slope = start + step; slope >= 0 && slope < SlopeCount; slope += step) {
            int64_t before = choice.bits;
            JudgeSlope(signal, slope, choice);
            if (choice.bits == before) break;
        }
    }
}

// ---- three-tap coder ----

// Solves the n x n system a x = b by elimination with partial pivoting.
static bool SolveLinear(int n, double a[3][3], double b[3], double x[3])
{
    for (int col = 0; col < n; col++) {
        int pivot = col;
        for (int row = col + 1; row < n; row++)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        if (std::fabs(a[pivot][col]) < 1e-12) return false;
        for (int j = 0; j < n; j++) std::swap(a[col][j], a[pivot][j]);
        std::swap(b[col], b[pivot]);
        for (int row = col + 1; row < n; row++) {
            double f = a[row][col] / a[col][col];
            for (int j = col; j < n; j++) a[row][j] -= f * a[col][j];
            b[row] -= f * b[col];
        }
    }
    for (int row = n - 1; row >= 0; row--) {
        double sum = b[row];
        for (int j = row + 1; j < n; j++) sum -= a[row][j] * x[j];
        x[row] = sum / a[row][row];
    }
    return true;
}

// Normal equations of the fit x[i] ~ sum of a_j x[i - jc]: gram[j][l] and
// target[j], weighted per value when weights is given. The first 3c values
// are left out: their history is partly the zeros before the frame, their
// residuals are nearly the values themselves whatever the taps, and their
// squares would outweigh all the rest of the frame.
static void NormalEquations(const FrameSignal& signal, const double* weights, double gram[3][3], double target[3])
{
    const int32_t* x = signal.padded + HistoryPad;
    int c = signal.channels;
    double s[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 3 * c; i < signal.count; i++) {
        double w = weights != nullptr ? weights[i] : 1.0;
        double y = x[i] * w, p1 = x[i - c], p2 = x[i - 2 * c], p3 = x[i - 3 * c];
        double wp1 = p1 * w, wp2 = p2 * w, wp3 = p3 * w;
        s[0] += wp1 * p1; s[1] += wp1 * p2; s[2] += wp1 * p3;
        s[3] += wp2 * p2; s[4] += wp2 * p3; s[5] += wp3 * p3;
        s[6] += y * p1; s[7] += y * p2; s[8] += y * p3;
    }
    gram[0][0] = s[0]; gram[0][1] = gram[1][0] = s[1]; gram[0][2] = gram[2][0] = s[2];
    gram[1][1] = s[3]; gram[1][2] = gram[2][1] = s[4]; gram[2][2] = s[5];
    target[0] = s[6]; target[1] = s[7]; target[2] = s[8];
    // A touch of ridge keeps exact-rank signals (silence, DC, one pure sine) solvable.
    double ridge = 1e-9 * (s[0] + s[3] + s[5]) + 1e-6;
    for (int j = 0; j < 3; j++) gram[j][j] += ridge;
}

static int QuantiseTap(double a, int j)
{
    double scaled = std::floor(a * 256 + 0.5);
    if (scaled < TapMin[j]) return TapMin[j];
    if (scaled > TapMax[j]) return TapMax[j];
    return (int)scaled;
}

// Rounds the solution one tap at a time, refitting the taps not yet fixed to
// the rounded ones: better than rounding all three when the last values are
// strongly correlated, as in music, where the errors of independent
// rounding add up along the badly conditioned direction.
static bool QuantisedFit(const double gram[3][3], const double target[3], int taps[3])
{
    double fixedSum[3] = {0, 0, 0};   // contribution of fixed taps to each equation
    for (int free = 3; free >= 1; free--) {
        double a[3][3], b[3], x[3];
        for (int j = 0; j < free; j++) {
            for (int l = 0; l < free; l++) a[j][l] = gram[j][l];
            b[j] = target[j] - fixedSum[j];
        }
        if (!SolveLinear(free, a, b, x)) return false;
        int j = free - 1;
        taps[j] = QuantiseTap(x[j], j);
        for (int l = 0; l < 3; l++) fixedSum[l] += gram[l][j] * taps[j] / 256.0;
    }
    return true;
}

bool LeastSquaresTaps(const FrameSignal& signal, double taps[3])
{
    double gram[3][3], target[3];
    NormalEquations(signal, nullptr, gram, target);
    return SolveLinear(3, gram, target, taps);
}

static void JudgeTaps(const FrameSignal& signal, const int taps[3], CoderChoice& best)
{
    for (int j = 0; j < 3; j++)
        if (taps[j] < TapMin[j] || taps[j] > TapMax[j]) return;
    CoderChoice candidate = {};
    candidate.tap1 = taps[0];
    candidate.tap2 = taps[1];
    candidate.tap3 = taps[2];
    ThreeTapResiduals(signal, taps[0], taps[1], taps[2], scratch);
    JudgeResiduals(scratch, signal.count, candidate);
    if (Better(candidate, best)) best = candidate;
}

// First-improvement descent: each round tries every step from the current best
// and moves on as soon as one is better; ends when a round finds nothing.
static void Descend(const FrameSignal& signal, const int (*steps)[3], int stepCount, int rounds, CoderChoice& best)
{
    for (int round = 0; round < rounds; round++) {
        int64_t before = best.bits;
        for (int s = 0; s < stepCount; s++) {
            int taps[3] = {best.tap1 + steps[s][0], best.tap2 + steps[s][1], best.tap3 + steps[s][2]};
            JudgeTaps(signal, taps, best);
        }
        if (best.bits == before) return;
    }
}

// Every point of the cube of half-width radius around the best, again
// around each new best, until the centre holds.
static void SearchCubes(const FrameSignal& signal, int radius, int rounds, CoderChoice& best)
{
    for (int round = 0; round < rounds; round++) {
        CoderChoice centre = best;
        for (int d1 = -radius; d1 <= radius; d1++)
            for (int d2 = -radius; d2 <= radius; d2++)
                for (int d3 = -radius; d3 <= radius; d3++) {
                    int taps[3] = {centre.tap1 + d1, centre.tap2 + d2, centre.tap3 + d3};
                    JudgeTaps(signal, taps, best);
                }
        if (best.bits == centre.bits) return;
    }
}

// Least squares reweighted towards least absolute residuals, which the
// code's near-logarithmic cost resembles more than squares do.
static bool ReweightedFit(const FrameSignal& signal, const int start[3], int taps[3])
{
    static double weights[MaxFrameValues];
    const int32_t* x = signal.padded + HistoryPad;
    int c = signal.channels;
    for (int j = 0; j < 3; j++) taps[j] = start[j];
    for (int pass = 0; pass < 4; pass++) {
        for (int i = 0; i < signal.count; i++) {
            double r = x[i] - (x[i - c] * taps[0] + x[i - 2 * c] * taps[1] + x[i - 3 * c] * taps[2]) / 256.0;
            weights[i] = 1.0 / (std::fabs(r) + 1.0);
        }
        double gram[3][3], target[3];
        NormalEquations(signal, weights, gram, target);
        if (!QuantisedFit(gram, target, taps)) return false;
    }
    return true;
}

static const int AxisSteps[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};

struct StepTable {
    int step[26][3];
};

// The 26 neighbours of a point: every step of -1, 0 or +1 on each tap but none.
static constexpr StepTable MakeNeighbourSteps()
{
    StepTable table = {};
    int n = 0;
    for (int d1 = -1; d1 <= 1; d1++)
        for (int d2 = -1; d2 <= 1; d2++)
            for (int d3 = -1; d3 <= 1; d3++)
                if (d1 != 0 || d2 != 0 || d3 != 0) {
                    table.step[n][0] = d1;
                    table.step[n][1] = d2;
                    table.step[n][2] = d3;
                    n++;
                }
    return table;
}
static constexpr StepTable NeighbourSteps = MakeNeighbourSteps();

// The fixed predictors of orders 1 to 3: previous value, linear and quadratic extrapolation.
static const int FixedTaps[3][3] = {{256, 0, 0}, {512, -256, 0}, {768, -768, 256}};

void ChooseThreeTap(const FrameSignal& signal, int level, CoderChoice& choice)
{
    choice = CoderChoice{};
    choice.bits = -1;
    double gram[3][3], target[3];
    NormalEquations(signal, nullptr, gram, target);
    int fitted[3];
    bool haveFit = QuantisedFit(gram, target, fitted);
    if (haveFit) JudgeTaps(signal, fitted, choice);
    JudgeTaps(signal, FixedTaps[1], choice);
    if (level >= BestLevel || !haveFit) {
        JudgeTaps(signal, FixedTaps[0], choice);
        JudgeTaps(signal, FixedTaps[2], choice);
    }
    if (level == FastLevel) return;
    if (level == NormalLevel) {
        Descend(signal, AxisSteps, 6, 4, choice);
        return;
    }
    CoderChoice start = choice;
    Descend(signal, NeighbourSteps.step, 26, 8, choice);
    if (level == BestLevel) return;
    // The yardstick: dense cubes around the best level's answer and around
    // the best start, the reweighted fit included, each to a fixed point.
    int reweighted[3];
    int from[3] = {start.tap1, start.tap2, start.tap3};
    if (ReweightedFit(signal, from, reweighted)) JudgeTaps(signal, reweighted, start);
    SearchCubes(signal, 3, 20, start);
    SearchCubes(signal, 3, 20, choice);
    if (Better(start, choice)) choice = start;
}
