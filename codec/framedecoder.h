// Frame decoder: one frame of the open stream into samplesPerFrame signed
// 16-bit values, interleaved, little-endian at outputPosition.
#pragma once

#include <cstdio>

#include "streamfile.h"

// Reads exactly one frame and writes exactly header.samplesPerFrame values,
// advancing outputPosition by 2 per value.
// Ok: an intact frame, or the escape frame (it records no length, so it cannot
// be checked), the stream left at the next FrameHeader; or silence where the
// file has ended, before the frame or inside one that records its length, the
// stream then at the end of the file with its end-of-file flag set.
// Failed: a damaged frame, whose coding did not use the bytes its FrameHeader
// records (verbatim: 2 a value). It is silence, and the stream stands at the
// frame's start plus that length, at least 2: where the player's seek walk
// finds the next frame.
int DecodeFrame(FILE* streamFile, const StreamHeader& header, unsigned char*& outputPosition);
