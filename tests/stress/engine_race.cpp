// The engine between two threads, built with ThreadSanitizer: one thread runs
// blocks as the audio thread does (one snapshot of the shared values, then
// processBlock); the other sets parameters, host bypass and sample rates and
// reads the meter, as the host and the editor do. TSan reports any access the
// memory model leaves undefined; the audio side checks every sample.
//
//   engine_race_tsan [--seconds S]   (DQ_RACE_SECONDS too; default 4)
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine.h"
#include "engine_state.h"
#include "rate_coefficients.h"
#include "../tests/stress/stress_random.h"

namespace {

// The shared half of a plug-in instance, as the shell keeps it.
struct SharedInstance {
    std::atomic<float> params[kParamCount];
    std::atomic<double> hostSampleRate{44100.0};
    std::atomic<bool> hostBypass{false};
    EngineState engine;
};

std::atomic<bool> stop{false};
std::atomic<int> failures{0};

void report(const char* what, double value) {
    if (failures.fetch_add(1) < 10) fprintf(stderr, "ENGINE RACE FAILURE: %s (%g)\n", what, value);
}

void audioThread(SharedInstance& s, long& blocks) {
    StressRng rng(7);
    static float in[2][2048], out[2][2048];
    const float* ins[2] = {in[0], in[1]};
    float* outs[2] = {out[0], out[1]};
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
        processBlock(s.engine, controls, ins, outs, frames);
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

    static SharedInstance s;
    for (int i = 0; i < kParamCount; ++i) s.params[i].store(kParamTable[i].defaultValue);
    initEngineState(s.engine);

    long blocks = 0, controlSteps = 0;
    std::thread audio(audioThread, std::ref(s), std::ref(blocks));
    StressRng rng(11);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
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
    audio.join();
    printf("engine race: %ld blocks against %ld control steps, %d failures\n", blocks, controlSteps,
           failures.load());
    return failures.load() == 0 ? 0 : 1;
}
