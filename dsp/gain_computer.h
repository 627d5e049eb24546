#pragma once
// Soft-knee gain computer and the "580 Glue" shaping of deep reduction.
#include "block_values.h"

// Gain for one sample from the envelope; exactly 1 at or below the threshold,
// where the overshoot is held at 0 (no branch: the engine runs this over whole
// runs of samples whose envelopes cross the threshold unpredictably).
template <bool kGlue>
inline double compressorGainWith(const BlockValues& b, double envelope, double crestSoftening,
                                 double kneeLevel) {
    // A linear overshoot ratio, not decibels.
    const double above = envelope - b.thresholdGain;
    const double overshoot = (above > 0.0 ? above : 0.0) * b.overshootScale;
    const double drive = overshoot * (0.35 * crestSoftening + 0.65) * b.ratioDrive;
    // gain = 1 / (1 + r), so the reduction 1 - gain is r / (1 + r).
    const double r = drive + (0.08 * kneeLevel + 0.18) * drive * drive;
    const double den = 1.0 + r;
    if (!kGlue) return 1.0 / den;

    // Gives back part of the reduction, most where it is deepest:
    //   depth = min(reduction / 0.6, 1)
    //   curve = (116 depth^2 - 0.00375) 100/20/580, limited to [0, 4]
    //   gain  = 1 - reduction / (1.2 glue curve^2 + 1)
    // Each quotient is carried as numerator and denominator so that the whole
    // stage costs one division: the same values to rounding. No reduction
    // leaves the gain at exactly 1.
    const double depthDen = 0.6 * den;
    const double depthNum = r < depthDen ? r : depthDen;
    const double curveDen = depthDen * depthDen;
    double curveNum = (116.0 * depthNum * depthNum - 0.00375 * curveDen) * (100.0 / 20.0 / 580.0);
    curveNum = curveNum < 4.0 * curveDen ? (curveNum > 0.0 ? curveNum : 0.0) : 4.0 * curveDen;
    const double curveDen2 = curveDen * curveDen;
    return 1.0 - r * curveDen2 / (den * (b.glueStrength * curveNum * curveNum + curveDen2));
}

inline double compressorGain(const BlockValues& b, double envelope, double crestSoftening,
                             double kneeLevel) {
    return b.glueOn ? compressorGainWith<true>(b, envelope, crestSoftening, kneeLevel)
                    : compressorGainWith<false>(b, envelope, crestSoftening, kneeLevel);
}
