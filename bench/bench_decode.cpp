// Decode throughput per coder, in multiples of real time, on 44.1 kHz stereo
// streams built here from a synthetic piece (harmonics with vibrato over a
// little noise). Reads through FILE* exactly as the player does.
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

static void DecodeStream(benchmark::State& state, int coder)
{
    static std::vector<int16_t> piece = MakePiece();
    FILE* stream = tmpfile();
    EncodeSettings settings = {coder, NormalLevel, nullptr, nullptr};
    EncodeResult result;
    if (EncodeStream(piece.data(), SampleRate * Seconds, Channels, SampleRate, settings, stream, result) != Ok) {
        state.SkipWithError("encoding failed");
        return;
    }
    rewind(stream);
    StreamHeader header;
    ReadStreamHeader(stream, header);
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
    state.counters["bits_per_sample"] = (double)result.fileBytes * 8 / ((double)piece.size());
    fclose(stream);
}

BENCHMARK_CAPTURE(DecodeStream, delta, DeltaCoder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeStream, slope, SlopeCoder)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeStream, three_tap, ThreeTapCoder)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
