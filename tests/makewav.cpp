// Synthetic 16-bit PCM WAV files for the command-line round trips, with the
// canonical 44-byte header, so the PCM is all that follows byte 44.
//   makewav KIND RATE CHANNELS SAMPLES OUT.wav
//   KIND: silence sine noise chirp extremes
#include <cmath>
#include <cstdlib>

#include "testfiles.h"

static int Sample(const char* kind, int i, int ch, int rate, unsigned& seed)
{
    double t = (double)i / rate, pi = 3.14159265358979;
    int run = (i / 37 + ch) % 4;   // extremes: runs at both ends, a lone -32768, jumps across the range
    seed = seed * 1664525u + 1013904223u;
    if (!strcmp(kind, "sine")) return (int)std::lround(16000 * std::sin(2 * pi * (330 + 220 * ch) * t));
    if (!strcmp(kind, "noise")) return (short)(seed >> 16);
    if (!strcmp(kind, "chirp")) return (int)std::lround(32000 * std::sin(2 * pi * (20 + 3000 * t) * t));
    if (strcmp(kind, "extremes")) return 0;
    return i == 7 || run == 1 ? -32768 : run == 0 ? 32767 : run == 2 ? ((i & 1) ? -32768 : 32767) : 0;
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
    for (int i = 0; i < samples * channels; i++) {
        int value = Sample(argv[1], i / channels, i % channels, rate, seed);
        pcm.insert(pcm.end(), {(unsigned char)value, (unsigned char)(value >> 8)});
    }
    Bytes wav = Text("RIFF") + LE(36 + (uint32_t)pcm.size(), 4) + Text("WAVEfmt ") + LE(16, 4) + LE(1, 2) +   // PCM
                LE(channels, 2) + LE(rate, 4) + LE(rate * channels * 2, 4) + LE(channels * 2, 2) + LE(16, 2) +
                Text("data") + LE((uint32_t)pcm.size(), 4) + pcm;
    FILE* out = fopen(argv[5], "wb");
    return out == nullptr || fwrite(wav.data(), 1, wav.size(), out) != wav.size() || fclose(out) != 0;
}
