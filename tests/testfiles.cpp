#include "testfiles.h"

#include <cstring>

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes LE(uint32_t value, int count)
{
    Bytes out;
    for (int i = 0; i < count; i++) out.push_back((unsigned char)(value >> (8 * i)));
    return out;
}

Bytes Text(const char* text) { return Bytes(text, text + strlen(text)); }

Bytes BitsToBytes(const std::string& bits)
{
    Bytes out;
    int count = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        if (count % 8 == 0) out.push_back(0);
        out.back() |= (unsigned char)((c - '0') << (7 - count++ % 8));
    }
    return out;
}

FILE* FileOf(const Bytes& bytes)
{
    FILE* file = tmpfile();
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), file);
    rewind(file);
    return file;
}

// The sizes the reader skips over (riffSize, avgBytesPerSec, blockAlign, dataSize) are 0.
Bytes StreamHeaderBytes(int channels, int sampleRate, int coderType, int totalSamples, int skipLength)
{
    return Text("RIFF") + LE(0, 4) + Text("WAVEfmt ") + LE(26, 4) + LE(0x8A3A, 2) + LE(channels, 2) +
           LE(sampleRate, 4) + LE(0, 4) + LE(0, 2) + LE(16, 2) + LE(8, 2) + LE(coderType, 4) + LE(0, 4) +
           Text("fact") + LE(4, 4) + LE(totalSamples, 4) + Text("data") + LE(0, 4) + LE(skipLength, 2) +
           Bytes((size_t)skipLength, 0xEE);
}
