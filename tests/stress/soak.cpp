// One hour of program material through the engine at 44100 Hz, with every
// parameter automated every block and a sample-rate change every three minutes
// of audio. No sample may leave the ceiling or turn non-finite, the meter must
// stay finite within 0..100 dB, the recursive state never subnormal (also in
// long silences and tiny blocks), and after a burst of broken input (NaN,
// infinity, absurd values) the compressor must still compress. Per-sample cost
// of the first and last ten minutes is printed as a ratio, never asserted.
//
//   soak [--hours H] [--seed N]   (DQ_SOAK_HOURS too; default 1)
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "engine.h"
#include "engine_state.h"
#include "rate_coefficients.h"
#include "engine_checks.h"
#include "stress_random.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kMaxBlock = 2048;

enum class Material { Silence, LongSilence, Whisper, Drums, Tone, Bass, LoudNoise, Square, Clicks, Broken, Probe };

// A resonant oscillator (no sine call per sample) plus decaying noise bursts.
struct ProgramGenerator {
    StressRng rng;
    Material kind = Material::Silence;
    long left = 0;  // samples left in this segment
    double c = 1.0, s = 0.0, stepC = 1.0, stepS = 0.0, amp = 0.0, burst = 0.0, decay = 0.999;
    long beat = 0, beatLength = 22050;
    bool probeStarted = false;  // set when a probe follows broken input

    explicit ProgramGenerator(uint64_t seed) : rng(seed) {}

    void start(Material m, long samples) {
        kind = m;
        left = samples;
        const double freq = m == Material::Bass ? 30.0 + 60.0 * rng.unit() : 100.0 + 8000.0 * rng.unit();
        stepC = std::cos(2.0 * M_PI * freq / kRate);
        stepS = std::sin(2.0 * M_PI * freq / kRate);
        c = 1.0;
        s = 0.0;
        amp = m == Material::Whisper ? 0.001 : 0.2 + 0.8 * rng.unit();
        beatLength = 4000 + long(rng.below(30000));
        decay = 0.999 - 0.01 * rng.unit();
    }

    void next() {
        static const Material ordinary[] = {Material::Silence, Material::Whisper, Material::Drums,
                                            Material::Tone,    Material::Bass,    Material::LoudNoise,
                                            Material::Square,  Material::Clicks,  Material::Drums};
        // Now and then a burst of broken input, always followed by a probe.
        if (kind == Material::Broken) {
            probeStarted = true;
            return start(Material::Probe, long(0.5 * kRate));
        }
        if (rng.chance(0.05)) return start(Material::Broken, 1 + long(rng.below(4000)));
        // A minute of digital silence: long enough for every decay to reach
        // the subnormal range if nothing stopped it.
        if (rng.chance(0.02)) return start(Material::LongSilence, long(60.0 * kRate));
        start(ordinary[rng.below(9)], long((0.5 + 10.0 * rng.unit()) * kRate));
    }

    float sample() {
        if (left-- <= 0) next();
        const double r = c * stepC - s * stepS;
        s = s * stepC + c * stepS;
        c = r;
        switch (kind) {
        case Material::Silence:
        case Material::LongSilence: return 0.0f;
        case Material::Whisper:
        case Material::LoudNoise: return static_cast<float>(amp * rng.symmetric());
        case Material::Drums:
            if (++beat >= beatLength) beat = 0, burst = amp;
            burst *= decay;
            return static_cast<float>(burst * rng.symmetric() + 0.3 * burst * s);
        case Material::Tone:
        case Material::Bass: return static_cast<float>(amp * s);
        case Material::Square: return s >= 0.0 ? 1.0f : -1.0f;
        case Material::Clicks: return rng.chance(0.001) ? (rng.chance(0.5) ? 1.0f : -1.0f) : 0.0f;
        case Material::Broken: return rng.chance(0.5) ? anyFloat(rng) : static_cast<float>(1e30 * rng.symmetric());
        case Material::Probe: return static_cast<float>(0.9 * rng.symmetric());
        }
        return 0.0f;
    }
};

[[noreturn]] void fail(uint64_t seed, long block, const char* what, double value) {
    fprintf(stderr, "SOAK FAILURE seed %" PRIu64 " block %ld: %s (%g)\n", seed, block, what, value);
    exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    double hours = 1.0;
    uint64_t seed = 2026;
    if (const char* env = getenv("DQ_SOAK_HOURS")) hours = atof(env);
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--hours")) hours = atof(argv[i + 1]);
        else if (!strcmp(argv[i], "--seed")) seed = strtoull(argv[i + 1], nullptr, 0);
    }
    const long total = long(hours * 3600.0 * kRate);
    const long tenMinutes = long(600.0 * kRate) < total / 2 ? long(600.0 * kRate) : total / 2;
    const long rateChangeEvery = long(180.0 * kRate);

    StressRng rng(seed);
    ProgramGenerator program(seed ^ 0x5EEDull);
    static EngineState state;
    initEngineState(state);
    std::atomic<double> hostSampleRate{kRate};
    BlockControls controls{};
    for (int i = 0; i < kParamCount; ++i) controls.params[i] = kParamTable[i].defaultValue;
    controls.hostSampleRate = kRate;

    std::vector<float> in[2], out[2];
    for (int ch = 0; ch < 2; ++ch) in[ch].resize(kMaxBlock), out[ch].resize(kMaxBlock);
    const float* ins[2] = {in[0].data(), in[1].data()};
    float* outs[2] = {out[0].data(), out[1].data()};

    double firstNs = 0.0, lastNs = 0.0, maxMeter = 0.0;
    long firstSamples = 0, lastSamples = 0;
    bool tinyBlocks = false;
    long done = 0, block = 0, nextRateChange = rateChangeEvery, probes = 0, probeSamples = -1;
    while (done < total) {
        // Stretches of tiny blocks too, as hosts use around loop points and
        // automation: they must be as safe from denormals as long ones.
        if (rng.chance(0.001)) tinyBlocks = !tinyBlocks;
        const int32_t frames = rng.chance(0.01) ? 0 : rng.between(1, tinyBlocks ? 16 : kMaxBlock);
        const bool mono = rng.chance(0.3);
        for (int i = 0; i < frames; ++i) {
            in[0][i] = program.sample();
            in[1][i] = mono ? in[0][i] : 0.8f * in[0][i] + 0.05f * float(rng.symmetric());
        }
        // Automation: every parameter moves every block, mostly in small steps.
        for (int p = 0; p < kBypass; ++p) {
            const float v = rng.chance(0.02) ? anyFloat(rng) : controls.params[p] + float(0.02 * rng.symmetric());
            controls.params[p] = clampParameter(v);
        }
        controls.params[kBypass] = rng.chance(0.01) ? 1.0f : 0.0f;
        controls.hostBypass = rng.chance(0.005);
        const bool probing = program.kind == Material::Probe;
        if (probing) {  // threshold -36 dB, full wet: loud noise must be reduced
            controls.params[kThreshold] = 0.0f;
            controls.params[kRatio] = 1.0f;
            controls.params[kMix] = 1.0f;
            controls.params[kBypass] = 0.0f;
            controls.hostBypass = false;
        }
        if (done >= nextRateChange) {
            nextRateChange += rateChangeEvery;
            applySampleRate(hostSampleRate, state.coefficients, anySampleRate(rng));
            controls.hostSampleRate = hostSampleRate.load();
        }
        const bool bypassed = controls.hostBypass || controls.params[kBypass] > 0.5f;

        const auto t0 = std::chrono::steady_clock::now();
        processBlock(state, controls, ins, outs, frames);
        const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
        if (done < tenMinutes) firstNs += ns, firstSamples += frames;
        if (done >= total - tenMinutes) lastNs += ns, lastSamples += frames;

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < frames; ++i)
                if (bypassed ? !sameBits(out[ch][i], in[ch][i]) : !withinCeiling(out[ch][i]))
                    fail(seed, block, "output sample", out[ch][i]);
        double value;
        if (const char* field = uncleanStateField(state, &value)) fail(seed, block, field, value);
        const float meter = state.gainReductionMeter.load();
        if (!(meter >= 0.0f && meter <= 100.0f)) fail(seed, block, "meter outside 0..100 dB", meter);
        if (meter > maxMeter) maxMeter = meter;
        // After 0.4 s of -1 dBFS noise against a -36 dB threshold the meter
        // must show reduction (at a sample rate a studio uses).
        if (program.probeStarted) program.probeStarted = false, probeSamples = 0;
        if (probing && probeSamples >= 0 && (probeSamples += frames) >= long(0.4 * kRate)) {
            probeSamples = -1;
            const double rate = controls.hostSampleRate;
            if (rate >= 8000.0 && rate <= 768000.0) {
                ++probes;
                if (!(meter > 3.0f)) fail(seed, block, "no gain reduction after broken input", meter);
            }
        }
        done += frames;
        ++block;
    }
    printf("soak: %.2f h of audio in %ld blocks, %ld recovery probes, meter peak %.1f dB\n",
           double(total) / kRate / 3600.0, block, probes, maxMeter);
    printf("soak: cost per sample, first vs last ten minutes: %.1f ns vs %.1f ns, ratio %.3f\n",
           firstNs / double(firstSamples), lastNs / double(lastSamples),
           (lastNs / double(lastSamples)) / (firstNs / double(firstSamples)));
    return 0;
}
