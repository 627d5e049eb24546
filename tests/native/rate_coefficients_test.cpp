// Rate-dependent coefficients and the rate rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "engine_constants.h"
#include "engine_state.h"
#include "rate_coefficients.h"

namespace {

// The table's published values, rounded to 8 decimals.
TEST(RateCoefficients, TableAt44100And48000) {
    struct Row { double rate, peakRef, levelAtt, levelRel, avg, fast, curvDecay, curvStep, wobble; };
    const Row rows[] = {
        {44100, 0.99998488, 0.97757943, 0.99962214, 0.00028341, 0.00452488, 0.99995465, 0.00565290, 0.00082636},
        {48000, 0.99998611, 0.97938218, 0.99965284, 0.00026038, 0.00415800, 0.99995833, 0.00519479, 0.00075922}};
    for (const Row& r : rows) {
        const RateCoefficientValues c = coefficientsForRate(r.rate);
        EXPECT_NEAR(c.peakReferenceDecay, r.peakRef, 5e-9) << r.rate;
        EXPECT_NEAR(c.levelAttackCoeff, r.levelAtt, 5e-9) << r.rate;
        EXPECT_NEAR(c.levelReleaseCoeff, r.levelRel, 5e-9) << r.rate;
        EXPECT_NEAR(c.averageStep, r.avg, 5e-9) << r.rate;
        EXPECT_NEAR(c.fastLevelStep, r.fast, 5e-9) << r.rate;
        EXPECT_NEAR(c.curvatureScaleDecay, r.curvDecay, 5e-9) << r.rate;
        EXPECT_NEAR(c.curvatureStep, r.curvStep, 5e-9) << r.rate;
        EXPECT_NEAR(c.wobbleIncrement, r.wobble, 5e-9) << r.rate;
        EXPECT_DOUBLE_EQ(c.wobbleIncrement, 2.0 * M_PI * 5.8 / r.rate);
    }
}

TEST(RateCoefficients, WindowLengthTruncatesTwoMilliseconds) {
    EXPECT_EQ(coefficientsForRate(44100).windowLength, 88);  // 88.2
    EXPECT_EQ(coefficientsForRate(48000).windowLength, 96);
    EXPECT_EQ(coefficientsForRate(96000).windowLength, 192);
    EXPECT_EQ(coefficientsForRate(8000).windowLength, 16);
    EXPECT_EQ(coefficientsForRate(499.9).windowLength, 1);  // 0.9998 truncates to 0: lower limit
    EXPECT_EQ(coefficientsForRate(std::numeric_limits<double>::max()).windowLength, 1)
        << "a window too long for int32 is never cast";
}

TEST(RateRule, HostRateAndEffectiveRate) {
    constexpr double kFallback = kFallbackSampleRate, kLowest = kLowestSampleRate;
    constexpr float kLowestF = static_cast<float>(kLowest);
    struct Case { float in; double host; double effective; } cases[] = {
        {0.0f, kFallback, kFallback}, {-1.0f, kFallback, kFallback}, {-0.0f, kFallback, kFallback},
        {std::numeric_limits<float>::quiet_NaN(), kFallback, kFallback},
        {-std::numeric_limits<float>::infinity(), kFallback, kFallback},
        {kLowestF / 2, kLowest / 2, kLowest}, {kLowestF, kLowest, kLowest},
        {kLowestF + 0.5f, kLowest + 0.5, kLowest + 0.5},
        {1.0f, 1, kLowest}, {96000.0f, 96000, 96000}, {44100.0f, 44100, 44100}};
    for (const Case& c : cases) {
        const RateRule r = rateRuleFor(c.in);
        EXPECT_EQ(r.hostSampleRate, c.host) << c.in;
        EXPECT_EQ(r.effectiveRate, c.effective) << c.in;
    }
}

RateCoefficientValues applied(float rate, double* host = nullptr) {
    std::atomic<double> hostRate{0.0};
    RateCoefficients coefficients{};
    applySampleRate(hostRate, coefficients, rate);
    if (host) *host = hostRate.load();
    return loadRateCoefficients(coefficients);
}

bool sameBits(const RateCoefficientValues& a, const RateCoefficientValues& b) {
    return a.peakReferenceDecay == b.peakReferenceDecay && a.levelAttackCoeff == b.levelAttackCoeff &&
           a.levelReleaseCoeff == b.levelReleaseCoeff && a.averageStep == b.averageStep &&
           a.fastLevelStep == b.fastLevelStep && a.curvatureScaleDecay == b.curvatureScaleDecay &&
           a.curvatureStep == b.curvatureStep && a.wobbleIncrement == b.wobbleIncrement &&
           a.windowLength == b.windowLength;
}

TEST(RateRule, ApplyUsesTheEffectiveRateForCoefficients) {
    double host = 0;
    EXPECT_TRUE(sameBits(applied(4000.0f, &host), coefficientsForRate(kLowestSampleRate)));
    EXPECT_EQ(host, 4000.0);
    EXPECT_TRUE(sameBits(applied(0.0f, &host), coefficientsForRate(kFallbackSampleRate)));
    EXPECT_EQ(host, kFallbackSampleRate);
    EXPECT_TRUE(sameBits(applied(-1.0f, &host), coefficientsForRate(kFallbackSampleRate)));
    EXPECT_TRUE(sameBits(applied(std::numeric_limits<float>::quiet_NaN(), &host),
                         coefficientsForRate(kFallbackSampleRate)));
    EXPECT_EQ(host, kFallbackSampleRate);
    EXPECT_TRUE(sameBits(applied(96000.0f, &host), coefficientsForRate(96000)));
    EXPECT_EQ(applied(96000.0f).windowLength, 192);
}

TEST(RateRule, ApplyingTheSameRateTwiceChangesNoBit) {
    EngineState a{}, b{};
    initEngineState(a);
    std::atomic<double> hostA{kFallbackSampleRate}, hostB{kFallbackSampleRate};
    applySampleRate(hostA, a.coefficients, 48000.0f);
    memcpy(static_cast<void*>(&b), static_cast<const void*>(&a), sizeof a);
    hostB.store(hostA.load());
    applySampleRate(hostA, a.coefficients, 48000.0f);
    EXPECT_EQ(memcmp(static_cast<const void*>(&a), static_cast<const void*>(&b), sizeof a), 0);
    EXPECT_EQ(hostA.load(), hostB.load());
}

TEST(RateRule, RateChangeTouchesOnlyTheCoefficients) {
    EngineState s{};
    initEngineState(s);
    s.analysis.programLevel = 0.7;
    s.windowCounter = 150;
    s.detectorEnvelope = 0.4;
    s.bassArmorState[1] = -0.2;
    s.gainReductionMeter.store(3.5f);
    std::atomic<double> host{kFallbackSampleRate};
    applySampleRate(host, s.coefficients, 8000.0f);
    EXPECT_EQ(s.analysis.programLevel, 0.7);
    EXPECT_EQ(s.windowCounter, 150) << "a counter past the new window length is kept";
    EXPECT_EQ(s.detectorEnvelope, 0.4);
    EXPECT_EQ(s.bassArmorState[1], -0.2);
    EXPECT_EQ(s.gainReductionMeter.load(), 3.5f);
    EXPECT_EQ(s.coefficients.windowLength.load(), 16);
}

TEST(EngineState, InitialValues) {
    EngineState s{};
    s.analysis.programLevel = 9;  // garbage that init must overwrite
    s.windowCounter = 9;
    initEngineState(s);
    EXPECT_EQ(s.gainReductionMeter.load(), 0.0f);
    EXPECT_EQ(s.analysis.programLevel, 0.0);
    EXPECT_EQ(s.analysis.peakReference, 0.001);
    EXPECT_EQ(s.analysis.curvatureScale, 0.02);
    EXPECT_EQ(s.analysis.wobblePhase, 0.0);
    for (double h : s.analysis.curvatureHistory) EXPECT_EQ(h, 0.0);
    EXPECT_EQ(s.windowCounter, 0);
    EXPECT_EQ(s.detectorEnvelope, 0.0);
    EXPECT_TRUE(sameBits(loadRateCoefficients(s.coefficients), coefficientsForRate(kFallbackSampleRate)));
}

}  // namespace
