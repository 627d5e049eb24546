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
    double gain = 1.0 / (1.0 + drive + (0.08 * kneeLevel + 0.18) * drive * drive);
    if (kGlue) {
        // Gives back part of the reduction, most where it is deepest; no
        // reduction leaves the gain at exactly 1.
        const double reduction = 1.0 - gain;
        double depth = reduction * (1.0 / 0.6);
        if (depth > 1.0) depth = 1.0;
        double curve = (116.0 * depth * depth - 0.00375) * (100.0 / 20.0 / 580.0);
        curve = curve < 4.0 ? (curve > 0.0 ? curve : 0.0) : 4.0;
        gain = 1.0 - reduction / (b.glueStrength * curve * curve + 1.0);
    }
    return gain;
}

inline double compressorGain(const BlockValues& b, double envelope, double crestSoftening,
                             double kneeLevel) {
    return b.glueOn ? compressorGainWith<true>(b, envelope, crestSoftening, kneeLevel)
                    : compressorGainWith<false>(b, envelope, crestSoftening, kneeLevel);
}
