// Fuzzing the encoder's WAV reader with a file held in memory.
#include <cstdint>
#include <cstdio>

#include "encoder/wavreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    WavAudio audio;
    if (ReadWav(file, nullptr, audio) == 0) {   // then the values walked again are as many as counted
        rewind(file);
        StartWavValues(file, audio);
        int16_t values[4096];
        int64_t count = 0;
        for (int got; (got = ReadWavValues(values, 4096)) > 0;) count += got;
        if (count != audio.totalSamples * audio.channels) __builtin_trap();
    }
    fclose(file);
    return 0;
}
