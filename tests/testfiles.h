// Byte strings as files, for tests of code that reads through FILE*.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

Bytes operator+(Bytes a, const Bytes& b);
Bytes LE(uint32_t value, int count);   // count bytes (up to 4), low byte first
Bytes Text(const char* text);

// "01 1 0000" -> bytes, most significant bit first, padded with zero bits.
Bytes BitsToBytes(const std::string& bits);

// An anonymous temporary file holding bytes, positioned at offset 0.
FILE* FileOf(const Bytes& bytes);

// The 68-byte start of a stream file: header fields then skipLength, and skipLength bytes.
Bytes StreamHeaderBytes(int channels, int sampleRate, int coderType, int totalSamples, int skipLength = 0);
