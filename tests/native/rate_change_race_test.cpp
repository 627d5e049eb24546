// A sample-rate request can land while the audio thread copies the coefficient
// block, so one block may run on fields of two different rates, and with a host
// rate from either. Every such mix must still give finite output within the
// ceiling and a finite meter, block after block.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine.h"
#include "engine_constants.h"
#include "engine_state.h"
#include "rate_coefficients.h"

namespace {

constexpr int kFrames = 300;

void storeMixed(RateCoefficients& out, const RateCoefficientValues& a, const RateCoefficientValues& b,
                unsigned mask) {
    auto pick = [mask](int bit, auto x, auto y) { return (mask >> bit) & 1u ? y : x; };
    out.peakReferenceDecay.store(pick(0, a.peakReferenceDecay, b.peakReferenceDecay));
    out.levelAttackCoeff.store(pick(1, a.levelAttackCoeff, b.levelAttackCoeff));
    out.levelReleaseCoeff.store(pick(2, a.levelReleaseCoeff, b.levelReleaseCoeff));
    out.averageStep.store(pick(3, a.averageStep, b.averageStep));
    out.fastLevelStep.store(pick(4, a.fastLevelStep, b.fastLevelStep));
    out.curvatureScaleDecay.store(pick(5, a.curvatureScaleDecay, b.curvatureScaleDecay));
    out.curvatureStep.store(pick(6, a.curvatureStep, b.curvatureStep));
    out.wobbleIncrement.store(pick(7, a.wobbleIncrement, b.wobbleIncrement));
    out.windowLength.store(pick(8, a.windowLength, b.windowLength));
}

// Loud bursts, silence and a steady tone, so every analysis path runs.
void fillProgram(float* l, float* r, unsigned mask) {
    for (int i = 0; i < kFrames; ++i) {
        const double t = double(i + int(mask)) * 0.37;
        const double loud = (mask + unsigned(i) / 50u) % 3u == 0u ? 0.95 : 0.01;
        l[i] = float(loud * std::sin(t));
        r[i] = float(loud * std::sin(1.3 * t) * 0.5);
    }
}

TEST(RateChangeDuringBlock, AnyMixOfTwoRatesStaysFiniteAndWithinTheCeiling) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float pairs[][2] = {{44100.0f, 48000.0f}, {8000.0f, 768000.0f}, {1.0f, 192000.0f},
                              {nan, 768000.0f},     {4000.0f, 96000.0f}};
    for (const auto& pair : pairs) {
        const RateRule ruleA = rateRuleFor(pair[0]);
        const RateRule ruleB = rateRuleFor(pair[1]);
        const RateCoefficientValues a = coefficientsForRate(ruleA.effectiveRate);
        const RateCoefficientValues b = coefficientsForRate(ruleB.effectiveRate);
        // One state carries through every mix: counters beyond a new window,
        // envelopes and levels left by the other rate all come along.
        static EngineState state;
        initEngineState(state);
        BlockControls controls{};
        for (int i = 0; i < kParamCount; ++i) controls.params[i] = kParamTable[i].defaultValue;
        controls.params[kThreshold] = 0.1f;
        controls.params[kBassArmor] = 1.0f;
        float l[kFrames], r[kFrames], outL[kFrames], outR[kFrames];
        const float* in[2] = {l, r};
        float* out[2] = {outL, outR};
        for (unsigned mask = 0; mask < 1024u; ++mask) {
            storeMixed(state.coefficients, a, b, mask);
            controls.hostSampleRate = (mask & 512u) ? ruleB.hostSampleRate : ruleA.hostSampleRate;
            controls.params[kAttack] = float(mask % 7u) / 6.0f;
            controls.params[kRelease] = float(mask % 5u) / 4.0f;
            fillProgram(l, r, mask);
            processBlock(state, controls, in, out, kFrames);
            for (int i = 0; i < kFrames; ++i) {
                ASSERT_TRUE(outL[i] >= -kOutputCeilingFloat && outL[i] <= kOutputCeilingFloat)
                    << "rates " << pair[0] << "/" << pair[1] << " mask " << mask << " sample " << i;
                ASSERT_TRUE(outR[i] >= -kOutputCeilingFloat && outR[i] <= kOutputCeilingFloat)
                    << "rates " << pair[0] << "/" << pair[1] << " mask " << mask << " sample " << i;
            }
            const float meter = state.gainReductionMeter.load();
            ASSERT_TRUE(meter >= 0.0f && meter <= 100.0f) << "mask " << mask << " meter " << meter;
            ASSERT_TRUE(std::isfinite(state.detectorEnvelope)) << "mask " << mask;
        }
        // Back on one clean rate, the compressor still compresses loud program.
        storeMixed(state.coefficients, b, b, 0);
        controls.hostSampleRate = ruleB.hostSampleRate;
        for (int block = 0; block < 40; ++block) {
            for (int i = 0; i < kFrames; ++i) l[i] = r[i] = float(0.9 * std::sin(0.05 * (block * kFrames + i)));
            processBlock(state, controls, in, out, kFrames);
        }
        EXPECT_GT(state.gainReductionMeter.load(), 1.0f) << "rates " << pair[0] << "/" << pair[1];
    }
}

}  // namespace
