#pragma once
// Soft-knee gain computer and the "580 Glue" shaping of deep reduction.
#include "block_values.h"

// Gain for one sample from the envelope; exactly 1 at or below the threshold,
// where the overshoot is held at 0.
inline double compressorGain(const BlockValues& b, double envelope, double crestSoftening,
                             double kneeLevel) {
    // The overshoot is a linear ratio, not decibels:
    //   drive = max(envelope - threshold, 0) / (threshold + 0.000001)
    //           (0.35 crestSoftening + 0.65) (1 - 1/ratio)
    //   r     = drive + (0.08 kneeLevel + 0.18) drive^2
    //   gain  = 1 / (1 + r)
    // Written with the factors that do not depend on the envelope multiplied
    // first and r taken as drive (1 + knee drive): fewer steps wait on the
    // envelope, worth 1.2x at one-frame blocks. Kept as is: it sets today's
    // rounding, and so the output bits.
    const double driveScale = (0.35 * crestSoftening + 0.65) * (b.overshootScale * b.ratioDrive);
    const double kneeScale = 0.08 * kneeLevel + 0.18;
    const double above = envelope - b.thresholdGain;
    const double drive = (above > 0.0 ? above : 0.0) * driveScale;
    const double r = drive * (1.0 + kneeScale * drive);
    const double den = 1.0 + r;
    if (!b.glueOn) return 1.0 / den;

    // Glue gives back part of the reduction (r / (1 + r)), most where it is deepest:
    //   depth = min(reduction / 0.6, 1)
    //   curve = (116 depth^2 - 0.00375) 100/20/580, limited to [0, 4]
    //   gain  = 1 - reduction / (1.2 glue curve^2 + 1)
    // Each quotient is carried as numerator and denominator so that the whole
    // stage costs one division (kept, like the above, for today's bits). Since
    // depth is at most 1, the curve stays below 1 and its upper limit never
    // applies. No reduction leaves the gain at exactly 1.
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
