// pelorix-makewav: writes a small synthetic 16-bit PCM WAV file for the round
// trips through the encoder under Wine. Deterministic: the same arguments give
// the same bytes on every machine.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char* const UsageText =
    "usage: pelorix-makewav OUT SIGNAL CHANNELS RATE SAMPLES\n"
    "  SIGNAL: silence, sine, noise or extremes; SAMPLES per channel\n";

const int MaxSamples = 10000000;
const double Pi = 3.14159265358979323846;

static uint32_t noiseState = 12345;   // linear congruential generator, fixed seed

static int NextNoise()
{
    noiseState = noiseState * 1664525u + 1013904223u;
    return (int)(int16_t)(noiseState >> 16);
}

// Value of one channel at sample i. "extremes" holds runs at both ends of the
// 16-bit range, a lone -32768 and jumps across the whole range.
static int Sample(const char* signal, int channel, int i, int rate)
{
    if (strcmp(signal, "sine") == 0) {
        double hertz = channel == 0 ? 440.0 : 660.0;
        return (int)lround(12000.0 * sin(2.0 * Pi * hertz * i / rate));
    }
    if (strcmp(signal, "noise") == 0) return NextNoise();
    if (strcmp(signal, "extremes") == 0) {
        if (i == 7) return -32768;
        int run = (i / 37 + channel) % 4;
        if (run == 0) return 32767;
        if (run == 1) return -32768;
        if (run == 2) return i % 2 == 0 ? 32767 : -32768;
        return 0;
    }
    return 0;
}

static void PutLittleEndian(FILE* file, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; i++) fputc((int)((value >> (8 * i)) & 0xFF), file);
}

int main(int argc, char** argv)
{
    if (argc != 6) {
        fputs(UsageText, stderr);
        return 2;
    }
    const char* signal = argv[2];
    int channels = atoi(argv[3]);
    int rate = atoi(argv[4]);
    int samples = atoi(argv[5]);
    bool known = strcmp(signal, "silence") == 0 || strcmp(signal, "sine") == 0 || strcmp(signal, "noise") == 0 ||
                 strcmp(signal, "extremes") == 0;
    if (!known || channels < 1 || channels > 2 || rate < 1 || samples < 0 || samples > MaxSamples) {
        fputs(UsageText, stderr);
        return 2;
    }
    FILE* file = fopen(argv[1], "wb");
    if (file == nullptr) {
        fprintf(stderr, "pelorix-makewav: %s: cannot write\n", argv[1]);
        return 1;
    }
    uint32_t dataBytes = (uint32_t)samples * (uint32_t)channels * 2;
    fputs("RIFF", file);
    PutLittleEndian(file, 36 + dataBytes, 4);
    fputs("WAVEfmt ", file);
    PutLittleEndian(file, 16, 4);
    PutLittleEndian(file, 1, 2);   // PCM
    PutLittleEndian(file, (uint32_t)channels, 2);
    PutLittleEndian(file, (uint32_t)rate, 4);
    PutLittleEndian(file, (uint32_t)rate * (uint32_t)channels * 2, 4);
    PutLittleEndian(file, (uint32_t)channels * 2, 2);
    PutLittleEndian(file, 16, 2);
    fputs("data", file);
    PutLittleEndian(file, dataBytes, 4);
    for (int i = 0; i < samples; i++) {
        for (int channel = 0; channel < channels; channel++) {
            PutLittleEndian(file, (uint32_t)(uint16_t)Sample(signal, channel, i, rate), 2);
        }
    }
    if (fclose(file) != 0) {
        fprintf(stderr, "pelorix-makewav: %s: cannot write\n", argv[1]);
        return 1;
    }
    return 0;
}
