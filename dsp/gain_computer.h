#pragma once
// Soft-knee gain computer and the "580 Glue" shaping of deep reduction.
#include "block_values.h"

// Gain for one sample from the envelope; exactly 1 at or below the threshold,
// where the overshoot is held at 0 (no branch: the engine runs this over whole
// runs of samples whose envelopes cross the threshold unpredictably).
template <bool kGlue>
inline double compressorGainWith(const BlockValues& b, double envelope, double crestSoftening,
                                 double kneeLevel) {
    // A linear overshoot ratio, not decibels. The factors that do not depend
    // on the envelope are multiplied first, and r = drive + knee drive^2 is
    // taken as drive (1 + knee drive): fewer steps wait on the envelope, which
    // arrives last when frames come one at a time.
    const double driveScale = (0.35 * crestSoftening + 0.65) * (b.overshootScale * b.ratioDrive);
    const double kneeScale = 0.08 * kneeLevel + 0.18;
    const double above = envelope - b.thresholdGain;
    const double drive = (above > 0.0 ? above : 0.0) * driveScale;
    // gain = 1 / (1 + r), so the reduction 1 - gain is r / (1 + r).
    const double r = drive * (1.0 + kneeScale * drive);
    const double den = 1.0 + r;
    if (!kGlue) return 1.0 / den;

    // Gives back part of the reduction, most where it is deepest:
    //   depth = min(reduction / 0.6, 1)
    //   curve = (116 depth^2 - 0.00375) 100/20/580, limited to [0, 4]
    //   gain  = 1 - reduction / (1.2 glue curve^2 + 1)
    // Each quotient is carried as numerator and denominator so that the whole
    // stage costs one division: the same values to rounding. Since depth is
    // at most 1, the curve stays below 1 and its upper limit never applies.
    // No reduction leaves the gain at exactly 1.
    const double depthDen = 0.6 * den;
    const double depthNum = r < depthDen ? r : depthDen;
    const double curveDen = depthDen * depthDen;
    double curveNum = (116.0 * 100.0 / 20.0 / 580.0) * (depthNum * depthNum) -
                      (0.00375 * 100.0 / 20.0 / 580.0) * curveDen;
    curveNum = curveNum > 0.0 ? curveNum : 0.0;
    const double curveDen2 = curveDen * curveDen;
    // den (glue curveNum^2 + curveDen2), expanded so both products run at once.
    const double total = (b.glueStrength * den) * (curveNum * curveNum) + den * curveDen2;
    return 1.0 - r * curveDen2 / total;
}

inline double compressorGain(const BlockValues& b, double envelope, double crestSoftening,
                             double kneeLevel) {
    return b.glueOn ? compressorGainWith<true>(b, envelope, crestSoftening, kneeLevel)
                    : compressorGainWith<false>(b, envelope, crestSoftening, kneeLevel);
}
