// The stream file's fixed numbers, shared by the decoder, the encoder and the
// tools so that each limit has one name.
#pragma once

enum { Ok = 0, Failed = 999 };

const int StreamFormatTag = 0x8A3A;
const int FramesPerSecond = 50;          // a frame is 1/50 s of audio
const int HeaderBytes = 66;              // fixed header, up to and including dataSize
const int FirstFrameOffset = 68;         // with skipLength 0
const int FmtChunkSize = 26;             // formatTag .. extraSize (18) + coderType, coderReserved
const int MinSampleRate = 50;            // sampleRate / 50 must not be 0

const int EscapeLength = 0xFFF;          // frameLength value: sampleCount follows
const int MaxFrameLength = 0xFFE;        // longest frame whose length can be recorded
const int VerbatimK = 15;                // k value marking a verbatim frame
const int MaxResidualK = 14;

const int DeltaCoder = 0;                // any coderType other than 21 and 22
const int SlopeCoder = 21;
const int ThreeTapCoder = 22;
const int MaxCoderType = 22;

// The coder's name as the tools print and accept it.
inline const char* CoderName(int coderType)
{
    if (coderType == ThreeTapCoder) return "three-tap";
    if (coderType == SlopeCoder) return "slope";
    return "delta";
}

const int SlopeCoefficientBytes = 1;
const int ThreeTapCoefficientBytes = 4;

// The three-tap fields are stored with offsets; tap2's sign is reversed.
inline int Tap1FromField(int field) { return field - 128; }
inline int Tap2FromField(int field) { return 128 - field; }
inline int Tap3FromField(int field) { return field - 256; }
inline int FieldFromTap1(int tap) { return tap + 128; }
inline int FieldFromTap2(int tap) { return 128 - tap; }
inline int FieldFromTap3(int tap) { return tap + 256; }
const int TapFieldMax = 1023;            // each field has 10 bits
