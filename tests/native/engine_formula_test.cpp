// The gain computer and the control values, whose quotients share one
// division each, against the same formulas written out with plain divisions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "block_values.h"
#include "gain_computer.h"
#include "program_analysis.h"

namespace {

double clampTo(double v, double lo, double hi) { return std::min(std::max(v, lo), hi); }

double writtenOutGain(const BlockValues& b, double envelope, double softening, double knee, bool glue) {
    const double overshoot = std::max(envelope - b.thresholdGain, 0.0) / (b.thresholdGain + 0.000001);
    const double drive = overshoot * (0.35 * softening + 0.65) * b.ratioDrive;
    const double r = drive + (0.08 * knee + 0.18) * drive * drive;
    const double reduction = r / (1.0 + r);
    if (!glue) return 1.0 - reduction;
    const double depth = std::min(reduction / 0.6, 1.0);
    const double curve = clampTo((116.0 * depth * depth - 0.00375) * 100.0 / 20.0 / 580.0, 0.0, 4.0);
    return 1.0 - reduction / (b.glueStrength * curve * curve + 1.0);
}

BlockValues valuesWith(float threshold, float ratio, float glue) {
    float params[kParamCount];
    for (int i = 0; i < kParamCount; ++i) params[i] = kParamTable[i].defaultValue;
    params[kThreshold] = threshold;
    params[kRatio] = ratio;
    params[kGlue] = glue;
    return blockValuesFor(params, 44100.0);
}

TEST(Formulas, GainComputerMatchesTheWrittenOutFormula) {
    for (float threshold : {0.0f, 0.5f, 1.0f}) {
        for (float ratio : {0.0f, 0.35f, 1.0f}) {
            for (float glue : {0.0f, 0.3f, 1.0f}) {
                const BlockValues b = valuesWith(threshold, ratio, glue);
                // From just above the threshold (where the curve's lower limit
                // applies) to reductions deep enough for full depth.
                for (double env = b.thresholdGain * 1.0001; env < 1e5; env *= 1.37) {
                    for (double softening : {1.0 / 3.0, 0.86, 1.0}) {
                        for (double knee : {0.0, 0.4, 1.0}) {
                            const double expected = writtenOutGain(b, env, softening, knee, b.glueOn);
                            const double got = compressorGain(b, env, softening, knee);
                            ASSERT_NEAR(got, expected, 1e-13 + 1e-12 * expected)
                                << threshold << " " << ratio << " " << glue << " " << env;
                        }
                    }
                }
            }
        }
    }
}

TEST(Formulas, ControlValuesMatchTheWrittenOutFormula) {
    const double releaseStep = 1.0 - 0.999;
    for (double pl : {0.0, 1e-6, 0.05, 0.3, 0.7, 1.0}) {
        for (double average : {0.0, 0.01, 0.2, 1.0}) {
            for (double curvature : {-0.5, 0.0, 0.7, 1.0}) {
                for (double wobbleSine : {-1.0, 0.0, 0.6, 1.0}) {
                    const ProgramLevel p = programControls({pl, average, curvature, wobbleSine}, releaseStep);
                    const double crest = pl / (std::fabs(0.1 * average) + 0.04);
                    const double amount = std::min(crest / 25.0, 1.0);
                    const double softening = 1.0 / (2.0 * amount * amount + 1.0);
                    const double wobble = 0.08 * wobbleSine / (std::fabs(crest) + 1.0);
                    const double scale = clampTo((0.4 * pl * pl * 81.0 / 91.0 + 0.65) * (1.0 - 0.2 * wobble) /
                                                     (0.5 * std::max(curvature, 0.0) + 1.0),
                                                 0.35, 2.2);
                    const double release = clampTo(1.0 - releaseStep / scale, 0.7, 0.9999);
                    EXPECT_NEAR(p.crestSoftening, softening, 1e-14) << pl << " " << average;
                    EXPECT_NEAR(p.kneeLevel, std::pow(pl, 1.5), 1e-15) << pl;
                    EXPECT_NEAR(p.adaptiveRelease, release, 1e-15) << pl << " " << average << " " << curvature;
                }
            }
        }
    }
}

}  // namespace
