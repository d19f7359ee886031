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

// A stream from values given in pieces of any length, in two passes over the
// same values: StartStream, CodeValues until all totalSamples x channels are
// given, WriteStreamHeader, CodeValues with all of them again, FinishStream.
// The first pass plans every frame for each coder tried and keeps the plans in
// plans (a file read and written, at its start), the second writes the frames
// of the smallest coder from them; with plans null the second pass plans that
// coder's frames once more. Memory is the same for any length.

// Fails when the format cannot hold the audio (channels, sampleRate, length).
int StartStream(int64_t totalSamples, int channels, int sampleRate, const EncodeSettings& settings, FILE* plans);
// Plans, or in the second pass writes, each frame the values complete; fails
// on more values than the stream holds or a failed read or write of a file.
int CodeValues(const int16_t* values, int64_t count);
// After the first pass: chooses the coder and writes the header (and a stream
// without values) to out. Fails when values are missing, the frames are too
// long for the data chunk's size field, or a write fails.
int WriteStreamHeader(FILE* out);
// After the second pass; fails when values are missing.
int FinishStream(EncodeResult& result);

// The passes over values in memory, totalSamples x channels interleaved.
int EncodeStream(const int16_t* values, int64_t totalSamples, int channels, int sampleRate,
                 const EncodeSettings& settings, FILE* out, EncodeResult& result);
