// Stream file header: fixed offsets, little-endian fields, end of file read
// as 0xFF bytes. Chunk sizes are read and never used to find anything.
#include "streamfile.h"

#include <cstring>

int32_t ReadLittleEndian(FILE* file, int byteCount)
{
    uint32_t value = 0;
    for (int i = 0; i < byteCount && i < 4; i++) {
        uint32_t byte = (uint32_t)getc(file) & 0xFF;   // EOF (-1) becomes 0xFF
        value |= byte << (8 * i);
    }
    return (int32_t)value;
}

static int32_t FourCC(const char* id)
{
    return (int32_t)((uint32_t)(unsigned char)id[0] | (uint32_t)(unsigned char)id[1] << 8 |
                     (uint32_t)(unsigned char)id[2] << 16 | (uint32_t)(unsigned char)id[3] << 24);
}

int ValidateStreamFile(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr) return Failed;
    int result = Failed;
    if (ReadLittleEndian(file, 4) == FourCC("RIFF")) {
        ReadLittleEndian(file, 4);                              // riffSize
        if (ReadLittleEndian(file, 4) == FourCC("WAVE") &&
            ReadLittleEndian(file, 4) == FourCC("fmt ")) {
            ReadLittleEndian(file, 4);                          // fmtSize
            if (ReadLittleEndian(file, 2) == StreamFormatTag) result = Ok;
        }
    }
    fclose(file);
    return result;
}

int ReadStreamHeader(FILE* streamFile, StreamHeader& header)
{
    memset(&header, 0, sizeof header);
    header.riffId = ReadLittleEndian(streamFile, 4);
    header.riffSize = ReadLittleEndian(streamFile, 4);
    header.waveId = ReadLittleEndian(streamFile, 4);
    header.fmtId = ReadLittleEndian(streamFile, 4);
    header.fmtSize = ReadLittleEndian(streamFile, 4);
    header.formatTag = ReadLittleEndian(streamFile, 2);
    header.channels = ReadLittleEndian(streamFile, 2);
    if (header.channels < 1 || header.channels > 2) {
        header.failure = BadChannelCount;
        return Failed;
    }
    header.sampleRate = ReadLittleEndian(streamFile, 4);
    if (header.sampleRate < MinSampleRate) {
        header.failure = SampleRateBelow50;
        return Failed;
    }
    // 64-bit product: a damaged rate near 2^31 must not overflow
    header.samplesPerFrame = (int32_t)((int64_t)header.sampleRate * header.channels / FramesPerSecond);
    header.avgBytesPerSec = ReadLittleEndian(streamFile, 4);
    header.blockAlign = ReadLittleEndian(streamFile, 2);
    header.bitsPerSample = ReadLittleEndian(streamFile, 2);
    header.extraSize = ReadLittleEndian(streamFile, 2);
    header.coderType = ReadLittleEndian(streamFile, 4);
    header.coderReserved = ReadLittleEndian(streamFile, 4);
    header.factId = ReadLittleEndian(streamFile, 4);
    header.factSize = ReadLittleEndian(streamFile, 4);
    header.totalSamples = ReadLittleEndian(streamFile, 4);
    header.dataId = ReadLittleEndian(streamFile, 4);
    header.dataSize = ReadLittleEndian(streamFile, 4);
    if (header.coderType > MaxCoderType) {
        header.failure = UnsupportedCoderType;
        return Failed;
    }
    header.skipLength = ReadLittleEndian(streamFile, 2);
    for (int i = 0; i < header.skipLength; i++) getc(streamFile);
    // In 64 bits, so that a damaged negative totalSamples cannot wrap to a
    // large frame number; such a stream has nothing to play.
    int64_t lastFrame = ((int64_t)header.totalSamples - 1) / (header.sampleRate / FramesPerSecond);
    header.lastFrame = lastFrame < INT32_MIN ? INT32_MIN : (int32_t)lastFrame;
    return Ok;
}
