#pragma once
// The engine's state and coefficients, in the order the plug-in instance keeps
// them: the published meter first, then the program analysis, the rate
// coefficients, the window counter, the envelope and the detector filter.
#include <atomic>
#include <cstdint>

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

struct EngineState {
    // Smoothed gain reduction in dB: written by the audio thread once per
    // processed block, read by the editor's painter.
    std::atomic<float> gainReductionMeter;
    AnalysisState analysis;
    RateCoefficients coefficients;
    int32_t windowCounter;
    double detectorEnvelope;
    double bassArmorState[2];  // left, right
};

// Initial state and the coefficients for 44100 Hz.
void initEngineState(EngineState& state);
