// ParseStatusReply on a typical reply and on a worst-case 64 KiB of garbage.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "zorvel/board/protocol.h"

static void TypicalReply(benchmark::State& state) {
    const std::string reply =
        "Soft:10.1\r\nTime:12:05:09\r\nDate:06.12.26\r\nMode:3\r\nInterval,sec:10\r\n"
        "Time Brightness:6.10.16.21\r\nBrightness(20...100):100.80.60.20\r\nT=+21\r\n";
    for (auto _ : state) benchmark::DoNotOptimize(board::ParseStatusReply(reply));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(TypicalReply);

static void Garbage64K(benchmark::State& state) {
    std::mt19937 random(1);
    std::string text(64 * 1024, ' ');
    for (char& c : text) c = static_cast<char>(1 + random() % 255);  // no NUL: the whole text is searched
    for (auto _ : state) benchmark::DoNotOptimize(board::ParseStatusReply(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(Garbage64K);
