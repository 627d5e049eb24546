#include "signals.h"

#include <cmath>

namespace {

// xorshift32: the same noise on every platform and compiler.
struct Noise {
    uint32_t s = 0x9E3779B9u;
    double next() {  // uniform in [-1, 1)
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return static_cast<double>(s) / 2147483648.0 - 1.0;
    }
};

// One bar of 16th notes at 120 BPM is 2 s; the pattern repeats every bar.
void renderProgram(std::vector<float>& left, std::vector<float>& right, double seconds) {
    const int64_t n = static_cast<int64_t>(seconds * kBenchRate);
    left.assign(static_cast<size_t>(n), 0.0f);
    right.assign(static_cast<size_t>(n), 0.0f);
    const double sixteenth = 0.125;  // seconds
    const double bassNotes[8] = {41.2, 41.2, 55.0, 49.0, 41.2, 61.7, 55.0, 36.7};
    Noise noise;
    double bassPhase = 0.0;
    double hatState = 0.0;
    for (int64_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kBenchRate;
        const int64_t step = static_cast<int64_t>(t / sixteenth);
        const double inStep = t - static_cast<double>(step) * sixteenth;
        const int stepInBar = static_cast<int>(step % 16);

        // Bass line: a note per eighth, slightly overdriven sine.
        const double bassHz = bassNotes[(step / 2) % 8];
        bassPhase += kTwoPi * bassHz / kBenchRate;
        if (bassPhase > kTwoPi) bassPhase -= kTwoPi;
        const double bass = 0.28 * std::tanh(1.6 * std::sin(bassPhase));

        // Kick on beats 1 and 3 (and a pickup): falling pitch, fast decay.
        double kick = 0.0;
        if (stepInBar == 0 || stepInBar == 8 || stepInBar == 10) {
            const double f = 50.0 + 90.0 * std::exp(-inStep * 40.0);
            kick = 0.75 * std::exp(-inStep * 18.0) * std::sin(kTwoPi * f * inStep);
        }
        // Snare on beats 2 and 4: noise burst plus a short tone.
        const double white = noise.next();
        double snare = 0.0;
        if (stepInBar == 4 || stepInBar == 12)
            snare = std::exp(-inStep * 30.0) *
                    (0.45 * white + 0.2 * std::sin(kTwoPi * 185.0 * inStep));
        // Hats on every 16th: high-passed noise, short.
        hatState += (white - hatState) * 0.5;
        const double hatAccent = (stepInBar % 2 == 0) ? 0.16 : 0.09;
        const double hat = hatAccent * std::exp(-inStep * 120.0) * (white - hatState);

        // A little stereo: hats and snare lean apart, kick and bass centred.
        left[static_cast<size_t>(i)] = static_cast<float>(bass + kick + 1.0 * snare + 1.2 * hat);
        right[static_cast<size_t>(i)] = static_cast<float>(bass + kick + 0.8 * snare + 0.7 * hat);
    }
}

}  // namespace

void defaultBenchParams(float p[kBenchParamCount]) {
    const float defaults[kBenchParamCount] = {0.5f, 0.35f, 0.3f, 0.15f, 0.65f,
                                              0.35f, 0.25f, 1.0f, 0.0f};
    for (int i = 0; i < kBenchParamCount; ++i) p[i] = defaults[i];
}

BenchSignal musicSignal() {
    BenchSignal s;
    s.name = "music";
    renderProgram(s.left, s.right, 4.0);
    defaultBenchParams(s.params);
    return s;
}

BenchSignal heavySignal() {
    BenchSignal s = musicSignal();
    s.name = "heavy";
    s.params[0] = 0.0f;  // Threshold -36 dB
    s.params[1] = 1.0f;  // Ratio 20
    return s;
}

BenchSignal silentTailSignal() {
    BenchSignal s;
    s.name = "tail";
    renderProgram(s.left, s.right, 1.0);
    const size_t loud = s.left.size();
    const size_t total = loud + static_cast<size_t>(10.0 * kBenchRate);
    s.left.resize(total, 0.0f);
    s.right.resize(total, 0.0f);
    defaultBenchParams(s.params);
    return s;
}

std::vector<BenchSignal> allBenchSignals() {
    return {musicSignal(), heavySignal(), silentTailSignal()};
}

void sizeLike(const BenchSignal& signal, StereoBuffer& out) {
    out.left.assign(signal.left.size(), 0.0f);
    out.right.assign(signal.right.size(), 0.0f);
}
