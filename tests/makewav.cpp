// Synthetic WAV files for the command-line round trips: a signal, its raw
// PCM beside it, and the header variants that other programs write.
//   makewav KIND RATE CHANNELS SAMPLES OUT.wav [OUT.pcm] [options]
//   KIND: silence dc square sine noise chirp clicks extremes
//   options: --pipe (RIFF and data sizes 0xFFFFFFFF), --pipe0 (sizes 0),
//            --extensible, --list (odd LIST chunk before data), --bits N, --float
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static void Put(std::string& out, unsigned long value, int bytes)
{
    for (int i = 0; i < bytes; i++) out += (char)(value >> (8 * i));
}

static int Sample(const char* kind, int i, int ch, int rate, unsigned& seed)
{
    const double pi = 3.14159265358979;
    double t = (double)i / rate;
    seed = seed * 1664525u + 1013904223u;
    if (!strcmp(kind, "dc")) return ch == 0 ? 23456 : -1234;
    if (!strcmp(kind, "square")) return ((i / (9 + ch)) & 1) ? 32767 : -32768;
    if (!strcmp(kind, "sine")) return (int)std::lround(16000 * std::sin(2 * pi * (330 + 220 * ch) * t));
    if (!strcmp(kind, "noise")) return (short)(seed >> 16);
    if (!strcmp(kind, "chirp")) return (int)std::lround(32000 * std::sin(2 * pi * (20 + 3000 * t) * t));
    if (!strcmp(kind, "clicks")) return i % 101 == ch ? 32767 : i % 67 == 0 ? -32768 : 0;
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
    const char* kind = argv[1];
    int rate = atoi(argv[2]), channels = atoi(argv[3]), samples = atoi(argv[4]);
    const char* pcmPath = argc > 6 && argv[6][0] != '-' ? argv[6] : nullptr;
    bool pipe = false, pipe0 = false, extensible = false, list = false, isFloat = false;
    int bits = 16;
    for (int i = 6; i < argc; i++) {
        if (!strcmp(argv[i], "--pipe")) pipe = true;
        else if (!strcmp(argv[i], "--pipe0")) pipe0 = true;
        else if (!strcmp(argv[i], "--extensible")) extensible = true;
        else if (!strcmp(argv[i], "--list")) list = true;
        else if (!strcmp(argv[i], "--float")) isFloat = true;
        else if (!strcmp(argv[i], "--bits") && i + 1 < argc) bits = atoi(argv[++i]);
    }
    std::string pcm;
    unsigned seed = 7;
    for (int i = 0; i < samples; i++)
        for (int ch = 0; ch < channels; ch++) Put(pcm, (unsigned long)(Sample(kind, i, ch, rate, seed) & 0xFFFF), 2);
    if (bits != 16) pcm.assign((size_t)samples * channels * (bits / 8), '\0');

    std::string fmt;
    int tag = isFloat ? 3 : 1;
    Put(fmt, extensible ? 0xFFFE : (unsigned long)tag, 2);
    Put(fmt, (unsigned long)channels, 2);
    Put(fmt, (unsigned long)rate, 4);
    Put(fmt, (unsigned long)rate * channels * bits / 8, 4);
    Put(fmt, (unsigned long)channels * bits / 8, 2);
    Put(fmt, (unsigned long)bits, 2);
    if (extensible) {
        Put(fmt, 22, 2);
        Put(fmt, (unsigned long)bits, 2);
        Put(fmt, channels == 2 ? 3 : 4, 4);
        Put(fmt, (unsigned long)tag, 2);
        fmt += std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
    }
    std::string body = "WAVEfmt ";
    Put(body, fmt.size(), 4);
    body += fmt;
    if (list) body += std::string("LIST\5\0\0\0INFOx\0", 14);
    body += "data";
    Put(body, pipe ? 0xFFFFFFFFul : pipe0 ? 0 : pcm.size(), 4);
    body += pcm;
    std::string wav = "RIFF";
    Put(wav, pipe ? 0xFFFFFFFFul : pipe0 ? 0 : body.size(), 4);
    wav += body;

    FILE* out = fopen(argv[5], "wb");
    if (out == nullptr || fwrite(wav.data(), 1, wav.size(), out) != wav.size() || fclose(out) != 0) return 1;
    if (pcmPath != nullptr) {
        out = fopen(pcmPath, "wb");
        if (out == nullptr || fwrite(pcm.data(), 1, pcm.size(), out) != pcm.size() || fclose(out) != 0) return 1;
    }
    return 0;
}
