// Stream file header: the little-endian reader, the quick validation used
// before a file enters the Playlist, and the full header read that starts
// playback.
#pragma once

#include <cstdint>
#include <cstdio>

#include "streamformat.h"

// Why ReadStreamHeader refused a stream; the caller words the message.
enum StreamHeaderFailure {
    NoFailure = 0,
    BadChannelCount,        // channels not 1 or 2
    SampleRateBelow50,      // frames would hold no samples
    UnsupportedCoderType,   // coderType above 22
};

struct StreamHeader {
    int32_t riffId, riffSize, waveId, fmtId, fmtSize;
    int32_t formatTag, channels, sampleRate, avgBytesPerSec;
    int32_t blockAlign, bitsPerSample, extraSize;
    int32_t coderType, coderReserved, factId, factSize;
    int32_t totalSamples, dataId, dataSize, skipLength;
    int32_t samplesPerFrame;   // values per frame over all channels
    int32_t lastFrame;         // (totalSamples - 1) / (sampleRate / 50), truncating
    int failure;               // a StreamHeaderFailure
};

// Reads byteCount (1, 2 or 4) bytes little-endian; end of file reads as 0xFF.
int32_t ReadLittleEndian(FILE* file, int byteCount);

// Ok when the path opens and starts RIFF, ?, WAVE, "fmt ", ?, tag 0x8A3A.
int ValidateStreamFile(const char* path);

// From offset 0 of streamFile; on Ok the stream stands at the first frame.
// On Failed, header.failure says why and nothing further was read.
int ReadStreamHeader(FILE* streamFile, StreamHeader& header);
