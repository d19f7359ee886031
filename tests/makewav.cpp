// Synthetic 16-bit PCM WAV files for the command-line round trips, with the
// canonical 44-byte header, so the PCM is all that follows byte 44.
//   makewav KIND RATE CHANNELS SAMPLES OUT.wav
//   KIND: silence sine noise chirp extremes
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "testfiles.h"

static int Sample(const char* kind, int i, int ch, int rate, unsigned& seed)
{
    const double pi = 3.14159265358979;
    double t = (double)i / rate;
    seed = seed * 1664525u + 1013904223u;
    if (!strcmp(kind, "sine")) return (int)std::lround(16000 * std::sin(2 * pi * (330 + 220 * ch) * t));
    if (!strcmp(kind, "noise")) return (short)(seed >> 16);
    if (!strcmp(kind, "chirp")) return (int)std::lround(32000 * std::sin(2 * pi * (20 + 3000 * t) * t));
    if (!strcmp(kind, "extremes")) {   // runs at both ends, a lone -32768, jumps across the range
        if (i == 7) return -32768;
        int run = (i / 37 + ch) % 4;
        return run == 0 ? 32767 : run == 1 ? -32768 : run == 2 ? ((i & 1) ? -32768 : 32767) : 0;
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc != 6) {
        fputs("usage: makewav KIND RATE CHANNELS SAMPLES OUT.wav\n", stderr);
        return 2;
    }
    int rate = atoi(argv[2]), channels = atoi(argv[3]), samples = atoi(argv[4]);
    Bytes pcm;
    unsigned seed = 7;
    for (int i = 0; i < samples; i++)
        for (int ch = 0; ch < channels; ch++) {
            Bytes value = LE((uint32_t)Sample(argv[1], i, ch, rate, seed), 2);
            pcm.insert(pcm.end(), value.begin(), value.end());
        }
    Bytes wav = Text("RIFF") + LE(36 + (uint32_t)pcm.size(), 4) + Text("WAVEfmt ") + LE(16, 4) + LE(1, 2) +   // PCM
                LE(channels, 2) + LE(rate, 4) + LE(rate * channels * 2, 4) + LE(channels * 2, 2) + LE(16, 2) +
                Text("data") + LE((uint32_t)pcm.size(), 4) + pcm;
    FILE* out = fopen(argv[5], "wb");
    return out == nullptr || fwrite(wav.data(), 1, wav.size(), out) != wav.size() || fclose(out) != 0;
}
