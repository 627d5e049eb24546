// Per stereo frame cost of the shipped engine and of the literal transcription
// on the benchmark programs, at several host block sizes, and of the core under
// automation of growing density. Not a test: run it through scripts/bench.sh,
// which turns the figures into ratios.
#include <benchmark/benchmark.h>

#include <string>

#include "automation_runner.h"
#include "engine_runners.h"
#include "parameters.h"

namespace {

const BenchSignal& signalNamed(int index) {
    static const std::vector<BenchSignal> signals = allBenchSignals();
    return signals[static_cast<size_t>(index)];
}

void reportFrames(benchmark::State& state, const BenchSignal& signal) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * signal.frames());
    state.counters["ns_per_frame"] = benchmark::Counter(
        static_cast<double>(signal.frames()) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Times `run` (the whole signal into `out`) and reports the cost per frame.
template <class Run>
void timeRuns(benchmark::State& state, const BenchSignal& signal, Run run) {
    StereoBuffer out;
    sizeLike(signal, out);
    for (auto _ : state) {
        run(out);
        benchmark::DoNotOptimize(out.left.data());
        benchmark::DoNotOptimize(out.right.data());
        benchmark::ClobberMemory();
    }
    reportFrames(state, signal);
}

template <class Runner>
void runEngine(benchmark::State& state) {
    const BenchSignal& signal = signalNamed(static_cast<int>(state.range(0)));
    const int32_t blockSize = static_cast<int32_t>(state.range(1));
    Runner runner;
    timeRuns(state, signal, [&](StereoBuffer& out) { runner.run(signal, blockSize, out); });
    state.SetLabel(signal.name);
}

// The music-like program through the core, one parameter changed every N
// frames (N 0: no change, the baseline).
void runAutomation(benchmark::State& state) {
    const BenchSignal& signal = signalNamed(0);
    const AutomationProgram program =
        automationProgram(signal, static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    CoreRunner runner;
    timeRuns(state, signal, [&](StereoBuffer& out) { runner.run(signal, program, out); });
}

void parametersAndDensities(benchmark::internal::Benchmark* b) {
    b->ArgNames({"param", "every"});
    b->Args({kThreshold, 0});
    for (int param : {kThreshold, kAttack, kMix})
        for (int every : {1, 8, 32, 128}) b->Args({param, every});
    b->Unit(benchmark::kMillisecond);
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

BENCHMARK(runAutomation)->Name("automation")->Apply(parametersAndDensities);

BENCHMARK_MAIN();
