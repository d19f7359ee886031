#include "testfiles.h"

#include <cstdlib>
#include <cstring>

FILE* FileOf(const Bytes& bytes)
{
    FILE* file = tmpfile();
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), file);
    rewind(file);
    return file;
}

std::string WriteTestFile(const std::string& name, const Bytes& bytes)
{
    const char* dir = getenv("TMPDIR");
    std::string path = std::string(dir != nullptr ? dir : "/tmp") + "/pelorix-test-" + name;
    FILE* file = fopen(path.c_str(), "wb");
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    return path;
}

static void Put(Bytes& out, long value, int count)
{
    for (int i = 0; i < count; i++) out.push_back((unsigned char)(value >> (8 * i)));
}

static void PutText(Bytes& out, const char* text)
{
    out.insert(out.end(), text, text + strlen(text));
}

Bytes StreamHeaderBytes(int channels, int sampleRate, int coderType, int totalSamples, int skipLength)
{
    Bytes out;
    PutText(out, "RIFF");
    Put(out, 0, 4);
    PutText(out, "WAVEfmt ");
    Put(out, 26, 4);
    Put(out, 0x8A3A, 2);
    Put(out, channels, 2);
    Put(out, sampleRate, 4);
    Put(out, 0, 4);      // avgBytesPerSec
    Put(out, 0, 2);      // blockAlign
    Put(out, 16, 2);
    Put(out, 8, 2);
    Put(out, coderType, 4);
    Put(out, 0, 4);
    PutText(out, "fact");
    Put(out, 4, 4);
    Put(out, totalSamples, 4);
    PutText(out, "data");
    Put(out, 0, 4);
    Put(out, skipLength, 2);
    for (int i = 0; i < skipLength; i++) out.push_back(0xEE);
    return out;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes BitsToBytes(const std::string& bits)
{
    Bytes out;
    int count = 0, byte = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        byte = byte << 1 | (c - '0');
        if (++count % 8 == 0) { out.push_back((unsigned char)byte); byte = 0; }
    }
    if (count % 8 != 0) out.push_back((unsigned char)(byte << (8 - count % 8)));
    return out;
}
