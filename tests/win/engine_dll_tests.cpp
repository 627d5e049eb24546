// The engine through the real DLL, driven as a host drives it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "../../dsp/engine_constants.h"
#include "vst_host.h"

namespace {

constexpr int kFrames = 2048;

// Drum-like bursts over a bass line, deterministic.
void fillProgram(std::vector<float>& l, std::vector<float>& r, int n) {
    l.resize(n);
    r.resize(n);
    uint32_t seed = 99;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<int32_t>(seed) / 2147483648.0;
        const double hit = std::exp(-(i % 5000) / 400.0) * noise;
        l[i] = static_cast<float>(0.9 * hit + 0.3 * std::sin(0.008 * i));
        r[i] = static_cast<float>(0.7 * hit + 0.35 * std::sin(0.008 * i));
    }
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class EngineDllTest : public ::testing::Test {
protected:
    void SetUp() override {
        plugin = loadPlugin(pluginPathBesideProgram());
        ASSERT_NE(plugin.entry, nullptr);
        a = plugin.entry(recordingAudioMaster);
        b = plugin.entry(recordingAudioMaster);
        ASSERT_TRUE(a && b);
        fillProgram(inL, inR, kFrames);
    }
    void TearDown() override {
        if (a) closeEffect(a);
        if (b) closeEffect(b);
        unloadPlugin(plugin);
    }
    // What an instance's state sounds like: the next 512 frames of the
    // program through it. Two instances in the same state give the same bits.
    std::vector<float> probe(AEffect* e) {
        std::vector<float> out(1024);
        run(e, true, inL.data(), inR.data(), out.data(), out.data() + 512, 512);
        return out;
    }
    static void run(AEffect* e, bool replacing, float* l, float* r, float* oL, float* oR, int n) {
        float* ins[2] = {l, r};
        float* outs[2] = {oL, oR};
        (replacing ? e->processReplacing : e->process)(e, ins, outs, n);
    }

    LoadedPlugin plugin;
    AEffect* a = nullptr;
    AEffect* b = nullptr;
    std::vector<float> inL, inR;
};

TEST_F(EngineDllTest, ProcessAndProcessReplacingAgreeAndNeverAccumulate) {
    for (AEffect* e : {a, b}) {
        e->setParameter(e, 0, 0.2f);  // deep enough to compress
        e->setParameter(e, 6, 0.4f);
    }
    std::vector<float> oA(2 * kFrames, 0.0f), oB(2 * kFrames, 0.5f);
    for (int at = 0; at < kFrames; at += 256) {
        run(a, true, &inL[at], &inR[at], &oA[at], &oA[kFrames + at], 256);
        run(b, false, &inL[at], &inR[at], &oB[at], &oB[kFrames + at], 256);
    }
    for (int i = 0; i < 2 * kFrames; ++i) ASSERT_TRUE(sameBits(oA[i], oB[i])) << i;
    EXPECT_EQ(probe(a), probe(b));
    // A second pass over the same output buffers overwrites them.
    std::vector<float> again = oB;
    closeEffect(b);
    b = plugin.entry(recordingAudioMaster);
    b->setParameter(b, 0, 0.2f);
    b->setParameter(b, 6, 0.4f);
    for (int at = 0; at < kFrames; at += 256)
        run(b, false, &inL[at], &inR[at], &again[at], &again[kFrames + at], 256);
    EXPECT_EQ(again, oA);
}

TEST_F(EngineDllTest, InPlaceBuffersGiveTheSameOutput) {
    std::vector<float> oL(kFrames), oR(kFrames), l = inL, r = inR;
    run(a, true, inL.data(), inR.data(), oL.data(), oR.data(), kFrames);
    run(b, true, l.data(), r.data(), l.data(), r.data(), kFrames);
    EXPECT_EQ(l, oL);
    EXPECT_EQ(r, oR);
}

// A bypassed block leaves the state as it was: the instance then sounds as
// one that never saw the block.
TEST_F(EngineDllTest, BypassCopiesBitForBitAndFreezesTheState) {
    std::vector<float> oL(kFrames), oR(kFrames);
    for (AEffect* e : {a, b}) {
        e->setParameter(e, 0, 0.1f);
        run(e, true, inL.data(), inR.data(), oL.data(), oR.data(), kFrames);
    }
    const std::vector<float> program = inL;
    inL[3] = std::nanf("");
    inR[4] = 1e-42f;  // subnormal, copied as it is
    for (int how = 0; how < 2; ++how) {
        if (how == 0) dispatch(a, effSetBypass, 0, 1);
        else a->setParameter(a, 8, 1.0f);
        std::fill(oL.begin(), oL.end(), 7.0f);
        run(a, how == 0, inL.data(), inR.data(), oL.data(), oR.data(), kFrames);
        for (int i = 0; i < kFrames; ++i) {
            ASSERT_TRUE(sameBits(oL[i], inL[i])) << i;
            ASSERT_TRUE(sameBits(oR[i], inR[i])) << i;
        }
        dispatch(a, effSetBypass, 0, 0);
        a->setParameter(a, 8, 0.0f);
    }
    inL = program;
    EXPECT_EQ(probe(a), probe(b));
}

// Empty and negative blocks write nothing and leave the sound's state (the
// meter's fall in an empty block is the core's, tested there).
TEST_F(EngineDllTest, EmptyAndNegativeBlocksWriteNothingAndKeepTheState) {
    std::vector<float> oL(kFrames), oR(kFrames);
    for (AEffect* e : {a, b}) {
        e->setParameter(e, 0, 0.1f);
        run(e, true, inL.data(), inR.data(), oL.data(), oR.data(), kFrames);
    }
    for (int n : {0, -5}) {
        for (bool replacing : {true, false}) {
            float guard[4] = {3, 3, 3, 3};
            run(a, replacing, inL.data(), inR.data(), guard, guard + 2, n);
            EXPECT_EQ(guard[0], 3.0f);
            EXPECT_EQ(guard[2], 3.0f);
            run(a, replacing, nullptr, nullptr, nullptr, nullptr, n);  // channel pointers unused
        }
    }
    EXPECT_EQ(probe(a), probe(b));
}

// A rate change between blocks keeps every state: an instance taken to
// another rate and back sounds as one that stayed (how the window counts on
// at the new rate is the engine's, tested there). Output at the odd rate
// stays finite and within the ceiling.
TEST_F(EngineDllTest, RateChangeMidStreamKeepsEveryState) {
    std::vector<float> oL(kFrames), oR(kFrames);
    for (AEffect* e : {a, b}) {
        dispatch(e, effSetSampleRate, 0, 0, nullptr, 96000.0f);
        run(e, true, inL.data(), inR.data(), oL.data(), oR.data(), 150);  // counter at 150 of 192
    }
    dispatch(a, effSetSampleRate, 0, 0, nullptr, 8000.0f);  // window of 16
    dispatch(a, effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(probe(a), probe(b));
    dispatch(a, effSetSampleRate, 0, 0, nullptr, 8000.0f);
    run(a, true, inL.data(), inR.data(), oL.data(), oR.data(), kFrames);
    for (int i = 0; i < kFrames; ++i) ASSERT_TRUE(std::isfinite(oL[i]) && std::fabs(oL[i]) <= kOutputCeilingFloat);
}

}  // namespace
