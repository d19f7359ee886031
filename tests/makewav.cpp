// Synthetic WAV files for the command-line round trips: a signal, and its raw
// PCM beside it.
//   makewav KIND RATE CHANNELS SAMPLES OUT.wav [OUT.pcm] [options]
//   KIND: silence sine noise chirp extremes
//   options: --pipe (RIFF and data sizes 0xFFFFFFFF, as a program writing to a
//   pipe leaves them), --bits N, --float (the data then is all zero bytes)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static void Put(std::string& out, unsigned long value, int bytes)
{
    for (int i = 0; i < bytes; i++) out += (char)(value >> (8 * i));
}

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
    if (argc < 6) {
        fputs("usage: makewav KIND RATE CHANNELS SAMPLES OUT.wav [OUT.pcm] [options]\n", stderr);
        return 2;
    }
    int rate = atoi(argv[2]), channels = atoi(argv[3]), samples = atoi(argv[4]), bits = 16;
    bool pipe = false, isFloat = false;
    for (int i = 6; i < argc; i++) {
        if (!strcmp(argv[i], "--pipe")) pipe = true;
        if (!strcmp(argv[i], "--float")) isFloat = true;
        if (!strcmp(argv[i], "--bits") && i + 1 < argc) bits = atoi(argv[++i]);
    }
    std::string pcm, wav = "RIFF", body = "WAVEfmt ";
    unsigned seed = 7;
    for (int i = 0; i < samples; i++)
        for (int ch = 0; ch < channels; ch++) Put(pcm, (unsigned)Sample(argv[1], i, ch, rate, seed) & 0xFFFF, 2);
    if (bits != 16) pcm.assign((size_t)samples * channels * (bits / 8), '\0');
    Put(body, 16, 4);
    Put(body, isFloat ? 3 : 1, 2);
    Put(body, (unsigned long)channels, 2);
    Put(body, (unsigned long)rate, 4);
    Put(body, (unsigned long)rate * channels * bits / 8, 4);
    Put(body, (unsigned long)channels * bits / 8, 2);
    Put(body, (unsigned long)bits, 2);
    body += "data";
    Put(body, pipe ? 0xFFFFFFFFul : pcm.size(), 4);
    body += pcm;
    Put(wav, pipe ? 0xFFFFFFFFul : body.size(), 4);
    wav += body;
    for (int i = 5; i <= 6 && i < argc && argv[i][0] != '-'; i++) {
        const std::string& data = i == 5 ? wav : pcm;
        FILE* out = fopen(argv[i], "wb");
        if (out == nullptr || fwrite(data.data(), 1, data.size(), out) != data.size() || fclose(out) != 0) return 1;
    }
    return 0;
}
