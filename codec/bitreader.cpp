// The program's one BitReader, used only by the frame decoder.
#include "bitreader.h"

BitReader bitReader;

int ReadBit(FILE* stream)
{
    bitReader.bitMask >>= 1;
    if (bitReader.bitMask == 0) {
        bitReader.currentByte = ReadStreamByte(stream);   // unmasked: end of file gives -1, all 1 bits
        bitReader.bitMask = 0x80;
    }
    return (bitReader.currentByte & bitReader.bitMask) != 0;
}

int32_t ReadResidual(FILE* stream, int k)
{
    BitCursor cursor;
    LoadCursor(cursor, bitReader);
    int32_t residual = ReadResidualAt(cursor, stream, MakeResidualCode(k));
    StoreCursor(cursor, bitReader);
    return residual;
}
