#include "rate_coefficients.h"

#include "engine_constants.h"
#include "portable_maths.h"

RateRule rateRuleFor(float hostRate) {
    if (!(hostRate > 0.0f)) return {kFallbackSampleRate, kFallbackSampleRate};  // zero, negative or NaN
    const double rate = hostRate;
    return {rate, rate > kLowestSampleRate ? rate : kLowestSampleRate};
}

RateCoefficientValues coefficientsForRate(double r) {
    RateCoefficientValues c;
    c.peakReferenceDecay = portableExp(-1.0 / (1.5 * r));
    c.levelAttackCoeff = portableExp(-1.0 / (0.001 * r));
    c.levelReleaseCoeff = portableExp(-1.0 / (0.06 * r));
    c.averageStep = 1.0 - portableExp(-1.0 / (0.08 * r));
    c.fastLevelStep = 1.0 - portableExp(-1.0 / (0.005 * r));
    c.curvatureScaleDecay = portableExp(-1.0 / (0.5 * r));
    c.curvatureStep = 1.0 - portableExp(-1.0 / (0.004 * r));
    c.wobbleIncrement = 36.4424747816416 / r;  // 2*pi*5.8 / r
    const double window = 0.002 * r;
    // Truncation towards zero; the range test also keeps the cast defined.
    c.windowLength = (window >= 1.0 && window < 2147483647.0) ? static_cast<int32_t>(window) : 1;
    return c;
}

void computeRateCoefficients(RateCoefficients& out, double effectiveRate) {
    const RateCoefficientValues c = coefficientsForRate(effectiveRate);
    constexpr auto relaxed = std::memory_order_relaxed;
    out.peakReferenceDecay.store(c.peakReferenceDecay, relaxed);
    out.levelAttackCoeff.store(c.levelAttackCoeff, relaxed);
    out.levelReleaseCoeff.store(c.levelReleaseCoeff, relaxed);
    out.averageStep.store(c.averageStep, relaxed);
    out.fastLevelStep.store(c.fastLevelStep, relaxed);
    out.curvatureScaleDecay.store(c.curvatureScaleDecay, relaxed);
    out.curvatureStep.store(c.curvatureStep, relaxed);
    out.wobbleIncrement.store(c.wobbleIncrement, relaxed);
    out.windowLength.store(c.windowLength, relaxed);
}

void applySampleRate(std::atomic<double>& hostSampleRate, RateCoefficients& coefficients,
                     float hostRate) {
    const RateRule rule = rateRuleFor(hostRate);
    hostSampleRate.store(rule.hostSampleRate, std::memory_order_relaxed);
    computeRateCoefficients(coefficients, rule.effectiveRate);
}
