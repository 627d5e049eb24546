#pragma once
// Seeded randomness for the stress programs: one generator whose sequence
// depends only on the seed, so every failure replays from its seed and step.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "../../dsp/engine_constants.h"

struct StressRng {
    uint64_t state;

    explicit StressRng(uint64_t seed) : state(seed) {}

    uint64_t next() {  // splitmix64
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
    int32_t between(int32_t lo, int32_t hi) {  // inclusive
        return lo + static_cast<int32_t>(next() % static_cast<uint64_t>(int64_t(hi) - lo + 1));
    }
    bool chance(double p) { return unit() < p; }
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double symmetric() { return 2.0 * unit() - 1.0; }
};

// Floats a careless host may send: the awkward values first, then anything.
inline float anyFloat(StressRng& rng) {
    static const float awkward[] = {
        std::numeric_limits<float>::quiet_NaN(),
        -std::numeric_limits<float>::quiet_NaN(),
        std::numeric_limits<float>::infinity(),
        -std::numeric_limits<float>::infinity(),
        std::numeric_limits<float>::max(),
        -std::numeric_limits<float>::max(),
        std::numeric_limits<float>::min(),
        std::numeric_limits<float>::denorm_min(),
        -std::numeric_limits<float>::denorm_min(),
        -0.0f, 0.0f, 1.0f, -1.0f, 0.5f, 0.50000006f, 0.99999994f, 1.0000001f, 1e20f, -1e20f};
    const uint32_t kind = rng.below(4);
    if (kind == 0) return awkward[rng.below(sizeof awkward / sizeof awkward[0])];
    if (kind == 1) {  // any bit pattern at all
        const uint32_t bits = static_cast<uint32_t>(rng.next());
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    if (kind == 2) return static_cast<float>(rng.symmetric() * 4.0);
    return static_cast<float>(rng.unit());  // a legal value
}

// Sample rates a host may set, legal or not.
inline float anySampleRate(StressRng& rng) {
    static const float rates[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 1.0f,
                                  8000.0f, 44100.0f, 192000.0f, 768000.0f, 4000.0f, 22050.0f,
                                  48000.0f, 96000.0f, 11025.0f, 352800.0f};
    if (rng.chance(0.15)) return anyFloat(rng);
    return rates[rng.below(sizeof rates / sizeof rates[0])];
}

// One audio sample: mostly program, sometimes the values a broken upstream sends.
inline float anySample(StressRng& rng, double level, bool allowBroken) {
    if (allowBroken && rng.chance(0.002)) return anyFloat(rng);
    return static_cast<float>(level * rng.symmetric());
}

inline bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Within the output ceiling and finite (a NaN fails both comparisons).
inline bool withinCeiling(float y) { return y >= -kOutputCeilingFloat && y <= kOutputCeilingFloat; }

// The clamp the host's set call and the knob drag apply, written out on its own.
inline float expectedClamp(float v) {
    if (std::isnan(v) || v >= 1.0f) return 1.0f;
    if (v > 0.0f) return v;
    return 0.0f;
}
