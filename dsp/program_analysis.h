#pragma once
// Program-level analysis: turns the sanitised detector level into crest
// softening, knee level and the per-sample (auto) release coefficient.
#include <cmath>
#include <cstdint>

#include "engine_constants.h"
#include "engine_state.h"
#include "rate_coefficients.h"

struct ProgramLevel {
    double crestSoftening;  // 1/3 .. 1, eases compression on transients
    double kneeLevel;       // 0 .. 1, stiffens the knee near the recent peak
    double adaptiveRelease; // 0.7 .. 0.9999, the envelope's release for this sample
};

constexpr double kWobblePhaseOffset = 0.8224670334241132;  // pi^2 / 12

// Smallest magnitude the recursive state keeps; anything below is flushed to zero.
constexpr double kStateFloor = 1e-100;
inline double flushBelowFloor(double v) { return std::fabs(v) < kStateFloor ? 0.0 : v; }

// What the analysis state says after one sample, for the control values.
struct ProgramSnapshot {
    double programLevel;
    double programAverage;
    double curvatureSmoothed;
    double wobbleSine;  // sin(wobblePhase + pi^2/12)
};

// The 2 ms window step: the curvature of the fast level. Kept out of line so
// the compiler branches around it rather than computing it (with a division)
// on every sample and selecting the result.
__attribute__((noinline)) inline void takeWindowStep(AnalysisState& a, double curvatureScaleDecay) {
    // The smoothed levels lose at most a factor e^0.5 between window
    // steps at any rate, so flushing them here to zero below 1e-100 keeps
    // them, their squares and products far from the subnormal range.
    a.programLevel = flushBelowFloor(a.programLevel);
    a.programAverage = flushBelowFloor(a.programAverage);
    a.fastLevel = flushBelowFloor(a.fastLevel);
    a.curvatureSmoothed = flushBelowFloor(a.curvatureSmoothed);
    double (&h)[4] = a.curvatureHistory;
    const double d = a.fastLevel - 4.0 * h[0] + 6.0 * h[1] - 4.0 * h[2] + h[3];
    h[3] = h[2];
    h[2] = h[1];
    h[1] = h[0];
    h[0] = a.fastLevel;
    const double scaleDecayed = a.curvatureScale * curvatureScaleDecay;
    double scale = scaleDecayed > std::fabs(d) ? scaleDecayed : std::fabs(d);
    if (scale < 0.02) scale = 0.02;
    a.curvatureScale = scale;
    const double q = d / scale;
    a.curvature = q < 1.0 ? (q > -1.0 ? q : -1.0) : 1.0;  // NaN gives 1
}

// Advances the analysis state by one sample. `wobbleSine(wrapped)` returns
// sin(wobblePhase + pi^2/12) for the phase just advanced; `wrapped` says the
// phase was brought back by 2 pi on this sample. The engine passes a recursive
// oscillator, the plain entry below a sine call.
template <class WobbleSine>
inline ProgramSnapshot advanceProgramLevel(AnalysisState& a, int32_t& windowCounter,
                                           const RateCoefficientValues& c, double level,
                                           WobbleSine&& wobbleSine) {
    // Written: peak = max(held, level, 0.001), normalised = min(level / peak, 1).
    // The held peak without this sample depends only on the state, so its
    // reciprocal is taken before the level arrives and the level meets a
    // product, not a division: a level above it is the new peak and
    // normalises to exactly 1, one below it is scaled by the reciprocal.
    // Worth under 1.1x; kept because it sets today's rounding and output bits.
    double held = a.peakReference * c.peakReferenceDecay;
    if (held < 0.001) held = 0.001;
    const double inverseHeld = 1.0 / held;
    const bool newPeak = level > held;
    a.peakReference = newPeak ? level : held;
    double normalised = newPeak ? 1.0 : level * inverseHeld;
    if (normalised > 1.0) normalised = 1.0;

    const double k = normalised > a.programLevel ? c.levelAttackCoeff : c.levelReleaseCoeff;
    a.programLevel = (1.0 - k) * normalised + k * a.programLevel;
    a.programAverage += (a.programLevel - a.programAverage) * c.averageStep;

    a.fastLevel += (normalised - a.fastLevel) * c.fastLevelStep;
    if (++windowCounter >= c.windowLength) {
        windowCounter = 0;
        takeWindowStep(a, c.curvatureScaleDecay);
    }
    a.curvatureSmoothed += (a.curvature - a.curvatureSmoothed) * c.curvatureStep;

    a.wobblePhase += c.wobbleIncrement;
    const bool wrapped = a.wobblePhase > kTwoPi;
    if (wrapped) a.wobblePhase -= kTwoPi;
    return {a.programLevel, a.programAverage, a.curvatureSmoothed, wobbleSine(wrapped)};
}

// The control values from one snapshot; `releaseStep` is 1 - the block's
// release coefficient. Depends on nothing but its inputs, so the engine runs
// it over many samples at once.
inline ProgramLevel programControls(const ProgramSnapshot& p, double releaseStep) {
    // Written out, with c the crest ratio pl / d:
    //   softening     = 1 / (2 (c/25)^2 + 1)        (c/25 at most 1)
    //   wobble        = 0.08 sin / (|c| + 1)
    //   inverse scale = (0.5 max(curvature, 0) + 1) / ((0.4 pl^2 81/91 + 0.65)(1 - 0.2 wobble))
    // Each quotient is rewritten over the crest ratio's own numerator and
    // denominator, and all of them share a single division: the same values
    // to rounding, one divider trip per sample instead of five. Worth 1.15x at
    // one-frame blocks, and it sets today's output bits.
    const double pl = p.programLevel;
    const double d = std::fabs(0.1 * p.programAverage) + 0.04;
    const bool fullCrest = pl > 25.0 * d;  // c / 25 limited to 1
    const double amountNum = fullCrest ? 1.0 : pl;
    const double amountDen = fullCrest ? 1.0 : 25.0 * d;
    const double softeningDen = 2.0 * amountNum * amountNum + amountDen * amountDen;
    const double wobbleDen = std::fabs(pl) + d;                     // (|c| + 1) d
    const double wobbleTerm = wobbleDen - 0.016 * p.wobbleSine * d;  // (1 - 0.2 wobble) (|c| + 1) d
    const double levelTerm = 0.4 * (81.0 / 91.0) * (pl * pl) + 0.65;
    const double curvatureDrive = p.curvatureSmoothed > 0.0 ? p.curvatureSmoothed : 0.0;
    const double shared = 1.0 / (softeningDen * levelTerm * wobbleTerm);

    const double crestSoftening = amountDen * amountDen * (levelTerm * wobbleTerm) * shared;

    // The power 1.5 as x * sqrt(x): programLevel stays in [0, 1], and a square
    // root is exact to the last bit where a general power call is not cheap.
    const double kneeLevel = pl * std::sqrt(pl);

    // The release step is divided by the scale, so the scale is kept as its
    // reciprocal, with the scale's limits [0.35, 2.2] applied as [1/2.2, 1/0.35].
    double inverseScale = (0.5 * curvatureDrive + 1.0) * (wobbleDen * softeningDen) * shared;
    inverseScale = inverseScale > 1.0 / 2.2 ? inverseScale : 1.0 / 2.2;
    inverseScale = inverseScale < 1.0 / 0.35 ? inverseScale : 1.0 / 0.35;

    double adaptiveRelease = 1.0 - releaseStep * inverseScale;
    adaptiveRelease = adaptiveRelease < 0.9999 ? adaptiveRelease : 0.9999;
    adaptiveRelease = adaptiveRelease > 0.7 ? adaptiveRelease : 0.7;
    return {crestSoftening, kneeLevel, adaptiveRelease};
}

// The analysis of one sample on its own. `detectorLevel` is finite, at least 0
// and below 1000000; `releaseCoeff` is the block's release coefficient.
ProgramLevel analyseProgramLevel(AnalysisState& analysis, int32_t& windowCounter,
                                 const RateCoefficientValues& coefficients, double detectorLevel,
                                 double releaseCoeff);
