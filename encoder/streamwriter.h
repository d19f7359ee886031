// A whole stream file from 16-bit PCM: the fixed header, skipLength 0, and
// the frames of the coder that gives the smallest file.
#pragma once

#include <cstdint>
#include <cstdio>

#include "codec/streamformat.h"
#include "frameencoder.h"

const int AutoCoder = -1;           // try all three coders, keep the smallest
const int64_t MaxValuesPerSecond = 100000;   // sampleRate x channels the player can buffer

struct EncodeSettings {
    int coder;      // AutoCoder, DeltaCoder, SlopeCoder or ThreeTapCoder
    int level;      // an EncoderLevel
    void (*progress)(void* context, double done);   // done from 0 to 1; may be null
    void* progressContext;
};

struct EncodeResult {
    int coderType;          // the coder written
    int64_t fileBytes;      // the whole stream file
    int64_t coderBytes[3];  // file size with the delta, slope and three-tap coder; -1 when not tried
    int64_t verbatimFrames; // frames of the written coder stored verbatim
    int64_t frames;
};

// The 68 bytes from "RIFF" to skipLength (0), every field as a well-formed
// stream file holds it; the fmt fields that describe the audio give the
// 16-bit PCM the stream decodes to.
void MakeStreamHeader(unsigned char header[FirstFrameOffset], int channels, int sampleRate, int coderType,
                      uint32_t totalSamples, uint32_t frameBytes);

// values: totalSamples x channels interleaved values. Fails when the format
// cannot hold the audio (channels, sampleRate, length) or a write fails.
int EncodeStream(const int16_t* values, int64_t totalSamples, int channels, int sampleRate,
                 const EncodeSettings& settings, FILE* out, EncodeResult& result);
