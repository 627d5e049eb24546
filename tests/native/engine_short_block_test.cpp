// One-frame blocks run without writing the host's control word, so the engine
// itself must keep every recursive value out of the subnormal range; and the
// meter's decibels come from a table rather than the runtime's log10.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine_test_signals.h"
#include "float_control.h"

namespace {


// Runs the body with the given control word as the host's, and puts the
// test's own back afterwards.
template <class Body>
void withControlWord(uint64_t csr, Body body) {
    const uint64_t saved = readFloatControl();
    writeFloatControl(csr);
    body();
    writeFloatControl(saved);
}

bool normalOrZero(double v) { return std::fpclassify(v) != FP_SUBNORMAL; }

void expectNoSubnormalState(const EngineState& s, const char* what) {
    const AnalysisState& a = s.analysis;
    for (double v : {s.detectorEnvelope, s.bassArmorState[0], s.bassArmorState[1], a.programLevel,
                     a.programAverage, a.fastLevel, a.curvatureSmoothed, a.curvature, a.curvatureHistory[0],
                     a.curvatureHistory[1], a.curvatureHistory[2], a.curvatureHistory[3]})
        EXPECT_TRUE(normalOrZero(v)) << what << " " << v;
    EXPECT_NE(std::fpclassify(s.gainReductionMeter.load()), FP_SUBNORMAL) << what;
}

}  // namespace

// Loud program, then a long exact silence that takes every decaying state
// far below the subnormal threshold were nothing flushed, in one-, two- and
// three-frame blocks, with and without the host's flush-to-zero. Output and
// state match a run in long blocks (the meter decays per block, so it does
// not), and the host's control bits are untouched.
TEST(EngineShortBlocks, LongSilenceStaysNormalAndMatchesLongBlocks) {
    std::vector<float> l, r;
    makeProgram(l, r, 44100, 44100.0, 2.0f);
    l.resize(44100 * 8, 0.0f);
    r.resize(44100 * 8, 0.0f);
    for (uint64_t csr : {kHostDefaultControl, kHostDefaultControl | kFlushToZeroBits}) {
        std::vector<float> refL, refR;
        EngineRig ref;
        ref.controls.params[kBassArmor] = 1.0f;
        withControlWord(csr, [&] { ref.run(l, r, refL, refR, 4096); });
        for (size_t block : {1, 2, 3}) {
            EngineRig rig;
            rig.controls.params[kBassArmor] = 1.0f;
            std::vector<float> oL, oR;
            uint64_t after = 0;
            withControlWord(csr, [&] {
                rig.run(l, r, oL, oR, block);
                after = readFloatControl();
            });
            EXPECT_EQ(after & kControlBits, csr) << block;
            EXPECT_EQ(std::memcmp(oL.data(), refL.data(), oL.size() * sizeof(float)), 0) << block;
            EXPECT_EQ(std::memcmp(oR.data(), refR.data(), oR.size() * sizeof(float)), 0) << block;
            expectNoSubnormalState(rig.state, "silence");
            EXPECT_EQ(rig.state.detectorEnvelope, ref.state.detectorEnvelope) << block;
            EXPECT_EQ(rig.state.analysis.programLevel, ref.state.analysis.programLevel) << block;
        }
    }
}

// Tiny input (subnormal floats and values near them) in one-frame blocks takes
// the guarded route: the host's word comes back and nothing goes subnormal.
TEST(EngineShortBlocks, TinyInputInOneFrameBlocks) {
    std::vector<float> l, r;
    makeProgram(l, r, 4410);
    for (size_t i = 0; i < 44100; ++i) {
        const float tiny = (i % 3 == 0) ? 1e-40f : (i % 3 == 1 ? -3e-38f : 1e-32f);
        l.push_back(tiny);
        r.push_back(-tiny);
    }
    EngineRig rig;
    rig.controls.params[kBassArmor] = 0.5f;
    std::vector<float> oL, oR;
    uint64_t after = 0;
    withControlWord(kHostDefaultControl, [&] {
        rig.run(l, r, oL, oR, 1);
        after = readFloatControl();
    });
    EXPECT_EQ(after & kControlBits, kHostDefaultControl);
    for (size_t i = 4410; i < l.size(); ++i) ASSERT_LE(std::fabs(oL[i]), 1e-30f) << i;
    expectNoSubnormalState(rig.state, "tiny input");
}

// One frame from a fresh state: the meter is kMeterTake of -20 log10 of the
// gain, which the output shows (Mix 1, no make-up), across reductions from a
// fraction of a dB to the kMeterRangeDb floor.
TEST(EngineShortBlocks, MeterDecibelsMatchTheGain) {
    for (float level = 0.02f; level < 900.0f; level *= 1.37f) {
        EngineRig rig;
        rig.controls.params[kThreshold] = 0.0f;
        rig.controls.params[kRatio] = 1.0f;
        rig.controls.params[kAttack] = 0.0f;
        rig.controls.params[kGlue] = 0.0f;
        rig.controls.params[kMakeup] = 0.0f;
        rig.controls.params[kMix] = 1.0f;
        // The first frame only primes the envelope; the second is measured.
        const float in[2] = {level, level};
        float out[2];
        rig.process(in, in, out, out + 1, 1);
        rig.state.gainReductionMeter.store(0.0f);
        const float small = 0.0001f;  // passes through far below the ceiling
        float o1 = 0.0f, o2 = 0.0f;
        rig.process(&small, &small, &o1, &o2, 1);
        const double gain = static_cast<double>(o1) / small;
        const double expected = gain > 0.00001 ? -20.0 * std::log10(gain) : kMeterRangeDb;
        EXPECT_NEAR(rig.meter(), kMeterTake * expected, 2e-5 + 1e-6 * expected) << level;
    }
}
