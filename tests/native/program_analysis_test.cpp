// Program-level analysis on its own: the numbers that pin its behaviour.
#include <gtest/gtest.h>

#include <cmath>

#include "engine_state.h"
#include "program_analysis.h"

namespace {

struct Analysis {
    EngineState engine;
    RateCoefficientValues c;
    explicit Analysis(double rate = 44100.0) {
        initEngineState(engine);
        c = coefficientsForRate(rate);
    }
    AnalysisState& a() { return engine.analysis; }
    ProgramLevel step(double level, double releaseCoeff = 0.999) {
        return analyseProgramLevel(engine.analysis, engine.windowCounter, c, level, releaseCoeff);
    }
};

double releaseCoeffFor(double ms, double rate = 44100.0) { return std::exp(-1.0 / (ms * 0.001 * rate)); }

TEST(ProgramAnalysis, FirstSampleFromConstruction) {
    Analysis an;
    an.step(0.0005);
    EXPECT_EQ(an.a().peakReference, 0.001);  // held at its floor
    EXPECT_DOUBLE_EQ(an.a().programLevel, (1.0 - an.c.levelAttackCoeff) * 0.5);
    EXPECT_NEAR(an.a().programLevel, 0.0112, 0.0001);
    EXPECT_NEAR(an.a().wobblePhase, an.c.wobbleIncrement, 1e-18);
    EXPECT_EQ(an.engine.windowCounter, 1);
}

// A steady level: the program runs at its own peak, crest ratio 1/0.14, release
// near the set time with only the wobble on top.
TEST(ProgramAnalysis, ConstantLevelLimits) {
    Analysis an;
    const double rc = releaseCoeffFor(20.0);
    ProgramLevel p{};
    for (int i = 0; i < 44100 * 8; ++i) p = an.step(0.3, rc);
    EXPECT_DOUBLE_EQ(an.a().peakReference, 0.3);
    EXPECT_NEAR(an.a().programLevel, 1.0, 1e-9);
    EXPECT_NEAR(an.a().programAverage, 1.0, 1e-9);
    const double crestRatio = an.a().programLevel / (0.1 * an.a().programAverage + 0.04);
    EXPECT_NEAR(crestRatio, 7.142857, 1e-5);
    EXPECT_NEAR(p.crestSoftening, 0.8597, 0.0005);
    EXPECT_NEAR(p.kneeLevel, 1.0, 1e-9);
    EXPECT_NEAR(an.a().curvature, 0.0, 1e-12);
    const double scale = (1.0 - rc) / (1.0 - p.adaptiveRelease);
    EXPECT_NEAR(scale, 0.4 * 81.0 / 91.0 + 0.65, 1.0064 * 0.0021);  // wobble at most 0.08/8.14 * 0.2
}

TEST(ProgramAnalysis, SilenceAfterLoudProgramDecaysTheReference) {
    Analysis an;
    for (int i = 0; i < 4410; ++i) an.step(0.8);
    const double before = an.a().programLevel;
    an.step(0.0);
    EXPECT_DOUBLE_EQ(an.a().peakReference, 0.8 * an.c.peakReferenceDecay);
    EXPECT_DOUBLE_EQ(an.a().programLevel, an.c.levelReleaseCoeff * before);
    for (int i = 0; i < 44100 * 12; ++i) an.step(0.0);
    EXPECT_EQ(an.a().peakReference, 0.001);
}

TEST(ProgramAnalysis, WindowStepsOnThe88thAnd176thSample) {
    Analysis an;
    for (int i = 1; i <= 200; ++i) {
        const double h0 = an.a().curvatureHistory[0];
        an.step(0.5);
        const bool stepped = an.a().curvatureHistory[0] != h0;
        EXPECT_EQ(stepped, i == 88 || i == 176) << "sample " << i;
        EXPECT_EQ(an.engine.windowCounter, i % 88) << "sample " << i;
    }
}

TEST(ProgramAnalysis, CounterPastANewShorterWindowStepsOnTheNextSample) {
    Analysis an(96000.0);
    for (int i = 0; i < 150; ++i) an.step(0.2);
    ASSERT_EQ(an.engine.windowCounter, 150);
    an.c = coefficientsForRate(8000.0);  // window of 16
    an.step(0.2);
    EXPECT_EQ(an.engine.windowCounter, 0);
}

// A level held exactly at the reference keeps fastLevel at exactly 1: every
// fourth difference is 0 and the scale decays once per window step to its floor.
TEST(ProgramAnalysis, SteadyFastLevelGivesZeroCurvatureAndScaleFloor) {
    Analysis an;
    an.a().peakReference = 0.25;
    an.a().fastLevel = 1.0;
    for (double& h : an.a().curvatureHistory) h = 1.0;
    an.a().curvature = 0.5;
    an.a().curvatureScale = 0.5;
    for (int i = 0; i < 88; ++i) an.step(0.25);
    EXPECT_EQ(an.a().curvature, 0.0);
    EXPECT_DOUBLE_EQ(an.a().curvatureScale, 0.5 * an.c.curvatureScaleDecay);
    for (int i = 0; i < 44100 * 150; ++i) an.step(0.25);  // about 75000 window steps
    EXPECT_EQ(an.a().curvatureScale, 0.02);
}

TEST(ProgramAnalysis, CurvatureStaysWithinOneAndScaleAboveFloor) {
    Analysis an;
    for (int i = 0; i < 44100 * 2; ++i) {
        an.step((i / 300) % 3 == 0 ? 0.9 : 0.01 * (i % 7));
        ASSERT_LE(std::fabs(an.a().curvature), 1.0);
        ASSERT_GE(an.a().curvatureScale, 0.02);
    }
}

// 1200 ms at 44100 Hz: whatever the program does, the ceiling wins.
TEST(ProgramAnalysis, LongReleaseHitsTheCeilingInEveryState) {
    Analysis an;
    const double rc = releaseCoeffFor(1200.0);
    EXPECT_NEAR(rc, 0.9999811, 1e-7);
    for (int i = 0; i < 44100 * 3; ++i) {
        const double level = i < 44100 ? 0.0 : ((i / 500) % 2 ? 0.7 : 0.05 * (i % 11));
        ASSERT_EQ(an.step(level, rc).adaptiveRelease, 0.9999) << i;
    }
}

TEST(ProgramAnalysis, ReleaseAndControlsStayInTheirRanges) {
    Analysis an(8000.0);
    for (int i = 0; i < 8000 * 5; ++i) {
        const double level = (i % 997) < 40 ? 999999.0 : 0.001 * (i % 13);
        const ProgramLevel p = an.step(level, releaseCoeffFor(20.0, 8000.0));
        ASSERT_GE(p.adaptiveRelease, 0.7);
        ASSERT_LE(p.adaptiveRelease, 0.9999);
        ASSERT_GE(p.crestSoftening, 1.0 / 3.0);
        ASSERT_LE(p.crestSoftening, 1.0);
        ASSERT_GE(p.kneeLevel, 0.0);
        ASSERT_LE(p.kneeLevel, 1.0);
        ASSERT_GT(an.a().wobblePhase, 0.0);
        ASSERT_LE(an.a().wobblePhase, kTwoPi);
    }
}

// Quiet, sparse program releases at about 0.65 of the set time.
TEST(ProgramAnalysis, QuietProgramShortensTheRelease) {
    Analysis an;
    const double rc = releaseCoeffFor(20.0);
    ProgramLevel p{};
    for (int i = 0; i < 44100; ++i) p = an.step(0.0, rc);
    const double scale = (1.0 - rc) / (1.0 - p.adaptiveRelease);
    EXPECT_NEAR(scale, 0.65, 0.65 * 0.017);
}

}  // namespace
