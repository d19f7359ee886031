// One frame from the writing side: the smallest coding of a frame's values
// for a stream's coder (coded at the best k, or verbatim), its exact size,
// and its bytes.
#pragma once

#include "residuals.h"
#include "tapsearch.h"

const int MaxFrameBytes = 4 + 2 * MaxFrameValues;   // verbatim with sampleCount; no plan is longer

struct FramePlan {
    int coderType;        // DeltaCoder, SlopeCoder or ThreeTapCoder
    bool escape;          // the stream's last frame: sampleCount follows the FrameHeader
    bool verbatim;
    CoderChoice choice;   // k and parameters when coded
    int bytes;            // the whole frame, FrameHeader included
};

// Chooses the coding. A frame without the escape is at most MaxFrameLength
// bytes: one whose coding would be longer is verbatim, which always fits
// for samplesPerFrame up to MaxFrameValues.
void PlanFrame(const FrameSignal& signal, int coderType, int level, bool escape, FramePlan& plan);

// Writes the frame as planned; returns plan.bytes.
int WriteFrame(const FrameSignal& signal, const FramePlan& plan, unsigned char* out);
