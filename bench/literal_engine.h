#pragma once
// A plain per-sample transcription of the compressor's formulas, kept only as
// the benchmarks' reference: every pow, exp, sin and log10 sits exactly where
// the design puts it, every coefficient is read every sample, nothing is
// hoisted or rewritten. The shipped engine must match its output.
#include <cstdint>

struct LiteralCompressor {
    float params[9];  // normalised: Threshold .. Bypass
    double hostSampleRate;
    bool hostBypass;

    float gainReductionMeter;
    // program analysis
    double programLevel;
    double curvatureSmoothed;
    double peakReference;
    double programAverage;
    double fastLevel;
    double curvatureScale;
    double curvature;
    double wobblePhase;
    double curvatureHistory[4];  // newest first
    // rate coefficients
    double peakReferenceDecay;
    double levelAttackCoeff;
    double levelReleaseCoeff;
    double averageStep;
    double fastLevelStep;
    double curvatureScaleDecay;
    double curvatureStep;
    double wobbleIncrement;
    int32_t windowLength;
    int32_t windowCounter;
    // detector
    double detectorEnvelope;
    double bassArmorState[2];
};

// Initial state at kFallbackSampleRate with the given parameter values.
void literalInit(LiteralCompressor& c, const float params[9]);
void literalApplySampleRate(LiteralCompressor& c, float rate);
void literalProcessBlock(LiteralCompressor& c, const float* const* inputs, float* const* outputs,
                         int32_t sampleFrames);
