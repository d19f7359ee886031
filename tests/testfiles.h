// Byte strings as files, for tests of code that reads through FILE*.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

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
