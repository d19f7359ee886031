// WAV reader. Only forward reads: the input may be standard input.
#include "wavreader.h"

#include "codec/streamformat.h"
#include "streamwriter.h"

static uint32_t LittleEndianAt(const unsigned char* at, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; i++) value |= (uint32_t)at[i] << (8 * i);
    return value;
}

static bool SameId(const unsigned char* at, const char* id)
{
    return at[0] == (unsigned char)id[0] && at[1] == (unsigned char)id[1] && at[2] == (unsigned char)id[2] &&
           at[3] == (unsigned char)id[3];
}

// Reads and drops count bytes; false when the input ends first.
static bool SkipBytes(FILE* file, uint64_t count)
{
    unsigned char scratch[4096];
    while (count > 0) {
        size_t chunk = count < sizeof scratch ? (size_t)count : sizeof scratch;
        if (fread(scratch, 1, chunk, file) != chunk) return false;
        count -= chunk;
    }
    return true;
}

const uint32_t UnknownSize = 0xFFFFFFFF;
const int MaxFormatBytes = 64;    // all of WAVEFORMATEXTENSIBLE (40) and more

// The fields of the "fmt " chunk that matter here; false when it is too short.
static bool ParseFormat(const unsigned char* fmt, uint32_t size, WavAudio& audio)
{
    if (size < 16) return false;
    audio.formatTag = (int)LittleEndianAt(fmt, 2);
    audio.channels = (int)LittleEndianAt(fmt + 2, 2);
    audio.sampleRate = (int)(LittleEndianAt(fmt + 4, 4) & 0x7FFFFFFF);
    audio.bitsPerSample = (int)LittleEndianAt(fmt + 14, 2);
    if (audio.formatTag == WaveExtensibleTag) {
        // cbSize, validBits, channelMask, then the sub-format GUID whose first
        // two bytes are the ordinary format tag
        if (size < 40) return false;
        audio.formatTag = (int)LittleEndianAt(fmt + 24, 2);
    }
    return true;
}

// Appends the bytes of a data chunk as 16-bit little-endian values, up to
// size bytes or the end of the input. An odd byte left at the end is lost.
static int ReadData(FILE* file, uint64_t size, std::vector<int16_t>& values)
{
    unsigned char buffer[65536];
    int carry = -1;                 // a byte whose partner is in the next read
    while (size > 0) {
        size_t want = size < sizeof buffer ? (size_t)size : sizeof buffer;
        size_t got = fread(buffer, 1, want, file);
        size -= got;
        size_t i = 0;
        if (carry >= 0 && got > 0) {
            values.push_back((int16_t)(uint16_t)(carry | buffer[0] << 8));
            carry = -1;
            i = 1;
        }
        for (; i + 1 < got; i += 2) values.push_back((int16_t)(uint16_t)(buffer[i] | buffer[i + 1] << 8));
        if (i < got) carry = buffer[i];
        if (got < want) return ferror(file) ? Failed : Ok;
        if (values.size() > ((size_t)1 << 32)) return Ok;   // far too long; judged by the caller
    }
    return Ok;
}

static int Refuse(WavAudio& audio, int failure)
{
    audio.failure = failure;
    audio.values.clear();
    return Failed;
}

int ReadWav(FILE* file, WavAudio& audio)
{
    audio.formatTag = audio.channels = audio.sampleRate = audio.bitsPerSample = 0;
    audio.failure = WavNoFailure;
    audio.totalSamples = 0;
    audio.values.clear();

    unsigned char riff[12];
    if (fread(riff, 1, 12, file) != 12 || !SameId(riff, "RIFF") || !SameId(riff + 8, "WAVE"))
        return Refuse(audio, WavNotRiffWave);
    uint32_t riffSize = LittleEndianAt(riff + 4, 4);
    bool riffSizeKnown = riffSize != 0 && riffSize != UnknownSize;
    uint64_t position = 12;          // bytes read so far
    bool haveFormat = false, haveData = false;

    for (;;) {
        unsigned char chunk[8];
        if (fread(chunk, 1, 8, file) != 8) break;
        position += 8;
        uint32_t size = LittleEndianAt(chunk + 4, 4);
        if (SameId(chunk, "fmt ")) {
            unsigned char fmt[MaxFormatBytes];
            uint32_t kept = size < MaxFormatBytes ? size : MaxFormatBytes;
            if (fread(fmt, 1, kept, file) != kept) break;
            if (!ParseFormat(fmt, size, audio)) return Refuse(audio, WavNoFormat);
            haveFormat = true;
            if (!SkipBytes(file, (uint64_t)size - kept + (size & 1))) break;
            position += (uint64_t)size + (size & 1);
        } else if (SameId(chunk, "data")) {
            haveData = true;
            // A writer that could not seek back leaves 0 or 0xFFFFFFFF; a 0
            // is real only when the RIFF size says more chunks follow.
            bool unknown = size == UnknownSize || (size == 0 && !(riffSizeKnown && (uint64_t)riffSize + 8 > position));
            uint64_t want = unknown ? UINT64_MAX : size;
            if (ReadData(file, want, audio.values) != Ok) return Refuse(audio, WavReadError);
            if (unknown || !SkipBytes(file, size & 1)) break;
            position += (uint64_t)size + (size & 1);
        } else {
            if (!SkipBytes(file, (uint64_t)size + (size & 1))) break;
            position += (uint64_t)size + (size & 1);
        }
    }
    if (ferror(file)) return Refuse(audio, WavReadError);
    if (!haveFormat) return Refuse(audio, WavNoFormat);
    if (audio.formatTag == WaveFloatTag) return Refuse(audio, WavFloat);
    if (audio.formatTag != WavePcmTag) return Refuse(audio, WavNotPcm);
    if (audio.bitsPerSample != 16) return Refuse(audio, WavBitDepth);
    if (audio.channels < 1 || audio.channels > 2) return Refuse(audio, WavChannelCount);
    if (audio.sampleRate < MinSampleRate) return Refuse(audio, WavRateTooLow);
    if ((int64_t)audio.sampleRate * audio.channels > MaxValuesPerSecond) return Refuse(audio, WavRateTooHigh);
    if (!haveData) return Refuse(audio, WavNoData);
    audio.totalSamples = (int64_t)audio.values.size() / audio.channels;
    if (audio.totalSamples > 0x7FFFFFFF) return Refuse(audio, WavTooLong);
    audio.values.resize((size_t)(audio.totalSamples * audio.channels));
    return Ok;
}
