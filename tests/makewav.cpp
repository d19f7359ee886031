// Synthetic 16-bit PCM WAV files for the command-line round trips, with the
// canonical 44-byte header, so the PCM is all that follows byte 44.
//   makewav KIND RATE CHANNELS SAMPLES OUT.wav
//   KIND: silence sine noise chirp extremes, as MakeSignal makes them
#include <cstdlib>

#include "testfiles.h"

int main(int argc, char** argv)
{
    if (argc != 6) {
        fputs("usage: makewav KIND RATE CHANNELS SAMPLES OUT.wav\n", stderr);
        return 2;
    }
    int rate = atoi(argv[2]), channels = atoi(argv[3]), samples = atoi(argv[4]);
    Bytes pcm;
    for (int16_t value : MakeSignal(argv[1], rate, channels, samples))
        pcm.insert(pcm.end(), {(unsigned char)value, (unsigned char)(value >> 8)});
    Bytes wav = Text("RIFF") + LE(36 + (uint32_t)pcm.size(), 4) + Text("WAVEfmt ") + LE(16, 4) + LE(1, 2) +   // PCM
                LE(channels, 2) + LE(rate, 4) + LE(rate * channels * 2, 4) + LE(channels * 2, 2) + LE(16, 2) +
                Text("data") + LE((uint32_t)pcm.size(), 4) + pcm;
    FILE* out = fopen(argv[5], "wb");
    return out == nullptr || fwrite(wav.data(), 1, wav.size(), out) != wav.size() || fclose(out) != 0;
}
