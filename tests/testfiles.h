// Byte strings as files, for tests of code that reads through FILE*, and the
// synthetic signals of the round trips.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;
typedef std::vector<int16_t> Values;

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes Text(const char* text) { return Bytes(text, text + strlen(text)); }

inline Bytes LE(uint32_t value, int count)   // count bytes (up to 4), low byte first
{
    Bytes out;
    for (int i = 0; i < count; i++) out.push_back((unsigned char)(value >> (8 * i)));
    return out;
}

inline Bytes BitsToBytes(const std::string& bits)   // "01 1 0000": most significant bit first, zero-padded
{
    Bytes out;
    int count = 0;
    for (char c : bits)
        if (c == '0' || c == '1') {
            if (count % 8 == 0) out.push_back(0);
            out.back() |= (unsigned char)((c - '0') << (7 - count++ % 8));
        }
    return out;
}

inline FILE* FileOf(const Bytes& bytes)   // an anonymous temporary file of bytes, at offset 0
{
    FILE* file = tmpfile();
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), file);
    rewind(file);
    return file;
}

// KIND: silence (and any other name), sine, noise, chirp, extremes; channels
// differ, except in chirp, so that a swap of channels shows.
inline Values MakeSignal(const char* kind, int rate, int channels, int samples)
{
    Values values;
    unsigned seed = 7;
    for (int i = 0; i < samples * channels; i++) {
        int n = i / channels, ch = i % channels, run = (n / 37 + ch) % 4, value = 0;
        double t = (double)n / rate, pi = 3.14159265358979;
        seed = seed * 1664525u + 1013904223u;
        if (!strcmp(kind, "sine")) value = (int)std::lround(16000 * std::sin(2 * pi * (330 + 220 * ch) * t));
        if (!strcmp(kind, "noise")) value = (short)(seed >> 16);
        if (!strcmp(kind, "chirp")) value = (int)std::lround(32000 * std::sin(2 * pi * (20 + 3000 * t) * t));
        if (!strcmp(kind, "extremes"))   // runs at both ends, a lone -32768, jumps across the range
            value = n == 7 || run == 1 ? -32768 : run == 0 ? 32767 : run == 2 ? ((n & 1) ? -32768 : 32767) : 0;
        values.push_back((int16_t)value);
    }
    return values;
}
