// 16-bit PCM WAV input, read front to back without seeking so that a pipe
// works: chunks in any order, odd chunks padded, and a data chunk of unknown
// size (0 or 0xFFFFFFFF, as programs writing to a pipe leave it) read to the
// end of the input. ReadWav walks the whole input for the format and the
// length and keeps no values; the values are read after it, in pieces, by a
// second walk over the same bytes, so memory is the same for any length.
#pragma once

#include <cstdint>
#include <cstdio>

// Why ReadWav refused the input; the caller words the message.
enum WavFailure {
    WavNoFailure = 0,
    WavNotRiffWave,        // no "RIFF" .. "WAVE" at the start
    WavNoFormat,           // no complete "fmt " chunk
    WavNoData,             // no "data" chunk
    WavNotPcm,             // a format tag other than PCM (formatTag says which)
    WavFloat,              // IEEE float samples
    WavBitDepth,           // PCM, but not 16 bits per sample (bitsPerSample says how many)
    WavChannelCount,       // not 1 or 2 channels
    WavRateTooLow,         // below 50 Hz
    WavRateTooHigh,        // sampleRate x channels above 100000
    WavTooLong,            // more samples than a stream file can count
    WavReadError,
};

struct WavAudio {
    int formatTag;            // as found; for WAVE_FORMAT_EXTENSIBLE the sub-format's tag
    int channels;
    int sampleRate;
    int bitsPerSample;
    int failure;              // a WavFailure
    int64_t totalSamples;     // samples of one channel
};

const int WavePcmTag = 1;
const int WaveFloatTag = 3;
const int WaveExtensibleTag = 0xFFFE;

// Ok, or Failed with audio.failure set. Reads the input to its end; copy,
// unless null, receives every byte read (a failed write shows in
// ferror(copy)), so that a pipe can be walked again from the copy. A trailing
// partial sample frame (a truncated input) does not count.
int ReadWav(FILE* file, FILE* copy, WavAudio& audio);

// Walks again the WAV file that ReadWav accepted as audio, from its first
// byte, which file must stand at; ReadWavValues then gives the values in
// order, totalSamples x channels of them interleaved.
void StartWavValues(FILE* file, const WavAudio& audio);

// The next count values, or fewer when the values end (or the file does, or
// a read fails); returns how many.
int ReadWavValues(int16_t* values, int count);
