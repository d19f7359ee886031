// The stream file: first the frame plans for every coder tried (the search,
// which is nearly all the work), then the header, which needs the total size,
// and the frames of the smallest coder, written from the stored plans.
#include "streamwriter.h"

#include <cstring>
#include <vector>

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

// The frames are cut every samplesPerFrame values of the interleaved
// sequence; the last one always carries the escape (also when it is full),
// so that a seek walk stops at it rather than run past the end of the file.
// No audio is still one frame, an empty one, as lastFrame 0 promises.
struct FrameCut {
    int64_t frames;
    int samplesPerFrame;
};

static FrameCut CutFrames(int64_t valueCount, int channels, int sampleRate)
{
    FrameCut cut;
    cut.samplesPerFrame = sampleRate * channels / FramesPerSecond;
    cut.frames = valueCount == 0 ? 1 : (valueCount + cut.samplesPerFrame - 1) / cut.samplesPerFrame;
    return cut;
}

static void LoadFrame(FrameSignal& signal, const int16_t* values, int64_t valueCount, const FrameCut& cut, int64_t f,
                      int channels)
{
    int64_t first = f * cut.samplesPerFrame;
    int64_t count = valueCount - first < cut.samplesPerFrame ? valueCount - first : cut.samplesPerFrame;
    LoadFrameSignal(signal, values + first, (int)count, channels);
}

int EncodeStream(const int16_t* values, int64_t totalSamples, int channels, int sampleRate,
                 const EncodeSettings& settings, FILE* out, EncodeResult& result)
{
    memset(&result, 0, sizeof result);
    for (int i = 0; i < 3; i++) result.coderBytes[i] = -1;
    if (channels < 1 || channels > 2 || sampleRate < MinSampleRate) return Failed;
    if ((int64_t)sampleRate * channels > MaxValuesPerSecond) return Failed;
    if (totalSamples < 0 || totalSamples > 0x7FFFFFFF) return Failed;
    int64_t valueCount = totalSamples * channels;
    FrameCut cut = CutFrames(valueCount, channels, sampleRate);

    bool tried[3] = {false, false, false};
    for (int i = 0; i < 3; i++) tried[i] = settings.coder == AutoCoder || CoderSlot(settings.coder) == i;
    std::vector<FramePlan> plans[3];
    int64_t frameBytes[3] = {0, 0, 0};
    static FrameSignal signal;
    for (int64_t f = 0; f < cut.frames; f++) {
        LoadFrame(signal, values, valueCount, cut, f, channels);
        for (int i = 0; i < 3; i++) {
            if (!tried[i]) continue;
            FramePlan plan;
            PlanFrame(signal, CoderTypes[i], settings.level, f == cut.frames - 1, plan);
            plans[i].push_back(plan);
            frameBytes[i] += plan.bytes;
        }
        if (settings.progress != nullptr && (f & 63) == 63) settings.progress(settings.progressContext, (double)f / cut.frames);
    }

    int best = -1;
    for (int i = 0; i < 3; i++) {
        if (!tried[i]) continue;
        result.coderBytes[i] = FirstFrameOffset + frameBytes[i];
        if (best < 0 || frameBytes[i] < frameBytes[best]) best = i;   // ties keep the simpler coder
    }
    // The data chunk's size field holds 32 bits.
    if (frameBytes[best] > 0xFFFFFFFFLL - FirstFrameOffset) return Failed;

    result.coderType = CoderTypes[best];
    result.fileBytes = FirstFrameOffset + frameBytes[best];
    result.frames = cut.frames;
    unsigned char header[FirstFrameOffset];
    MakeStreamHeader(header, channels, sampleRate, result.coderType, (uint32_t)totalSamples, (uint32_t)frameBytes[best]);
    if (fwrite(header, 1, sizeof header, out) != sizeof header) return Failed;
    static unsigned char frame[MaxFrameBytes];
    for (int64_t f = 0; f < cut.frames; f++) {
        const FramePlan& plan = plans[best][(size_t)f];
        LoadFrame(signal, values, valueCount, cut, f, channels);
        int bytes = WriteFrame(signal, plan, frame);
        if (plan.verbatim) result.verbatimFrames++;
        if (fwrite(frame, 1, (size_t)bytes, out) != (size_t)bytes) return Failed;
    }
    if (settings.progress != nullptr) settings.progress(settings.progressContext, 1.0);
    return Ok;
}
