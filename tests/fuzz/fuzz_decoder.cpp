// Fuzzing the stream reader: a header and then its frames (16 at most), as
// the player and pelorix-decode read them, from a file held in memory.
#include <cstdint>
#include <cstdio>

#include "codec/framedecoder.h"
#include "codec/streamformat.h"

// Frames up to the most the player buffers (100000 values a second): wider
// ones take no other path, and each costs its values even past the end. The
// seeds hold 5 frames at most; a longer input is cut at 16.
static const int MaxFrameValues = 100000 / FramesPerSecond;
static const int MaxFrames = 16;
static unsigned char frame[MaxFrameValues * 2];

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A header cut short, or skipping past the end, reads up to 64 K bytes of
    // end of file one at a time and then only silent frames: nothing new.
    if (size < (size_t)FirstFrameOffset || size < FirstFrameOffset + (size_t)(data[66] | data[67] << 8)) return 0;
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!stream) return 0;
    StreamHeader header;
    if (ReadStreamHeader(stream, header) == Ok && header.samplesPerFrame <= MaxFrameValues) {
        for (int f = 0; f < MaxFrames && !feof(stream); f++) {
            unsigned char* outputPosition = frame;
            int result = DecodeFrame(stream, header, outputPosition);
            if (outputPosition != frame + 2 * header.samplesPerFrame) __builtin_trap();
            if (result == Failed)   // damaged: silence, never noise
                for (int i = 0; i < 2 * header.samplesPerFrame; i++)
                    if (frame[i] != 0) __builtin_trap();
        }
    }
    fclose(stream);
    return 0;
}
