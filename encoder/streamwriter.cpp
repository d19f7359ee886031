// The stream file: first the frame plans for every coder tried (the search,
// which is nearly all the work), then the header, which needs the total size,
// and the frames of the smallest coder, written from the stored plans. One
// frame's values are held at a time and the plans wait in a file.
#include "streamwriter.h"

#include <cstring>

#include "codec/streamformat.h"

static void PutLittleEndian(unsigned char* at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; i++) at[i] = (unsigned char)(value >> (8 * i));
}

void MakeStreamHeader(unsigned char header[FirstFrameOffset], int channels, int sampleRate, int coderType,
                      uint32_t totalSamples, uint32_t frameBytes)
{
    uint32_t dataSize = 2 + frameBytes;   // skipLength and the frames
    memcpy(header, "RIFF", 4);
    PutLittleEndian(header + 4, HeaderBytes - 8 + dataSize, 4);
    memcpy(header + 8, "WAVEfmt ", 8);
    PutLittleEndian(header + 16, FmtChunkSize, 4);
    PutLittleEndian(header + 20, StreamFormatTag, 2);
    PutLittleEndian(header + 22, (uint32_t)channels, 2);
    PutLittleEndian(header + 24, (uint32_t)sampleRate, 4);
    PutLittleEndian(header + 28, (uint32_t)(sampleRate * channels * 2), 4);   // avgBytesPerSec
    PutLittleEndian(header + 32, (uint32_t)(channels * 2), 2);                // blockAlign
    PutLittleEndian(header + 34, 16, 2);                                      // bitsPerSample
    PutLittleEndian(header + 36, 8, 2);                                       // extraSize
    PutLittleEndian(header + 38, (uint32_t)coderType, 4);
    PutLittleEndian(header + 42, 0, 4);                                       // coderReserved
    memcpy(header + 46, "fact", 4);
    PutLittleEndian(header + 50, 4, 4);
    PutLittleEndian(header + 54, totalSamples, 4);
    memcpy(header + 58, "data", 4);
    PutLittleEndian(header + 62, dataSize, 4);
    PutLittleEndian(header + 66, 0, 2);                                       // skipLength
}

static const int CoderTypes[3] = {DeltaCoder, SlopeCoder, ThreeTapCoder};

static int CoderSlot(int coderType)
{
    return coderType == ThreeTapCoder ? 2 : coderType == SlopeCoder ? 1 : 0;
}

// The stream being coded. The frames are cut every samplesPerFrame values of
// the interleaved sequence; the last one always carries the escape (also when
// it is full), so that a seek walk stops at it rather than run past the end of
// the file. No audio is still one frame, an empty one, as lastFrame 0 promises.
static struct {
    int channels, sampleRate;
    int64_t totalSamples;
    int64_t valueCount;           // totalSamples x channels
    int samplesPerFrame;          // values a frame
    int64_t frames;
    int level;
    bool tried[3];                // by CoderSlot
    int triedCount;               // plans kept a frame, in slot order
    FILE* plans;                  // null: planned again in the second pass
    void (*progress)(void* context, double done);
    void* progressContext;
    bool writing;                 // the second pass
    FILE* out;
    int best;                     // slot of the coder written
    int64_t frameBytes[3];        // by slot, the frames alone
    int64_t frame;                // the frame being gathered
    int gathered;                 // its values so far
    int16_t values[MaxFrameValues];
    EncodeResult result;
} stream;

static FrameSignal frameSignal;

static int FrameValues(int64_t f)
{
    int64_t left = stream.valueCount - f * stream.samplesPerFrame;
    return left < stream.samplesPerFrame ? (int)left : stream.samplesPerFrame;
}

static int PlanGatheredFrame()
{
    bool last = stream.frame == stream.frames - 1;
    FramePlan plans[3];
    int count = 0;
    for (int i = 0; i < 3; i++) {
        if (!stream.tried[i]) continue;
        PlanFrame(frameSignal, CoderTypes[i], stream.level, last, plans[count]);
        stream.frameBytes[i] += plans[count++].bytes;
    }
    if (stream.plans != nullptr && fwrite(plans, sizeof plans[0], (size_t)count, stream.plans) != (size_t)count)
        return Failed;
    if (stream.progress != nullptr && (stream.frame & 63) == 63)
        stream.progress(stream.progressContext, (double)stream.frame / stream.frames);
    return Ok;
}

static int WriteGatheredFrame()
{
    FramePlan plans[3];
    int written = 0;
    if (stream.plans == nullptr) {
        PlanFrame(frameSignal, CoderTypes[stream.best], stream.level, stream.frame == stream.frames - 1, plans[0]);
    } else {
        if (fread(plans, sizeof plans[0], (size_t)stream.triedCount, stream.plans) != (size_t)stream.triedCount)
            return Failed;
        while (written < stream.triedCount - 1 && plans[written].coderType != CoderTypes[stream.best]) written++;
    }
    static unsigned char frame[MaxFrameBytes];
    int bytes = WriteFrame(frameSignal, plans[written], frame);
    if (plans[written].verbatim) stream.result.verbatimFrames++;
    return fwrite(frame, 1, (size_t)bytes, stream.out) == (size_t)bytes ? Ok : Failed;
}

// Plans or writes each frame whose values are all gathered; the one frame of
// a stream without values needs none.
static int CodeGatheredFrames()
{
    while (stream.frame < stream.frames && stream.gathered == FrameValues(stream.frame)) {
        LoadFrameSignal(frameSignal, stream.values, stream.gathered, stream.channels);
        if ((stream.writing ? WriteGatheredFrame() : PlanGatheredFrame()) != Ok) return Failed;
        stream.frame++;
        stream.gathered = 0;
    }
    return Ok;
}

int StartStream(int64_t totalSamples, int channels, int sampleRate, const EncodeSettings& settings, FILE* plans)
{
    memset(&stream, 0, sizeof stream);
    for (int i = 0; i < 3; i++) stream.result.coderBytes[i] = -1;
    if (channels < 1 || channels > 2 || sampleRate < MinSampleRate) return Failed;
    if ((int64_t)sampleRate * channels > MaxValuesPerSecond) return Failed;
    if (totalSamples < 0 || totalSamples > 0x7FFFFFFF) return Failed;
    stream.channels = channels;
    stream.sampleRate = sampleRate;
    stream.totalSamples = totalSamples;
    stream.valueCount = totalSamples * channels;
    int spf = stream.samplesPerFrame = sampleRate * channels / FramesPerSecond;
    stream.frames = stream.valueCount == 0 ? 1 : (stream.valueCount + spf - 1) / spf;
    stream.level = settings.level;
    for (int i = 0; i < 3; i++) {
        stream.tried[i] = settings.coder == AutoCoder || CoderSlot(settings.coder) == i;
        stream.triedCount += stream.tried[i];
    }
    stream.plans = plans;
    stream.progress = settings.progress;
    stream.progressContext = settings.progressContext;
    return CodeGatheredFrames();
}

int CodeValues(const int16_t* values, int64_t count)
{
    while (count > 0) {
        if (stream.frame >= stream.frames) return Failed;
        int64_t room = FrameValues(stream.frame) - stream.gathered;
        int take = (int)(count < room ? count : room);
        memcpy(stream.values + stream.gathered, values, (size_t)take * sizeof values[0]);
        stream.gathered += take;
        values += take;
        count -= take;
        if (CodeGatheredFrames() != Ok) return Failed;
    }
    return Ok;
}

int WriteStreamHeader(FILE* out)
{
    if (stream.frames == 0 || stream.writing || stream.frame != stream.frames) return Failed;   // 0: not started
    int best = -1;
    for (int i = 0; i < 3; i++) {
        if (!stream.tried[i]) continue;
        stream.result.coderBytes[i] = FirstFrameOffset + stream.frameBytes[i];
        if (best < 0 || stream.frameBytes[i] < stream.frameBytes[best]) best = i;   // ties keep the simpler coder
    }
    // The data chunk's size field holds 32 bits.
    if (stream.frameBytes[best] > 0xFFFFFFFFLL - FirstFrameOffset) return Failed;
    FILE* plans = stream.plans;
    if (plans != nullptr && (fflush(plans) != 0 || ferror(plans) || fseek(plans, 0, SEEK_SET) != 0)) return Failed;

    stream.best = best;
    stream.result.coderType = CoderTypes[best];
    stream.result.fileBytes = FirstFrameOffset + stream.frameBytes[best];
    stream.result.frames = stream.frames;
    unsigned char header[FirstFrameOffset];
    MakeStreamHeader(header, stream.channels, stream.sampleRate, stream.result.coderType, (uint32_t)stream.totalSamples,
                     (uint32_t)stream.frameBytes[best]);
    if (fwrite(header, 1, sizeof header, out) != sizeof header) return Failed;
    stream.writing = true;
    stream.out = out;
    stream.frame = 0;
    return CodeGatheredFrames();
}

int FinishStream(EncodeResult& result)
{
    if (!stream.writing || stream.frame != stream.frames) return Failed;
    if (stream.progress != nullptr) stream.progress(stream.progressContext, 1.0);
    result = stream.result;
    return Ok;
}

int EncodeStream(const int16_t* values, int64_t totalSamples, int channels, int sampleRate,
                 const EncodeSettings& settings, FILE* out, EncodeResult& result)
{
    int64_t count = totalSamples * channels;
    if (StartStream(totalSamples, channels, sampleRate, settings, nullptr) != Ok || CodeValues(values, count) != Ok ||
        WriteStreamHeader(out) != Ok || CodeValues(values, count) != Ok)
        return Failed;
    return FinishStream(result);
}
