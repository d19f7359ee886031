// Fuzzing the stream reader: a header and then frames, as the player and
// pelorix-decode read them, from a file held in memory.
#include <cstdint>
#include <cstdio>

#include "codec/framedecoder.h"
#include "codec/streamformat.h"

static const int MaxFrameValues = 2 * 384000 / 50;   // the highest rate the tools take
static const int MaxFrames = 60;   // 1.2 s: enough for every coder and the escape, and fast
static unsigned char frame[MaxFrameValues * 2];

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!stream) return 0;
    StreamHeader header;
    if (ReadStreamHeader(stream, header) == Ok && header.samplesPerFrame <= MaxFrameValues) {
        for (int f = 0; f < MaxFrames && !feof(stream); f++) {
            unsigned char* outputPosition = frame;
            DecodeFrame(stream, header, outputPosition);
            if (outputPosition != frame + 2 * header.samplesPerFrame) __builtin_trap();
        }
    }
    fclose(stream);
    return 0;
}
