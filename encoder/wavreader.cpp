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

// One walk through the chunks, front to back. ReadWav and the value reader
// walk alike, so the values read are the values counted.
struct WavWalk {
    FILE* file;
    FILE* copy;               // receives every byte read; null: none
    WavAudio* format;         // takes the fields of each fmt chunk; null: fmt chunks are skipped
    bool haveFormat;
    bool riffSizeKnown;
    uint32_t riffSize;
    uint64_t position;        // bytes from the start, as the chunk sizes count them
    bool inData;              // the bytes of a data chunk come next
    bool toEnd;               // that chunk's size is unknown: it lasts to the end of the input
    uint32_t dataSize;        // its size field
    uint64_t dataLeft;        // its bytes not read yet, when known
    bool ended;
};

static unsigned char dataBytes[65536];   // a piece of a data chunk, for either walk

// Up to count bytes, fewer at the end of the input; their copy, if one is
// kept, may fail silently here: ReadWav's caller asks ferror(copy).
static size_t Take(WavWalk& walk, unsigned char* to, size_t count)
{
    size_t got = fread(to, 1, count, walk.file);
    if (walk.copy != nullptr && got > 0) fwrite(to, 1, got, walk.copy);
    return got;
}

// Reads and drops count bytes; false when the input ends first.
static bool SkipBytes(WavWalk& walk, uint64_t count)
{
    unsigned char scratch[4096];
    while (count > 0) {
        size_t chunk = count < sizeof scratch ? (size_t)count : sizeof scratch;
        if (Take(walk, scratch, chunk) != chunk) return false;
        count -= chunk;
    }
    return true;
}

// False when the input does not start with "RIFF" .. "WAVE".
static bool StartWalk(WavWalk& walk, FILE* file, FILE* copy, WavAudio* format)
{
    walk = WavWalk{};
    walk.file = file;
    walk.copy = copy;
    walk.format = format;
    unsigned char riff[12] = {};
    walk.ended = Take(walk, riff, 12) != 12 || !SameId(riff, "RIFF") || !SameId(riff + 8, "WAVE");
    walk.riffSize = LittleEndianAt(riff + 4, 4);
    walk.riffSizeKnown = walk.riffSize != 0 && walk.riffSize != UnknownSize;
    walk.position = 12;
    return !walk.ended;
}

// Reads chunks up to the bytes of the next data chunk: false when the walk
// ends first. A fmt chunk too short for its format ends the walk with
// format->failure WavNoFormat.
static bool FindData(WavWalk& walk)
{
    while (!walk.ended) {
        unsigned char chunk[8];
        if (Take(walk, chunk, 8) != 8) break;
        walk.position += 8;
        uint32_t size = LittleEndianAt(chunk + 4, 4);
        if (SameId(chunk, "data")) {
            // A writer that could not seek back leaves 0 or 0xFFFFFFFF; a 0
            // is real only when the RIFF size says more chunks follow.
            walk.toEnd = size == UnknownSize ||
                         (size == 0 && !(walk.riffSizeKnown && (uint64_t)walk.riffSize + 8 > walk.position));
            walk.dataSize = size;
            walk.dataLeft = size;
            walk.inData = true;
            return true;
        }
        uint64_t skip = (uint64_t)size + (size & 1);
        if (SameId(chunk, "fmt ") && walk.format != nullptr) {
            unsigned char fmt[MaxFormatBytes];
            uint32_t kept = size < MaxFormatBytes ? size : MaxFormatBytes;
            if (Take(walk, fmt, kept) != kept) break;
            if (!ParseFormat(fmt, size, *walk.format)) {
                walk.format->failure = WavNoFormat;
                break;
            }
            walk.haveFormat = true;
            skip -= kept;
        }
        if (!SkipBytes(walk, skip)) break;
        walk.position += (uint64_t)size + (size & 1);
    }
    walk.ended = true;
    return false;
}

// Leaves the data chunk, read or not, past its pad byte; one of unknown size
// ends the walk.
static void EndData(WavWalk& walk)
{
    walk.inData = false;
    if (walk.toEnd || !SkipBytes(walk, walk.dataSize & 1)) walk.ended = true;
    walk.position += (uint64_t)walk.dataSize + (walk.dataSize & 1);
}

// Up to count bytes of the data chunk, fewer at its end, which may leave an
// odd byte: the first of a value the chunk cuts off, which is dropped.
static size_t TakeData(WavWalk& walk, size_t count)
{
    size_t want = !walk.toEnd && walk.dataLeft < count ? (size_t)walk.dataLeft : count;
    size_t got = Take(walk, dataBytes, want);
    walk.dataLeft -= got;
    if (ferror(walk.file)) walk.ended = true;
    if (got < want || (!walk.toEnd && walk.dataLeft == 0)) EndData(walk);
    return got;
}

static int Refuse(WavAudio& audio, int failure)
{
    audio.failure = failure;
    return Failed;
}

int ReadWav(FILE* file, FILE* copy, WavAudio& audio)
{
    audio.formatTag = audio.channels = audio.sampleRate = audio.bitsPerSample = 0;
    audio.failure = WavNoFailure;
    audio.totalSamples = 0;

    WavWalk walk;
    if (!StartWalk(walk, file, copy, &audio)) return Refuse(audio, WavNotRiffWave);
    bool haveData = false;
    uint64_t values = 0;
    while (FindData(walk)) {
        haveData = true;
        while (walk.inData) {
            values += TakeData(walk, sizeof dataBytes) / 2;
            // far too long: the rest of the chunk is left, the length judged below
            if (walk.inData && values > ((uint64_t)1 << 32)) EndData(walk);
        }
    }
    if (audio.failure != WavNoFailure) return Failed;
    if (ferror(file)) return Refuse(audio, WavReadError);
    if (!walk.haveFormat) return Refuse(audio, WavNoFormat);
    if (audio.formatTag == WaveFloatTag) return Refuse(audio, WavFloat);
    if (audio.formatTag != WavePcmTag) return Refuse(audio, WavNotPcm);
    if (audio.bitsPerSample != 16) return Refuse(audio, WavBitDepth);
    if (audio.channels < 1 || audio.channels > 2) return Refuse(audio, WavChannelCount);
    if (audio.sampleRate < MinSampleRate) return Refuse(audio, WavRateTooLow);
    if ((int64_t)audio.sampleRate * audio.channels > MaxValuesPerSecond) return Refuse(audio, WavRateTooHigh);
    if (!haveData) return Refuse(audio, WavNoData);
    audio.totalSamples = (int64_t)(values / (uint64_t)audio.channels);
    if (audio.totalSamples > 0x7FFFFFFF) return Refuse(audio, WavTooLong);
    return Ok;
}

static WavWalk valueWalk;
static int64_t valuesLeft;   // of totalSamples x channels: a trailing partial sample frame is never read

void StartWavValues(FILE* file, const WavAudio& audio)
{
    StartWalk(valueWalk, file, nullptr, nullptr);
    valuesLeft = audio.totalSamples * audio.channels;
}

int ReadWavValues(int16_t* values, int count)
{
    int done = 0;
    while (done < count && valuesLeft > 0 && (valueWalk.inData || FindData(valueWalk))) {
        int64_t want = count - done < valuesLeft ? count - done : valuesLeft;
        if (want > (int64_t)sizeof dataBytes / 2) want = sizeof dataBytes / 2;
        int got = (int)(TakeData(valueWalk, (size_t)want * 2) / 2);
        for (int i = 0; i < got; i++)
            values[done + i] = (int16_t)(uint16_t)(dataBytes[2 * i] | dataBytes[2 * i + 1] << 8);
        done += got;
        valuesLeft -= got;
    }
    return done;
}
