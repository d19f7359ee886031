// pelorix-decode: a stream file to a 16-bit PCM WAV file, frame by frame with
// the player's own decoder, refusing a damaged one; --info prints the header.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "codec/framedecoder.h"
#include "codec/streamfile.h"
#include "toolfiles.h"

static const char* const UsageText =
    "usage: pelorix-decode [-F] IN OUT  decode stream file IN to a 16-bit PCM WAV file OUT (- for standard output);\n"
    "                                   a damaged frame refuses IN, unless -F (--decode-through-errors)\n"
    "                                   decodes it as silence, as the player plays it\n"
    "       pelorix-decode --info IN    describe stream file IN\n";

// Highest sampleRate x channels decoded; far above anything the player plays,
// low enough that a damaged header cannot ask for an absurd frame buffer.
const int64_t MaxValuesPerSecond = 2 * 384000;
const int64_t MaxWavDataBytes = 0xFFFFFFFFLL - 36;

static int Fail(const char* path, const char* reason)
{
    fprintf(stderr, "pelorix-decode: %s: %s\n", path, reason);
    return 1;
}

static char inputBuffer[ToolBufferSize];   // for the one stream open at a time

// A plain PCM WAV file (format tag 1) is what a user may take for a stream.
static bool IsPcmWav(FILE* file)
{
    unsigned char head[22];
    bool pcm = fread(head, 1, sizeof head, file) == sizeof head && memcmp(head, "RIFF", 4) == 0 &&
               memcmp(head + 8, "WAVEfmt ", 8) == 0 && head[20] == 1 && head[21] == 0;
    rewind(file);
    return pcm;
}

// Opens IN and reads its header; prints the reason and returns 1 on failure.
static int OpenStream(const char* path, FILE*& stream, StreamHeader& header)
{
    stream = fopen(path, "rb");
    if (stream == nullptr) return Fail(path, "cannot open");
    setvbuf(stream, inputBuffer, _IOFBF, ToolBufferSize);
    char reason[100];
    const char* refusal = nullptr;
    if (ValidateStreamFile(path) != Ok) {
        refusal = IsPcmWav(stream) ? "a PCM WAV file, not a stream file; pelorix-encode makes a stream of it"
                                   : "not a stream file";
    } else if (ReadStreamHeader(stream, header) != Ok) {
        if (header.failure == BadChannelCount) {
            snprintf(reason, sizeof reason, "bad channel count %d", (int)header.channels);
        } else if (header.failure == SampleRateBelow50) {
            snprintf(reason, sizeof reason, "sample rate below 50");
        } else {
            snprintf(reason, sizeof reason, "unsupported coder type %d", (int)header.coderType);
        }
        refusal = reason;
    } else if ((int64_t)header.sampleRate * header.channels > MaxValuesPerSecond) {
        snprintf(reason, sizeof reason, "sample rate %d too high", (int)header.sampleRate);
        refusal = reason;
    }
    if (refusal == nullptr) return 0;
    fclose(stream);
    return Fail(path, refusal);
}

static int64_t ValueCount(const StreamHeader& header)
{
    return header.totalSamples > 0 ? (int64_t)header.totalSamples * header.channels : 0;
}

// A frame by its number and the time it starts at: "frame 123 at 0:02.46".
static void NameFrame(char* text, size_t size, int64_t f)
{
    snprintf(text, size, "frame %" PRId64 " at %d:%02d.%02d", f, (int)(f / FramesPerSecond / 60),
             (int)(f / FramesPerSecond % 60), (int)(f % FramesPerSecond * 100 / FramesPerSecond));
}

// The frame the file ends in or before, of those Decode reads; -1 when it holds
// them all. Frames are stepped over as DecodeFrame steps: by the length they
// record, at least 2 bytes; the escape frame, which records none, is decoded.
static int64_t FrameFileEndsIn(FILE* stream, const StreamHeader& header, long fileSize)
{
    std::vector<unsigned char> frame((size_t)header.samplesPerFrame * 2);
    int64_t remaining = ValueCount(header);
    for (int64_t f = 0; f <= header.lastFrame && remaining > 0; f++, remaining -= header.samplesPerFrame) {
        long start = ftell(stream);
        int length = ReadLittleEndian(stream, 2) & 0xFFF;
        if (length == EscapeLength) {
            fseek(stream, start, SEEK_SET);
            unsigned char* outputPosition = frame.data();
            DecodeFrame(stream, header, outputPosition);
        } else {
            fseek(stream, start + (length > 2 ? length : 2), SEEK_SET);
        }
        if (feof(stream) || ftell(stream) > fileSize) return f;
    }
    return -1;
}

static int PrintInfo(const char* path)
{
    FILE* stream;
    StreamHeader header;
    if (OpenStream(path, stream, header) != 0) return 1;
    long firstFrame = ftell(stream);
    fseek(stream, 0, SEEK_END);
    long fileSize = ftell(stream);
    fseek(stream, firstFrame, SEEK_SET);
    int64_t endsIn = FrameFileEndsIn(stream, header, fileSize);
    fclose(stream);
    int64_t total = header.totalSamples > 0 ? header.totalSamples : 0;
    int64_t millis = total * 1000 / header.sampleRate;
    int64_t values = ValueCount(header);
    printf("file:          %s\n", path);
    printf("channels:      %d\n", (int)header.channels);
    printf("sample rate:   %d Hz\n", (int)header.sampleRate);
    printf("coder:         %s (coderType %d)\n", CoderName(header.coderType), (int)header.coderType);
    printf("total samples: %" PRId64 " per channel\n", total);
    printf("duration:      %d:%02d:%02d.%03d\n", (int)(millis / 3600000), (int)(millis / 60000 % 60),
           (int)(millis / 1000 % 60), (int)(millis % 1000));
    printf("frames:        %" PRId64 " of %d samples per channel\n", (int64_t)header.lastFrame + 1,
           (int)(header.sampleRate / FramesPerSecond));
    printf("skip length:   %d bytes\n", (int)header.skipLength);
    printf("file size:     %ld bytes\n", fileSize);
    if (values > 0) printf("bits/sample:   %.3f\n", (double)fileSize * 8 / (double)values);
    else printf("bits/sample:   -\n");
    if (endsIn >= 0) {
        char frame[80];
        NameFrame(frame, sizeof frame, endsIn);
        printf("ends early:    the file ends in %s (frames count from 0); the rest decodes as silence\n", frame);
    }
    return 0;
}

static void PutLittleEndian(unsigned char* at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; i++) at[i] = (unsigned char)(value >> (8 * i));
}

// Canonical 44-byte header: RIFF, a 16-byte fmt chunk of PCM, data.
static void MakeWavHeader(unsigned char* wav, const StreamHeader& header, uint32_t dataBytes)
{
    memcpy(wav, "RIFF", 4);
    PutLittleEndian(wav + 4, 36 + dataBytes, 4);
    memcpy(wav + 8, "WAVEfmt ", 8);
    PutLittleEndian(wav + 16, 16, 4);
    PutLittleEndian(wav + 20, 1, 2);
    PutLittleEndian(wav + 22, (uint32_t)header.channels, 2);
    PutLittleEndian(wav + 24, (uint32_t)header.sampleRate, 4);
    PutLittleEndian(wav + 28, (uint32_t)header.sampleRate * (uint32_t)header.channels * 2, 4);
    PutLittleEndian(wav + 32, (uint32_t)header.channels * 2, 2);
    PutLittleEndian(wav + 34, 16, 2);
    memcpy(wav + 36, "data", 4);
    PutLittleEndian(wav + 40, dataBytes, 4);
}

// Without throughErrors the first damaged frame refuses the stream.
static int Decode(const char* inPath, const char* outPath, bool throughErrors)
{
    FILE* stream;
    StreamHeader header;
    if (OpenStream(inPath, stream, header) != 0) return 1;
    int64_t dataBytes = ValueCount(header) * 2;
    if (dataBytes > MaxWavDataBytes) {
        fclose(stream);
        return Fail(inPath, "too long for a WAV file");
    }
    if (NamesOpenFile(outPath, stream)) {
        fclose(stream);
        return Fail(outPath, "is the input; choose another output");
    }
    ToolOutput output;
    if (OpenToolOutput(output, outPath) != Ok) {
        fclose(stream);
        return Fail(outPath, "cannot write");
    }
    unsigned char wav[44];
    MakeWavHeader(wav, header, (uint32_t)dataBytes);
    fwrite(wav, 1, sizeof wav, output.file);

    // Frames from 0 on, as the player plays them, until they have given the
    // totalSamples x channels values written; the last frame's padding is
    // cut. In stereo with an odd samplesPerFrame, frames hold half a sample
    // more than lastFrame counts on, so the frames after the values end are
    // silence the player may play but the file need not hold.
    std::vector<unsigned char> frame((size_t)header.samplesPerFrame * 2);
    int64_t remaining = dataBytes, damaged = 0;
    char firstDamaged[80] = "";
    for (int32_t f = 0; f <= header.lastFrame && remaining > 0; f++) {
        unsigned char* outputPosition = frame.data();
        if (DecodeFrame(stream, header, outputPosition) != Ok && damaged++ == 0) {
            NameFrame(firstDamaged, sizeof firstDamaged, f);
            if (!throughErrors) break;
        }
        size_t bytes = remaining < (int64_t)frame.size() ? (size_t)remaining : frame.size();
        if (fwrite(frame.data(), 1, bytes, output.file) != bytes) break;
        remaining -= (int64_t)bytes;
    }
    bool endedEarly = feof(stream) != 0;
    fclose(stream);
    if (damaged > 0 && !throughErrors) {
        AbandonToolOutput(output);
        char reason[200];
        snprintf(reason, sizeof reason, "%s is damaged (frames count from 0); -F decodes it as silence", firstDamaged);
        return Fail(inPath, reason);
    }
    if (remaining > 0 || CommitToolOutput(output) != Ok) {
        AbandonToolOutput(output);
        return Fail(outPath, "cannot write");
    }
    if (endedEarly) {
        fprintf(stderr, "pelorix-decode: %s: warning: the file ended early; decoded as the player plays it\n",
                inPath);
    }
    if (damaged > 0) {
        fprintf(stderr, "pelorix-decode: %s: warning: %" PRId64 " damaged frame(s) decoded as silence, the first %s"
                " (frames count from 0)\n", inPath, damaged, firstDamaged);
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "--info") == 0) return PrintInfo(argv[2]);
    if (argc == 3 && argv[1][0] != '-') return Decode(argv[1], argv[2], false);
    if (argc == 4 && (strcmp(argv[1], "-F") == 0 || strcmp(argv[1], "--decode-through-errors") == 0) &&
        argv[2][0] != '-')
        return Decode(argv[2], argv[3], true);
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        fputs(UsageText, stdout);
        return 0;
    }
    fputs(UsageText, stderr);
    return 2;
}
