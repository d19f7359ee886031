// Frame decoder: one frame of the open stream into samplesPerFrame signed
// 16-bit values, interleaved, little-endian at outputPosition.
#pragma once

#include <cstdio>

#include "streamfile.h"

// Reads exactly one frame and writes exactly header.samplesPerFrame values,
// advancing outputPosition by 2 per value. The stream is left at the next
// FrameHeader; at end of file the frame is silence.
void DecodeFrame(FILE* streamFile, const StreamHeader& header, unsigned char*& outputPosition);
