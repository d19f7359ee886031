// Fuzzing the encoder's WAV reader with a file held in memory.
#include <cstdint>
#include <cstdio>

#include "encoder/wavreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    WavAudio audio;
    if (ReadWav(file, audio) == 0 && audio.values.size() != static_cast<size_t>(audio.totalSamples * audio.channels))
        __builtin_trap();
    fclose(file);
    return 0;
}
