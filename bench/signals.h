#pragma once
// Deterministic stereo test programs shared by every benchmark program (native,
// LV2 peers and the DLL under Wine): the same samples on every machine and run.
#include <cstdint>
#include <string>
#include <vector>

#include "engine_constants.h"

// The rate a fresh engine runs at: the runners start from a fresh state and
// set no rate.
constexpr double kBenchRate = kFallbackSampleRate;
constexpr int kBenchParamCount = 9;  // Threshold .. Bypass, normalised

struct BenchSignal {
    std::string name;
    std::vector<float> left;
    std::vector<float> right;
    float params[kBenchParamCount];  // the setting this program is run with
    int64_t frames() const { return static_cast<int64_t>(left.size()); }
};

// Drum-like transients (kick, noise snare, hats) over a bass line, 4 s, at the
// plug-in's default setting.
BenchSignal musicSignal();
// The same program at Threshold -36 dB and Ratio 20: deep reduction throughout.
BenchSignal heavySignal();
// 1 s of loud program, then 10 s of exact zeros: every recursive state decays
// towards the subnormal range.
BenchSignal silentTailSignal();

std::vector<BenchSignal> allBenchSignals();

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;
};

// Zeroed output buffers as long as the signal.
void sizeLike(const BenchSignal& signal, StereoBuffer& out);

// The plug-in's default parameter values (mirrors the shell's parameter table,
// kept here so the signal library also builds into non-plug-in programs).
void defaultBenchParams(float params[kBenchParamCount]);
