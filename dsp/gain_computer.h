#pragma once
// Soft-knee gain computer and the "580 Glue" shaping of deep reduction.
#include "block_values.h"

// Gain for one sample from the envelope; exactly 1 at or below the threshold.
inline double compressorGain(const BlockValues& b, double envelope, double crestSoftening,
                             double kneeLevel) {
    if (!(envelope > b.thresholdGain)) return 1.0;
    // A linear overshoot ratio, not decibels.
    const double overshoot = (envelope - b.thresholdGain) * b.overshootScale;
    const double drive = overshoot * (0.35 * crestSoftening + 0.65) * b.ratioDrive;
    double gain = 1.0 / (1.0 + drive + (0.08 * kneeLevel + 0.18) * drive * drive);
    if (b.glueOn) {
        // Gives back part of the reduction, most where it is deepest.
        const double reduction = 1.0 - gain;
        double depth = reduction / 0.6;
        if (depth > 1.0) depth = 1.0;
        double curve = (116.0 * depth * depth - 0.00375) * (100.0 / 20.0 / 580.0);
        curve = curve < 4.0 ? (curve > 0.0 ? curve : 0.0) : 4.0;
        gain = 1.0 - reduction / (b.glueStrength * curve * curve + 1.0);
    }
    return gain;
}
