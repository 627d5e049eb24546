#pragma once
// The engine's state and coefficients, in the order the plug-in instance keeps
// them: the published meter first, then the program analysis, the rate
// coefficients, the window counter, the envelope and the detector filter.
#include <atomic>
#include <cstdint>

#include "block_values.h"
#include "rate_coefficients.h"

struct AnalysisState {
    double programLevel;
    double curvatureSmoothed;
    double peakReference;
    double programAverage;
    double fastLevel;
    double curvatureScale;
    double curvature;
    double wobblePhase;
    double curvatureHistory[4];  // newest first
};

// The release wobble's sine, carried by rotation from sample to sample. The
// pair belongs to `phase`; the step pair to `increment`. Either key differing
// from the live value (a rate change, a fresh instance) forces a recompute.
struct WobbleOscillator {
    double phase;
    double sine;    // sin(phase + pi^2/12)
    double cosine;  // cos(phase + pi^2/12)
    double increment;
    double stepSine;
    double stepCosine;
};

struct EngineState {
    // Smoothed gain reduction in dB: written by the audio thread once per
    // processed block, read by the editor's painter.
    std::atomic<float> gainReductionMeter;
    AnalysisState analysis;
    RateCoefficients coefficients;
    int32_t windowCounter;
    double detectorEnvelope;
    double bassArmorState[2];  // left, right
    // Derived values only, kept after the state so they change no result.
    WobbleOscillator wobble;
    BlockValueCache blockCache;
};

// Initial state and the coefficients for kFallbackSampleRate.
void initEngineState(EngineState& state);
