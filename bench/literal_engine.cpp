#include "literal_engine.h"

#include <cmath>
#include <cstring>

#include "engine_constants.h"

// Two deliberate departures from the bare formulas, the same two the shipped
// engine makes, so that both compute the same thing:
//  - a detector value that is NaN, infinite or 1000000 and beyond is kept out
//    of every recursive state: the detector filter takes 0 for such an input
//    sample, and the envelope follows the sanitised level rather than the raw
//    peak (a NaN or infinite envelope would stop compression for good);
//  - the detector filter's step is limited to 1, which keeps the one-pole
//    filter stable at very low host rates.
// The benchmark programs are finite, below 1000000 and at 44100 Hz, where
// neither departure changes a single result.
// The engine's fixed numbers (ceiling, meter, rate rule, 2 pi) come from the
// engine's one header of them; every formula is written out here.

namespace {

double sanitisedDetectorInput(double x) { return std::fabs(x) < 1000000.0 ? x : 0.0; }

void computeRateCoefficients(LiteralCompressor& c, double r) {
    c.peakReferenceDecay = std::exp(-1.0 / (1.5 * r));
    c.levelAttackCoeff = std::exp(-1.0 / (0.001 * r));
    c.levelReleaseCoeff = std::exp(-1.0 / (0.06 * r));
    c.averageStep = 1.0 - std::exp(-1.0 / (0.08 * r));
    c.fastLevelStep = 1.0 - std::exp(-1.0 / (0.005 * r));
    c.curvatureScaleDecay = std::exp(-1.0 / (0.5 * r));
    c.curvatureStep = 1.0 - std::exp(-1.0 / (0.004 * r));
    c.wobbleIncrement = 36.4424747816416 / r;
    const double window = 0.002 * r;
    c.windowLength = window >= 1.0 && window < 2147483647.0 ? static_cast<int32_t>(window) : 1;
}

struct AnalysisResult {
    double crestSoftening;
    double kneeLevel;
    double adaptiveRelease;
};

AnalysisResult analyseProgramLevel(LiteralCompressor& c, double detectorLevel,
                                   double releaseCoeff) {
    // 1. peak reference
    const double decayed = c.peakReference * c.peakReferenceDecay;
    c.peakReference = decayed > detectorLevel ? decayed : detectorLevel;
    if (c.peakReference < 0.001) c.peakReference = 0.001;
    // 2. normalised level
    double normalisedLevel = detectorLevel / c.peakReference;
    if (normalisedLevel > 1.0) normalisedLevel = 1.0;
    // 3. program level
    const double k = normalisedLevel > c.programLevel ? c.levelAttackCoeff : c.levelReleaseCoeff;
    c.programLevel = (1.0 - k) * normalisedLevel + k * c.programLevel;
    // 4. program average
    c.programAverage += (c.programLevel - c.programAverage) * c.averageStep;
    // 5. crest terms
    const double crestRatio = c.programLevel / (std::fabs(0.1 * c.programAverage) + 0.04);
    double crestAmount = crestRatio / 25.0;
    if (crestAmount > 1.0) crestAmount = 1.0;
    const double crestSoftening = 1.0 / (2.0 * crestAmount * crestAmount + 1.0);
    // 6. knee level
    const double kneeLevel = std::pow(c.programLevel, 1.5);
    // 7. fast level and window step
    c.fastLevel += (normalisedLevel - c.fastLevel) * c.fastLevelStep;
    c.windowCounter += 1;
    if (c.windowCounter >= c.windowLength) {
        c.windowCounter = 0;
        double* h = c.curvatureHistory;
        const double d = c.fastLevel - 4.0 * h[0] + 6.0 * h[1] - 4.0 * h[2] + h[3];
        h[3] = h[2];
        h[2] = h[1];
        h[1] = h[0];
        h[0] = c.fastLevel;
        const double scaleDecayed = c.curvatureScale * c.curvatureScaleDecay;
        c.curvatureScale = scaleDecayed > std::fabs(d) ? scaleDecayed : std::fabs(d);
        if (c.curvatureScale < 0.02) c.curvatureScale = 0.02;
        const double q = d / c.curvatureScale;
        if (!(q < 1.0))
            c.curvature = 1.0;
        else
            c.curvature = q > -1.0 ? q : -1.0;
    }
    // 8. smoothed curvature
    c.curvatureSmoothed += (c.curvature - c.curvatureSmoothed) * c.curvatureStep;
    // 9. wobble phase
    c.wobblePhase += c.wobbleIncrement;
    if (c.wobblePhase > kTwoPi) c.wobblePhase -= kTwoPi;
    // 10. release wobble
    const double releaseWobble =
        0.08 * std::sin(c.wobblePhase + 0.8224670334241132) / (std::fabs(crestRatio) + 1.0);
    // 11. release scale
    const double positiveCurvature = c.curvatureSmoothed > 0.0 ? c.curvatureSmoothed : 0.0;
    double releaseScale = (0.4 * (c.programLevel * c.programLevel * 81.0 / 91.0) + 0.65) /
                          (0.5 * positiveCurvature + 1.0) * (1.0 - 0.2 * releaseWobble);
    if (!(releaseScale < 2.2))
        releaseScale = 2.2;
    else if (releaseScale < 0.35)
        releaseScale = 0.35;
    // 12. adaptive release
    double adaptiveRelease = 1.0 - (1.0 - releaseCoeff) / releaseScale;
    if (!(adaptiveRelease < 0.9999))
        adaptiveRelease = 0.9999;
    else if (adaptiveRelease < 0.7)
        adaptiveRelease = 0.7;
    return {crestSoftening, kneeLevel, adaptiveRelease};
}

}  // namespace

void literalApplySampleRate(LiteralCompressor& c, float rate) {
    double effectiveRate;
    if (!(rate > 0.0f)) {
        c.hostSampleRate = kFallbackSampleRate;
        effectiveRate = kFallbackSampleRate;
    } else {
        c.hostSampleRate = rate;
        effectiveRate = rate > kLowestSampleRate ? c.hostSampleRate : kLowestSampleRate;
    }
    computeRateCoefficients(c, effectiveRate);
}

void literalInit(LiteralCompressor& c, const float params[9]) {
    std::memset(&c, 0, sizeof c);
    std::memcpy(c.params, params, sizeof c.params);
    c.hostSampleRate = kFallbackSampleRate;
    c.hostBypass = false;
    c.peakReference = 0.001;
    c.curvatureScale = 0.02;
    computeRateCoefficients(c, kFallbackSampleRate);
}

void literalProcessBlock(LiteralCompressor& c, const float* const* inputs, float* const* outputs,
                         int32_t sampleFrames) {
    const float* inL = inputs[0];
    const float* inR = inputs[1];
    float* outL = outputs[0];
    float* outR = outputs[1];

    if (c.hostBypass || c.params[8] > 0.5f) {
        const size_t n = sampleFrames > 0 ? static_cast<size_t>(sampleFrames) : 0;
        if (outL != inL) std::memcpy(outL, inL, n * sizeof(float));
        if (outR != inR) std::memcpy(outR, inR, n * sizeof(float));
        return;
    }

    const double vThreshold = c.params[0];
    const double vRatio = c.params[1];
    const double vAttack = c.params[2];
    const double vRelease = c.params[3];
    const double vBassArmor = c.params[5];
    const double vMakeup = c.params[6];
    const double thresholdGain = std::pow(10.0, (36.0 * vThreshold - 36.0) / 20.0);
    const double ratioValue = 1.5 + 18.5 * vRatio;
    const double attackCoeff =
        std::exp(-1.0 / ((0.1 + 29.9 * vAttack * vAttack) * 0.001 * c.hostSampleRate));
    const double releaseCoeff =
        std::exp(-1.0 / ((20.0 + 1180.0 * vRelease * vRelease) * 0.001 * c.hostSampleRate));
    const double glueAmount = c.params[4];
    const double bassArmorHz = 240.0 * vBassArmor;
    double bassArmorStep = bassArmorHz > 5.0 ? kTwoPi * bassArmorHz / c.hostSampleRate : 0.0;
    if (bassArmorStep > 1.0) bassArmorStep = 1.0;
    const double makeupGain = std::pow(10.0, (20.0 * vMakeup) / 20.0);
    const double mixAmount = c.params[7];

    float blockMaxReduction = 0.0f;
    for (int32_t i = 0; i < sampleFrames; ++i) {
        const double xL = inL[i];
        const double xR = inR[i];
        double dL = xL;
        double dR = xR;
        if (bassArmorStep > 0.0001) {
            const double sxL = sanitisedDetectorInput(xL);
            const double sxR = sanitisedDetectorInput(xR);
            c.bassArmorState[0] += (sxL - c.bassArmorState[0]) * bassArmorStep;
            c.bassArmorState[1] += (sxR - c.bassArmorState[1]) * bassArmorStep;
            dL = sxL - c.bassArmorState[0];
            dR = sxR - c.bassArmorState[1];
        }
        const double detectorPeak = std::fabs(dR) > std::fabs(dL) ? std::fabs(dR) : std::fabs(dL);
        const double detectorLevel =
            detectorPeak >= 0.0 && detectorPeak < 1000000.0 ? detectorPeak : 0.0;

        const AnalysisResult a = analyseProgramLevel(c, detectorLevel, releaseCoeff);

        if (detectorLevel > c.detectorEnvelope)
            c.detectorEnvelope = (1.0 - attackCoeff) * detectorLevel + attackCoeff * c.detectorEnvelope;
        else
            c.detectorEnvelope =
                (1.0 - a.adaptiveRelease) * detectorLevel + a.adaptiveRelease * c.detectorEnvelope;

        double gain = 1.0;
        if (c.detectorEnvelope > thresholdGain) {
            const double overshoot = (c.detectorEnvelope - thresholdGain) / (thresholdGain + 0.000001);
            const double compressionDrive =
                overshoot * (0.35 * a.crestSoftening + 0.65) * (1.0 - 1.0 / ratioValue);
            gain = 1.0 / (1.0 + compressionDrive +
                          (0.08 * a.kneeLevel + 0.18) * compressionDrive * compressionDrive);
            if (glueAmount > 0.01) {
                const double reduction = 1.0 - gain;
                double depth = reduction / 0.6;
                if (depth > 1.0) depth = 1.0;
                double glueCurve = (116.0 * depth * depth - 0.00375) * 100.0 / 20.0 / 580.0;
                if (!(glueCurve < 4.0))
                    glueCurve = 4.0;
                else if (!(glueCurve > 0.0))
                    glueCurve = 0.0;
                gain = 1.0 - reduction / (1.2 * glueAmount * glueCurve * glueCurve + 1.0);
            }
        }

        const float reductionDb =
            gain > 0.00001 ? static_cast<float>(-20.0 * std::log10(gain)) : kMeterRangeDb;
        if (reductionDb > blockMaxReduction) blockMaxReduction = reductionDb;

        double yL = xL * (1.0 - mixAmount) + gain * xL * makeupGain * mixAmount;
        double yR = xR * (1.0 - mixAmount) + gain * xR * makeupGain * mixAmount;
        if (!(yL < kOutputCeiling))
            yL = kOutputCeiling;
        else if (!(yL > -kOutputCeiling))
            yL = -kOutputCeiling;
        if (!(yR < kOutputCeiling))
            yR = kOutputCeiling;
        else if (!(yR > -kOutputCeiling))
            yR = -kOutputCeiling;
        outL[i] = static_cast<float>(yL);
        outR[i] = static_cast<float>(yR);
    }
    c.gainReductionMeter = kMeterKeep * c.gainReductionMeter + kMeterTake * blockMaxReduction;
}
