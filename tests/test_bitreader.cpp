// Bit reader and residual code, reading side. Each code word, written and
// read back, is in test_encoder.cpp; the frame decoder's own word readers run
// in test_framedecoder.cpp.
#include <string>

#include <gtest/gtest.h>

#include "codec/bitreader.h"
#include "testfiles.h"

// With k = 2, B6 A0 2C 78 00 reads 3, 5, -7, -40000, each word fetching a
// byte only when it needs one of its bits.
TEST(ReadResidual, WorkedExampleFetchesOnlyTheBytesItNeeds)
{
    FILE* file = FileOf({0xB6, 0xA0, 0x2C, 0x78, 0x00, 0x55});
    bitReader.bitMask = 0;
    struct Word { int32_t value; long fetched; } words[] = {{3, 1}, {5, 2}, {-7, 2}, {-40000, 5}};
    for (const Word& word : words) {
        EXPECT_EQ(ReadResidual(file, 2), word.value);
        EXPECT_EQ(ftell(file), word.fetched) << word.value;
    }
    fclose(file);
}

TEST(ReadBit, StartingStatesAndEndOfFile)
{
    FILE* file = FileOf({0x80});
    bitReader = BitReader{0xA5, 0x10};   // 1010 0101, the 1 above bit 3 read last
    std::string bits;
    for (int i = 0; i < 17; i++) bits += (char)('0' + ReadBit(file));
    EXPECT_EQ(bits, "0101" "10000000" "11111");
    fclose(file);
}
