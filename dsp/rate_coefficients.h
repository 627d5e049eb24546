#pragma once
// Coefficients that depend only on the sample rate, computed when the rate
// changes and never per block or per sample.
#include <atomic>
#include <cstdint>

struct RateCoefficientValues {
    double peakReferenceDecay;   // 1.5 s peak-hold decay
    double levelAttackCoeff;     // 1 ms
    double levelReleaseCoeff;    // 60 ms
    double averageStep;          // 80 ms smoother step
    double fastLevelStep;        // 5 ms smoother step
    double curvatureScaleDecay;  // 0.5 s, applied once per window step
    double curvatureStep;        // 4 ms smoother step
    double wobbleIncrement;      // 5.8 Hz, radians per sample
    int32_t windowLength;        // 2 ms analysis window, samples
};

// The live coefficient block of an instance. Written by the host's sample-rate
// request on its own thread, read by the audio thread: every field is a relaxed
// atomic, and the engine copies all of them once at the start of each block.
// Any mix of fields from two valid rates is itself a set of finite, in-range
// coefficients, so a rate change landing mid-copy cannot produce a non-finite
// result; the next block sees the complete new set.
struct RateCoefficients {
    std::atomic<double> peakReferenceDecay;
    std::atomic<double> levelAttackCoeff;
    std::atomic<double> levelReleaseCoeff;
    std::atomic<double> averageStep;
    std::atomic<double> fastLevelStep;
    std::atomic<double> curvatureScaleDecay;
    std::atomic<double> curvatureStep;
    std::atomic<double> wobbleIncrement;
    std::atomic<int32_t> windowLength;
};

struct RateRule {
    double hostSampleRate;  // what the host asked for, or kFallbackSampleRate when not positive
    double effectiveRate;   // what the coefficients use: at least kLowestSampleRate
};

RateRule rateRuleFor(float hostRate);
RateCoefficientValues coefficientsForRate(double effectiveRate);
void computeRateCoefficients(RateCoefficients& coefficients, double effectiveRate);
// Inline: it runs at the start of every block, and a host may send one frame
// per block.
inline RateCoefficientValues loadRateCoefficients(const RateCoefficients& in) {
    constexpr auto relaxed = std::memory_order_relaxed;
    RateCoefficientValues c;
    c.peakReferenceDecay = in.peakReferenceDecay.load(relaxed);
    c.levelAttackCoeff = in.levelAttackCoeff.load(relaxed);
    c.levelReleaseCoeff = in.levelReleaseCoeff.load(relaxed);
    c.averageStep = in.averageStep.load(relaxed);
    c.fastLevelStep = in.fastLevelStep.load(relaxed);
    c.curvatureScaleDecay = in.curvatureScaleDecay.load(relaxed);
    c.curvatureStep = in.curvatureStep.load(relaxed);
    c.wobbleIncrement = in.wobbleIncrement.load(relaxed);
    c.windowLength = in.windowLength.load(relaxed);
    return c;
}

// The host's sample-rate request: stores the host rate and recomputes the block.
void applySampleRate(std::atomic<double>& hostSampleRate, RateCoefficients& coefficients,
                     float hostRate);
