// The engine between threads, built with ThreadSanitizer: two audio threads
// each run an instance's blocks as the host's audio thread does (one snapshot
// of the shared values, then processBlock), while the main thread sets
// parameters, host bypass and sample rates and reads the meters, as the host
// and the editor do. TSan reports any access the memory model leaves
// undefined; the audio side checks every sample.
//
//   engine_race_tsan [--seconds S]   (DQ_RACE_SECONDS too; default 4)
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "engine.h"
#include "engine_state.h"
#include "rate_coefficients.h"
#include "stress_random.h"

namespace {

// The shared half of a plug-in instance, as the shell keeps it.
struct SharedInstance {
    std::atomic<float> params[kParamCount];
    std::atomic<double> hostSampleRate{kFallbackSampleRate};
    std::atomic<bool> hostBypass{false};
    EngineState engine;
};

std::atomic<bool> stop{false};
std::atomic<int> failures{0};

void report(const char* what, double value) {
    if (failures.fetch_add(1) < 10) fprintf(stderr, "ENGINE RACE FAILURE: %s (%g)\n", what, value);
}

void audioThread(SharedInstance& s, long& blocks, uint64_t seed) {
    StressRng rng(seed);
    std::vector<float> buffers(4 * 2048);  // this thread's own
    float* in[2] = {&buffers[0], &buffers[2048]};
    float* out[2] = {&buffers[2 * 2048], &buffers[3 * 2048]};
    const float* ins[2] = {in[0], in[1]};
    while (!stop.load(std::memory_order_relaxed)) {
        const int32_t frames = rng.between(0, 2048);
        const double level = rng.chance(0.5) ? 0.98 : 0.01;
        for (int i = 0; i < frames; ++i) {
            in[0][i] = static_cast<float>(level * rng.symmetric());
            in[1][i] = static_cast<float>(level * rng.symmetric());
        }
        BlockControls controls;
        for (int i = 0; i < kParamCount; ++i) controls.params[i] = s.params[i].load(std::memory_order_relaxed);
        controls.hostSampleRate = s.hostSampleRate.load(std::memory_order_relaxed);
        controls.hostBypass = s.hostBypass.load(std::memory_order_relaxed);
        processBlock(s.engine, controls, ins, out, frames);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < frames; ++i)
                if (!withinCeiling(out[ch][i])) report("output sample outside the ceiling", out[ch][i]);
        ++blocks;
    }
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 4.0;
    if (const char* env = getenv("DQ_RACE_SECONDS")) seconds = atof(env);
    if (argc == 3 && !strcmp(argv[1], "--seconds")) seconds = atof(argv[2]);

    // Two instances, each on an audio thread of its own, as a multi-core host runs them.
    constexpr int kInstances = 2;
    static SharedInstance instances[kInstances];
    long blocks[kInstances] = {};
    std::thread audio[kInstances];
    for (int n = 0; n < kInstances; ++n) {
        for (int i = 0; i < kParamCount; ++i) instances[n].params[i].store(kParamTable[i].defaultValue);
        initEngineState(instances[n].engine);
        audio[n] = std::thread(audioThread, std::ref(instances[n]), std::ref(blocks[n]), 7 + n);
    }

    long controlSteps = 0;
    StressRng rng(11);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        SharedInstance& s = instances[rng.below(kInstances)];
        switch (rng.below(4)) {
        case 0: applySampleRate(s.hostSampleRate, s.engine.coefficients, anySampleRate(rng)); break;
        case 1: s.params[rng.below(kParamCount - 1)].store(clampParameter(anyFloat(rng)), std::memory_order_relaxed); break;
        case 2:
            s.hostBypass.store(rng.chance(0.2), std::memory_order_relaxed);
            s.params[kBypass].store(rng.chance(0.2) ? 1.0f : 0.0f, std::memory_order_relaxed);
            break;
        default: {
            const float meter = s.engine.gainReductionMeter.load(std::memory_order_relaxed);
            if (!(meter >= 0.0f && meter <= 100.0f)) report("meter outside 0..100 dB", meter);
        }
        }
        ++controlSteps;
    }
    stop = true;
    for (std::thread& t : audio) t.join();
    printf("engine race: %ld + %ld blocks against %ld control steps, %d failures\n", blocks[0], blocks[1], controlSteps,
           failures.load());
    return failures.load() == 0 ? 0 : 1;
}
