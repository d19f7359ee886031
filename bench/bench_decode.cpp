// Decode throughput per coder, in multiples of real time, on 44.1 kHz stereo
// streams built here from a synthetic piece (harmonics with vibrato over a
// little noise), and the cost of decoding one player buffer of 5, 10, 25 and
// 50 frames. Reads through FILE* exactly as the player does.
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "codec/framedecoder.h"
#include "codec/streamfile.h"
#include "encoder/streamwriter.h"
#include "encoder/tapsearch.h"

const int SampleRate = 44100;
const int Channels = 2;
const int Seconds = 20;

static std::vector<int16_t> MakePiece()
{
    std::vector<int16_t> values((size_t)SampleRate * Seconds * Channels);
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0, 60);
    const double pi = 3.14159265358979;
    double phase = 0;
    for (size_t i = 0; i < values.size() / 2; i++) {
        double t = (double)i / SampleRate;
        double note = 196.0 * std::pow(2.0, (double)((int)(t * 2) % 12) / 12);
        phase += 2 * pi * note * (1 + 0.003 * std::sin(2 * pi * 5 * t)) / SampleRate;
        double tone = 7000 * std::sin(phase) + 2500 * std::sin(2 * phase + 0.5) + 1200 * std::sin(3 * phase);
        values[2 * i] = (int16_t)std::lround(tone + noise(random));
        values[2 * i + 1] = (int16_t)std::lround(0.7 * tone + 2000 * std::sin(pi * 880 * t) + noise(random));
    }
    return values;
}

// The piece coded once per coder, in a temporary file that stands at its
// first frame; nullptr when encoding failed.
static FILE* CodedPiece(int coder, StreamHeader& header, EncodeResult& result)
{
    static std::vector<int16_t> piece = MakePiece();
    FILE* stream = tmpfile();
    EncodeSettings settings = {coder, NormalLevel, nullptr, nullptr};
    if (stream == nullptr ||
        EncodeStream(piece.data(), SampleRate * Seconds, Channels, SampleRate, settings, stream, result) != Ok) {
        if (stream) fclose(stream);
        return nullptr;
    }
    rewind(stream);
    ReadStreamHeader(stream, header);
    return stream;
}

static void DecodeStream(benchmark::State& state, int coder)
{
    StreamHeader header;
    EncodeResult result;
    FILE* stream = CodedPiece(coder, header, result);
    if (stream == nullptr) return state.SkipWithError("encoding failed");
    long firstFrame = ftell(stream);
    std::vector<unsigned char> buffer((size_t)header.samplesPerFrame * 2);
    for (auto _ : state) {
        fseek(stream, firstFrame, SEEK_SET);
        for (int32_t f = 0; f <= header.lastFrame; f++) {
            unsigned char* outputPosition = buffer.data();
            DecodeFrame(stream, header, outputPosition);
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    double seconds = (double)Seconds * (double)state.iterations();
    state.counters["x_real_time"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
    state.counters["bits_per_sample"] = (double)result.fileBytes * 8 / ((double)SampleRate * Seconds * Channels);
    fclose(stream);
}

// One buffer's decoding of the three-tap piece as the playback thread's fill
// makes it: framesPerBuffer frames in turn into one data area. At the
// stream's end it starts over.
static void FillPlayerBuffer(benchmark::State& state)
{
    EncodeResult result;
    StreamHeader header;
    FILE* stream = CodedPiece(ThreeTapCoder, header, result);
    if (stream == nullptr) return state.SkipWithError("encoding failed");
    long firstFrame = ftell(stream);
    int frames = (int)state.range(0), frame = 0;
    std::vector<unsigned char> data((size_t)frames * header.samplesPerFrame * 2);
    for (auto _ : state) {
        if (frame > header.lastFrame) {
            fseek(stream, firstFrame, SEEK_SET);
            frame = 0;
        }
        unsigned char* at = data.data();
        for (int i = 0; i < frames; i++, frame++) DecodeFrame(stream, header, at);
        benchmark::DoNotOptimize(data.data());
    }
    state.counters["buffer_ms"] = 1000.0 * frames / FramesPerSecond;
    fclose(stream);
}

BENCHMARK_CAPTURE(DecodeStream, delta, DeltaCoder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeStream, slope, SlopeCoder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeStream, three_tap, ThreeTapCoder)->Unit(benchmark::kMillisecond);

BENCHMARK(FillPlayerBuffer)->Arg(5)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
