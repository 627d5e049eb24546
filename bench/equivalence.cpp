// Correctness check, not a timing: the shipped engine's 32-bit output must stay
// within 1e-6 of the literal transcription, and its meter must agree, on every
// benchmark program at every block size, under automation (parameters moving
// every block, bypassed stretches, sample-rate changes mid-stream), which is
// where per-block hoisting and incremental oscillators go wrong, and in
// reduction far past the knee with the glue off and full, where the rewritten
// quotients of the gain computer differ most from the written ones. Prints the
// largest difference per case; exits 1 when one exceeds its bound.
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine.h"
#include "engine_constants.h"
#include "engine_runners.h"
#include "engine_state.h"
#include "literal_engine.h"

namespace {

constexpr double kOutputBound = 1e-6;

double maxAbsDifference(const StereoBuffer& a, const StereoBuffer& b) {
    double worst = 0.0;
    for (size_t i = 0; i < a.left.size(); ++i) {
        const double d = std::fmax(std::fabs(double(a.left[i]) - double(b.left[i])),
                                   std::fabs(double(a.right[i]) - double(b.right[i])));
        if (!(d <= worst)) worst = std::isnan(d) ? INFINITY : d;
    }
    return worst;
}

// Meters are float dB; both engines may differ by rounding and by flushing a
// decayed meter to zero.
bool metersAgree(float a, float b) { return std::fabs(a - b) <= 1e-4f + 1e-6f * std::fabs(b); }

// Deterministic automation: every parameter moves each block, Bypass holds for
// one block in fifty, and the host rate changes three times.
void automatedParams(int64_t block, float params[kBenchParamCount]) {
    for (int i = 0; i < kBenchParamCount - 1; ++i)
        params[i] = static_cast<float>(0.5 + 0.5 * std::sin(0.013 * double(block) * (i + 1) + i));
    params[kBenchParamCount - 1] = block % 50 == 49 ? 0.8f : 0.0f;
}

float automatedRate(int64_t block) {
    if (block < 800) return 44100.0f;
    if (block < 1600) return 48000.0f;
    if (block < 2000) return 4000.0f;  // below the coefficients' kLowestSampleRate
    return 44100.0f;
}

struct CaseResult {
    double worstOutput;
    bool metersMatch;
};

CaseResult automatedCase(const BenchSignal& signal) {
    constexpr int32_t kBlock = 64;
    auto shipped = std::make_unique<EngineState>();
    initEngineState(*shipped);
    std::atomic<double> hostRate{kFallbackSampleRate};
    LiteralCompressor literal;
    literalInit(literal, signal.params);
    StereoBuffer a, b;
    sizeLike(signal, a);
    sizeLike(signal, b);
    bool metersMatch = true;
    float rate = static_cast<float>(kFallbackSampleRate);
    for (int64_t at = 0, block = 0; at < signal.frames(); at += kBlock, ++block) {
        if (automatedRate(block) != rate) {
            rate = automatedRate(block);
            applySampleRate(hostRate, shipped->coefficients, rate);
            literalApplySampleRate(literal, rate);
        }
        BlockControls controls;
        automatedParams(block, controls.params);
        std::memcpy(literal.params, controls.params, sizeof literal.params);
        controls.hostSampleRate = hostRate.load();
        controls.hostBypass = false;
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(kBlock, signal.frames() - at));
        const float* in[2] = {signal.left.data() + at, signal.right.data() + at};
        float* outA[2] = {a.left.data() + at, a.right.data() + at};
        float* outB[2] = {b.left.data() + at, b.right.data() + at};
        processBlock(*shipped, controls, in, outA, n);
        literalProcessBlock(literal, in, outB, n);
        metersMatch = metersMatch && metersAgree(shipped->gainReductionMeter.load(),
                                                 literal.gainReductionMeter);
    }
    return {maxAbsDifference(a, b), metersMatch};
}

// The heavy program 26 dB hotter, with the given glue: envelopes up to about
// 1000 times the threshold.
BenchSignal deepSignal(float glue) {
    BenchSignal s = heavySignal();
    s.name = glue > 0.0f ? "deep+glue" : "deep";
    for (size_t i = 0; i < s.left.size(); ++i) {
        s.left[i] *= 20.0f;
        s.right[i] *= 20.0f;
    }
    s.params[4] = glue;  // 580 Glue
    return s;
}

// Guards against comparing two pass-throughs: the heavy setting must change
// the program audibly in the reference.
bool referenceCompresses(const BenchSignal& signal, const StereoBuffer& reference) {
    double change = 0.0;
    for (size_t i = 0; i < reference.left.size(); ++i)
        change = std::fmax(change, std::fabs(double(reference.left[i]) - double(signal.left[i])));
    return change > 0.1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool json = argc > 1 && std::strcmp(argv[1], "--json") == 0;
    bool ok = true;
    auto report = [&](const char* name, int32_t block, double diff, bool metersMatch) {
        const bool pass = diff <= kOutputBound && metersMatch;
        ok = ok && pass;
        if (json)
            std::printf("{\"signal\": \"%s\", \"block\": %d, \"max_abs_diff\": %.3g, "
                        "\"meters_agree\": %s}\n",
                        name, block, diff, metersMatch ? "true" : "false");
        else
            std::printf("%-9s block %4d: max |shipped - literal| = %.3g, meters %s: %s\n", name,
                        block, diff, metersMatch ? "agree" : "DIFFER",
                        pass ? "ok" : "FAILS");
    };

    ShippedRunner shipped;
    LiteralRunner literal;
    for (const BenchSignal& signal : allBenchSignals()) {
        StereoBuffer a, b;
        sizeLike(signal, a);
        sizeLike(signal, b);
        for (int32_t block : {1, 32, 37, 512, 4096}) {
            shipped.run(signal, block, a);
            literal.run(signal, block, b);
            report(signal.name.c_str(), block, maxAbsDifference(a, b),
                   metersAgree(shipped.meter(), literal.meter()));
        }
        if (signal.name == "heavy" && !referenceCompresses(signal, b)) {
            std::printf("heavy: the reference output equals its input\n");
            ok = false;
        }
    }
    for (float glue : {0.0f, 1.0f}) {
        const BenchSignal deep = deepSignal(glue);
        StereoBuffer a, b;
        sizeLike(deep, a);
        sizeLike(deep, b);
        for (int32_t block : {1, 37}) {
            shipped.run(deep, block, a);
            literal.run(deep, block, b);
            report(deep.name.c_str(), block, maxAbsDifference(a, b), metersAgree(shipped.meter(), literal.meter()));
        }
    }
    const CaseResult automated = automatedCase(musicSignal());
    report("automated", 64, automated.worstOutput, automated.metersMatch);
    return ok ? 0 : 1;
}
