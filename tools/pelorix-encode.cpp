// pelorix-encode: a 16-bit PCM WAV file (or standard input) to a stream file,
// lossless, with the coder and parameters that give the smallest file.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "codec/streamformat.h"
#include "encoder/streamwriter.h"
#include "encoder/wavreader.h"
#include "toolfiles.h"

static const char* const UsageText =
    "usage: pelorix-encode [options] IN OUT\n"
    "  IN   16-bit PCM WAV file, mono or stereo, 50 Hz up to 100000 values per second\n"
    "       (48000 Hz stereo); - for standard input\n"
    "  OUT  stream file to write; - for standard output\n"
    "options:\n"
    "  --coder auto|delta|slope|three-tap   coder for the whole stream (default auto:\n"
    "                                       the one that gives the smallest file)\n"
    "  --fast       least-squares taps, no search: quicker, files a little larger\n"
    "  --normal     the default: plus a descent over single-tap steps\n"
    "  --best       every slope, a descent over all 26 neighbouring taps: slower,\n"
    "               files a little smaller\n"
    "  --yardstick  dense cubes of taps around several starts: much slower, the\n"
    "               smallest files; the reference for the others\n"
    "  --quiet      no progress and no summary (both are shown only on a terminal)\n";

static int Usage()
{
    fputs(UsageText, stderr);
    return 2;
}

static int Fail(const char* path, const char* reason)
{
    fprintf(stderr, "pelorix-encode: %s: %s\n", path, reason);
    return 1;
}

// One line that says what is wrong and what to convert to.
static int RefuseInput(const char* path, const WavAudio& audio)
{
    char reason[200];
    switch (audio.failure) {
    case WavNotRiffWave:
        snprintf(reason, sizeof reason, "not a WAV file; convert it to 16-bit PCM WAV");
        break;
    case WavNoFormat:
        snprintf(reason, sizeof reason, "WAV file without a complete fmt chunk; convert it to 16-bit PCM WAV");
        break;
    case WavNoData:
        snprintf(reason, sizeof reason, "WAV file without a data chunk");
        break;
    case WavNotPcm:
        if (audio.formatTag == StreamFormatTag) snprintf(reason, sizeof reason, "already a stream file");
        else snprintf(reason, sizeof reason, "compressed WAV (format tag 0x%04X); convert it to 16-bit PCM WAV",
                      (unsigned)audio.formatTag);
        break;
    case WavFloat:
        snprintf(reason, sizeof reason, "%d-bit floating-point samples; convert to 16-bit PCM WAV",
                 audio.bitsPerSample);
        break;
    case WavBitDepth:
        snprintf(reason, sizeof reason, "%d-bit samples; convert to 16-bit PCM WAV", audio.bitsPerSample);
        break;
    case WavChannelCount:
        snprintf(reason, sizeof reason, "%d channels; convert to mono or stereo 16-bit PCM WAV", audio.channels);
        break;
    case WavRateTooLow:
        snprintf(reason, sizeof reason, "sample rate %d Hz is below 50 Hz; resample to 50 Hz or more",
                 audio.sampleRate);
        break;
    case WavRateTooHigh:
        snprintf(reason, sizeof reason,
                 "%d Hz %s is more than the player can buffer; resample to %d Hz or less (48000 Hz for stereo)",
                 audio.sampleRate, audio.channels == 1 ? "mono" : "stereo",
                 (int)(MaxValuesPerSecond / audio.channels));
        break;
    case WavTooLong:
        snprintf(reason, sizeof reason, "too long for a stream file (2^31 samples at most); split it");
        break;
    default:
        snprintf(reason, sizeof reason, "read error");
        break;
    }
    return Fail(path, reason);
}

typedef std::chrono::steady_clock Clock;

struct Progress {
    Clock::time_point start;
    Clock::time_point lastShown;
    double seconds;          // of audio
    bool shown;              // a progress line is on the terminal
};

static double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

static void ShowProgress(void* context, double done)
{
    Progress& progress = *(Progress*)context;
    if (done < 1.0 && std::chrono::duration<double>(Clock::now() - progress.lastShown).count() < 0.25) return;
    progress.lastShown = Clock::now();
    double elapsed = SecondsSince(progress.start);
    if (elapsed <= 0) return;
    fprintf(stderr, "\rpelorix-encode: %3d%%  %.0fx real time ", (int)(done * 100), progress.seconds * done / elapsed);
    progress.shown = true;
}

// Inputs shorter than this finish before a progress line would help.
const double ProgressFromSeconds = 20;

const int PieceValues = 32768;   // values read and coded at a time

// One pass of the encoder over the input's values, from the WAV file's start;
// readFailed tells a failed read from a failed write.
static int CodePass(FILE* source, const fpos_t& start, const WavAudio& audio, bool& readFailed)
{
    static int16_t piece[PieceValues];
    readFailed = fsetpos(source, &start) != 0;
    if (readFailed) return Failed;
    StartWavValues(source, audio);
    for (int64_t left = audio.totalSamples * audio.channels; left > 0;) {
        int count = left < PieceValues ? (int)left : PieceValues;
        readFailed = ReadWavValues(piece, count) != count;
        if (readFailed || CodeValues(piece, count) != Ok) return Failed;
        left -= count;
    }
    return Ok;
}

// The input is read to its end first, for the format and the length, then
// twice more, to plan the frames and to write them: again from its start
// where it can seek, else from a copy of it spooled to a scratch file.
static int Encode(FILE* in, const char* inPath, const char* outPath, EncodeSettings settings, bool talk)
{
    bool spooled = !CanSeek(in);
    FILE* spool = spooled ? OpenToolScratch(outPath) : nullptr;
    FILE* source = spooled ? spool : in;
    fpos_t start;
    bool sourceGood = source != nullptr && fgetpos(source, &start) == 0;
    WavAudio audio;
    int read = ReadWav(in, spool, audio);
    sourceGood = sourceGood && !(spooled && (fflush(spool) != 0 || ferror(spool)));
    int status = 0;
    if (read != Ok) status = RefuseInput(inPath, audio);
    else if (!sourceGood) status = spooled ? Fail(outPath, "cannot write") : Fail(inPath, "read error");
    ToolOutput output;
    if (status == 0 && OpenToolOutput(output, outPath) != Ok) status = Fail(outPath, "cannot write");
    if (status != 0) {
        if (spool != nullptr) fclose(spool);
        return status;
    }

    // Without a scratch file for the plans the second pass plans again: slower, no less right.
    FILE* plans = OpenToolScratch(outPath);
    Progress progress = {Clock::now(), Clock::now(), (double)audio.totalSamples / audio.sampleRate, false};
    if (talk && progress.seconds >= ProgressFromSeconds) {
        settings.progress = ShowProgress;
        settings.progressContext = &progress;
    }
    EncodeResult result;
    bool readFailed = false;
    int encoded = StartStream(audio.totalSamples, audio.channels, audio.sampleRate, settings, plans);
    if (encoded == Ok) encoded = CodePass(source, start, audio, readFailed);
    if (encoded == Ok) encoded = WriteStreamHeader(output.file);
    if (encoded == Ok) encoded = CodePass(source, start, audio, readFailed);
    if (encoded == Ok) encoded = FinishStream(result);
    if (plans != nullptr) fclose(plans);
    if (spool != nullptr) fclose(spool);
    if (progress.shown) fputc('\n', stderr);
    if (encoded != Ok || CommitToolOutput(output) != Ok) {
        AbandonToolOutput(output);
        return encoded != Ok && readFailed ? Fail(inPath, "read error") : Fail(outPath, "cannot write");
    }
    if (talk) {
        double elapsed = SecondsSince(progress.start);
        int64_t pcmBytes = audio.totalSamples * audio.channels * 2;
        int64_t values = audio.totalSamples * audio.channels;
        fprintf(stderr, "pelorix-encode: %s: %.1f s %d Hz %s, %s coder: %" PRId64 " -> %" PRId64
                        " bytes, ratio %.3f, %.2f bits per sample, %.0fx real time\n",
                inPath, progress.seconds, audio.sampleRate, audio.channels == 1 ? "mono" : "stereo",
                CoderName(result.coderType), pcmBytes + 44, result.fileBytes,
                pcmBytes > 0 ? (double)result.fileBytes / (double)(pcmBytes + 44) : 0.0,
                values > 0 ? (double)result.fileBytes * 8 / (double)values : 0.0,
                elapsed > 0 ? progress.seconds / elapsed : 0.0);
    }
    return 0;
}

int main(int argc, char** argv)
{
    EncodeSettings settings = {AutoCoder, NormalLevel, nullptr, nullptr};
    bool quiet = false;
    const char* paths[2];
    int pathCount = 0;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0) {
            fputs(UsageText, stdout);
            return 0;
        } else if (strcmp(a, "--coder") == 0 && i + 1 < argc) {
            const char* name = argv[++i];
            const int UnknownCoder = -2;
            settings.coder = UnknownCoder;
            if (strcmp(name, "auto") == 0) settings.coder = AutoCoder;
            for (int coder : {DeltaCoder, SlopeCoder, ThreeTapCoder})
                if (strcmp(name, CoderName(coder)) == 0) settings.coder = coder;
            if (settings.coder == UnknownCoder) return Usage();
        } else if (strcmp(a, "--fast") == 0) {
            settings.level = FastLevel;
        } else if (strcmp(a, "--normal") == 0) {
            settings.level = NormalLevel;
        } else if (strcmp(a, "--best") == 0) {
            settings.level = BestLevel;
        } else if (strcmp(a, "--yardstick") == 0) {
            settings.level = YardstickLevel;
        } else if (strcmp(a, "--quiet") == 0 || strcmp(a, "-q") == 0) {
            quiet = true;
        } else if ((a[0] != '-' || strcmp(a, "-") == 0) && pathCount < 2) {
            paths[pathCount++] = a;
        } else {
            return Usage();
        }
    }
    if (pathCount != 2) return Usage();
    const char* inPath = paths[0];
    const char* outPath = paths[1];
    bool talk = !quiet && IsTerminal(stderr);

    FILE* in = stdin;
    if (strcmp(inPath, "-") == 0) SetBinaryMode(stdin);
    else in = fopen(inPath, "rb");
    if (in == nullptr) return Fail(inPath, "cannot open");
    int status = NamesOpenFile(outPath, in) ? Fail(outPath, "is the input; choose another output")
                                            : Encode(in, inPath, outPath, settings, talk);
    if (in != stdin) fclose(in);
    return status;
}
