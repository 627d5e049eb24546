// Per stereo frame cost of the shipped engine and of the literal transcription
// on the benchmark programs, at several host block sizes. Not a test: run it
// through scripts/bench.sh, which turns the figures into ratios.
#include <benchmark/benchmark.h>

#include <string>

#include "engine_runners.h"

namespace {

const BenchSignal& signalNamed(int index) {
    static const std::vector<BenchSignal> signals = allBenchSignals();
    return signals[static_cast<size_t>(index)];
}

template <class Runner>
void runEngine(benchmark::State& state) {
    const BenchSignal& signal = signalNamed(static_cast<int>(state.range(0)));
    const int32_t blockSize = static_cast<int32_t>(state.range(1));
    Runner runner;
    StereoBuffer out;
    sizeLike(signal, out);
    for (auto _ : state) {
        runner.run(signal, blockSize, out);
        benchmark::DoNotOptimize(out.left.data());
        benchmark::DoNotOptimize(out.right.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(signal.frames());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * signal.frames());
    state.counters["ns_per_frame"] = benchmark::Counter(
        frames * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetLabel(signal.name);
}

void blockSizesAndSignals(benchmark::internal::Benchmark* b) {
    b->ArgNames({"signal", "block"});
    for (int s = 0; s < 3; ++s)
        for (int block : {1, 32, 512, 4096}) b->Args({s, block});
    b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK_TEMPLATE(runEngine, ShippedRunner)->Name("shipped")->Apply(blockSizesAndSignals);
BENCHMARK_TEMPLATE(runEngine, LiteralRunner)->Name("literal")->Apply(blockSizesAndSignals);

BENCHMARK_MAIN();
