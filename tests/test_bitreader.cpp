// Bit reader and residual code.
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "codec/bitreader.h"
#include "testfiles.h"

TEST(ReadResidual, WorkedExample)
{
    FILE* file = FileOf({0xB6, 0xA0, 0x2C, 0x78, 0x00, 0x55});
    bitReader.bitMask = 0;
    EXPECT_EQ(ReadResidual(file, 2), 3);
    EXPECT_EQ(ReadResidual(file, 2), 5);
    EXPECT_EQ(ReadResidual(file, 2), -7);
    EXPECT_EQ(ReadResidual(file, 2), -40000);
    EXPECT_EQ(ftell(file), 5);   // the fifth byte holds the last bits; the sixth is unread
    fclose(file);
}

TEST(ReadResidual, CodeWords)
{
    struct Row { int k; const char* bits; int32_t value; } rows[] = {
        {0, "1", 0}, {0, "011", 1}, {0, "010", -1}, {0, "00110", 2}, {0, "00111", 3},
        {0, "00100", -3}, {0, "00101", -2}, {0, "0001 100", 4}, {0, "0001 111", 7},
        {0, "0001 000", -7}, {0, "0001 011", -4},
        {3, "1 1000", -8}, {3, "1 0111", 7}, {3, "01 0 111", -8}, {3, "01 1 000", 8},
        {3, "001 0 0000", -31}, {3, "001 1 1111", 31},
        {1, "1 11", -1}, {1, "01 0 1", -2},
        {14, "0001 1 1111111111111111", 131071}, {14, "0001 0 0000000000000000", -131071},
        {9, "0000 0 1111111111111111", 65535}, {0, "0000 1 0000000000000000", -65536},
        {14, "0000 1 1111111111111111", -1},
    };
    for (const Row& row : rows) {
        Bytes bytes = BitsToBytes(row.bits);
        FILE* file = FileOf(bytes);
        bitReader.bitMask = 0;
        EXPECT_EQ(ReadResidual(file, row.k), row.value) << "k " << row.k << " bits " << row.bits;
        EXPECT_EQ(ftell(file), (long)bytes.size()) << row.bits;
        fclose(file);
    }
}

TEST(ReadResidual, FetchesOnlyTheBytesItNeeds)
{
    // k = 3: a word of exactly 8 bits ends a byte and leaves the next unread.
    FILE* file = FileOf(BitsToBytes("001 1 1111  1"));
    bitReader.bitMask = 0;
    EXPECT_EQ(ReadResidual(file, 3), 31);
    EXPECT_EQ(ftell(file), 1);
    EXPECT_EQ(bitReader.bitMask, 1);
    EXPECT_EQ(ReadResidual(file, 0), 0);
    EXPECT_EQ(ftell(file), 2);
    fclose(file);
}

TEST(ReadResidual, EndOfFileReadsOnes)
{
    struct Row { int k; int32_t value; } rows[] = {{0, 0}, {1, -1}, {2, -1}, {14, -1}};
    for (const Row& row : rows) {
        FILE* file = FileOf({});
        bitReader.bitMask = 0;
        for (int i = 0; i < 3; i++) EXPECT_EQ(ReadResidual(file, row.k), row.value) << row.k;
        EXPECT_EQ(bitReader.currentByte, -1);
        fclose(file);
    }
}

TEST(ReadBit, StartingStates)
{
    FILE* file = FileOf({0x80, 0x00});
    bitReader.currentByte = 0xA5;   // 1010 0101
    bitReader.bitMask = 0x10;
    std::string bits;
    for (int i = 0; i < 6; i++) bits += (char)('0' + ReadBit(file));
    EXPECT_EQ(bits, "010110");
    EXPECT_EQ(ftell(file), 1);

    bitReader.currentByte = 0x02;
    bitReader.bitMask = 4;
    bits.clear();
    for (int i = 0; i < 3; i++) bits += (char)('0' + ReadBit(file));
    EXPECT_EQ(bits, "100");
    fclose(file);
}

// The decision tree exactly as written, one ReadBit at a time; the fast reader
// must agree with it on any bytes, any k and any starting state.
static int32_t ResidualByBits(FILE* file, int k)
{
    int32_t h;
    int n;
    if (ReadBit(file)) {
        if (k == 0) return 0;
        h = ReadBit(file) ? -1 : 0;
        for (int i = 0; i < k; i++) h = 2 * h + ReadBit(file);
        return h;
    }
    if (ReadBit(file)) n = k;
    else if (ReadBit(file)) n = k + 1;
    else if (ReadBit(file)) n = k + 2;
    else {
        h = ReadBit(file) ? -1 : 0;
        for (int i = 0; i < 16; i++) h = 2 * h + ReadBit(file);
        return h;
    }
    h = ReadBit(file) ? 1 : -2;
    for (int i = 0; i < n; i++) h = 2 * h + ReadBit(file);
    return h < 0 ? h + 1 : h;
}

TEST(ReadResidual, AgreesWithTheBitByBitTree)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; round++) {
        Bytes bytes(64);
        int bias = round % 4;   // mostly zeros makes long prefixes and escapes likely
        for (auto& b : bytes) b = (unsigned char)(random() & (bias == 0 ? 0xFF : bias == 1 ? 0x11 : bias == 2 ? 0x03 : 0x81));
        int k = round % 15;
        static const int startMasks[] = {0, 0x10, 4, 0x80, 1};
        int startMask = startMasks[round % 5];
        FILE* fast = FileOf(bytes);
        FILE* slow = FileOf(bytes);
        for (int i = 0; i < 40; i++) {
            BitReader start = {0x5A, startMask};
            if (i == 0) bitReader = start;
            BitReader before = bitReader;
            int32_t expected = ResidualByBits(slow, k);
            BitReader afterSlow = bitReader;
            bitReader = before;
            ASSERT_EQ(ReadResidual(fast, k), expected) << "round " << round << " word " << i;
            ASSERT_EQ(bitReader.bitMask, afterSlow.bitMask);
            ASSERT_EQ(bitReader.currentByte, afterSlow.currentByte);
            ASSERT_EQ(ftell(fast), ftell(slow));
        }
        fclose(fast);
        fclose(slow);
    }
}
