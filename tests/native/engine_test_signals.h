#pragma once
// Deterministic test program and a small rig around processBlock.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine.h"
#include "engine_constants.h"
#include "engine_state.h"

// Drum-like bursts over a bass line, left and right slightly different.
inline void makeProgram(std::vector<float>& left, std::vector<float>& right, size_t n,
                        double rate = 44100.0, float gain = 1.0f) {
    left.resize(n);
    right.resize(n);
    uint32_t seed = 12345;
    const size_t beat = static_cast<size_t>(rate * 0.25);
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = (static_cast<int32_t>(seed) / 2147483648.0);
        const double t = static_cast<double>(i % beat) / rate;
        const double hit = std::exp(-t * 30.0) * (0.9 * noise + 0.6 * std::sin(2 * M_PI * 90 * t));
        const double bass = 0.3 * std::sin(2 * M_PI * 55.0 * i / rate);
        left[i] = gain * static_cast<float>(hit + bass);
        right[i] = gain * static_cast<float>(0.8 * hit + bass * 1.1);
    }
}

struct EngineRig {
    EngineState state;
    BlockControls controls;
    EngineRig() {
        initEngineState(state);
        for (int i = 0; i < kParamCount; ++i) controls.params[i] = kParamTable[i].defaultValue;
        controls.hostSampleRate = kFallbackSampleRate;  // the rate of a fresh state
        controls.hostBypass = false;
    }
    void setRate(float rate) {
        std::atomic<double> host{0.0};
        applySampleRate(host, state.coefficients, rate);
        controls.hostSampleRate = host.load();
    }
    void process(const float* l, const float* r, float* outL, float* outR, int32_t n) {
        const float* in[2] = {l, r};
        float* out[2] = {outL, outR};
        processBlock(state, controls, in, out, n);
    }
    // Whole signal in blocks of `block` frames, into fresh output vectors.
    void run(const std::vector<float>& l, const std::vector<float>& r, std::vector<float>& outL,
             std::vector<float>& outR, size_t block = 512) {
        outL.assign(l.size(), -7.0f);
        outR.assign(r.size(), -7.0f);
        for (size_t at = 0; at < l.size(); at += block) {
            const size_t n = std::min(block, l.size() - at);
            process(&l[at], &r[at], &outL[at], &outR[at], static_cast<int32_t>(n));
        }
    }
    float meter() const { return state.gainReductionMeter.load(); }
};
