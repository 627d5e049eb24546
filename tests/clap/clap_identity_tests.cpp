// The CLAP module sounds bit for bit as the other builds of the plug-in:
// output and meter after every block at several block sizes, and an event
// inside a block as the other build's host cutting the block there.
#include <cmath>

#include "clap_fixture.h"
#include "reference_build.h"

namespace {

constexpr float kRate = 48000.0f;

class ClapIdentityTest : public ClapTest {
public:
    void SetUp() override {
        ClapTest::SetUp();
        reference = openReference(kRate);
        ASSERT_NE(reference, nullptr) << referenceName();
        for (int32_t i = 0; i < kParamCount; ++i)
            setValueByFlush(plugin, static_cast<clap_id>(i), setReference(reference, i, kHardSetting[i]));
        activate(plugin, kRate);
    }
    void TearDown() override {
        if (reference) closeReference(reference);
        ClapTest::TearDown();
    }
    ReferenceBuild* reference = nullptr;
};

// A program with a broken burst (NaN, infinities, a huge sample) in it.
StereoSignal testProgram(size_t frames) {
    StereoSignal s(frames, 2.5f);
    const size_t at = frames / 3;
    s.left[at] = std::nanf(""), s.right[at + 1] = INFINITY, s.left[at + 2] = -INFINITY, s.right[at + 3] = 3e7f;
    return s;
}

TEST_F(ClapIdentityTest, SameOutputAndMeterAtEveryBlockSize) {
    for (uint32_t block : {1u, 64u, 512u, 4096u}) {
        if (block != 1) {  // fresh instances for each block size
            TearDown(), SetUp();
        }
        StereoSignal clap = testProgram(24000), ref = testProgram(24000);
        bool metersAgree = true;
        for (size_t at = 0; at < clap.left.size(); at += block) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(block, clap.left.size() - at));
            clap.at(at), ref.at(at);
            processStereo(plugin, clap.in, clap.out, n);
            processReference(reference, ref.in, ref.out, static_cast<int32_t>(n));
            metersAgree &= static_cast<float>(valueOf(plugin, 100)) == referenceMeter(reference);
        }
        EXPECT_TRUE(sameBits(clap.outLeft, ref.outLeft) && sameBits(clap.outRight, ref.outRight))
            << "output against " << referenceName() << " at block " << block;
        EXPECT_TRUE(metersAgree) << "meter against " << referenceName() << " at block " << block;
        EXPECT_GT(referenceMeter(reference), 1.0f) << "the setting compresses";
    }
}

TEST_F(ClapIdentityTest, EventInsideTheBlockAsTheHostCuttingIt) {
    const uint32_t frames[] = {0, 1, 100, 511};
    StereoSignal clap = testProgram(512 * 4), ref = testProgram(512 * 4);
    for (size_t j = 0; j < 4; ++j) {
        const uint32_t k = frames[j];
        const float bypass = k == 100 ? 1.0f : 0.0f;  // Threshold's end and Bypass read back exactly in every format
        InputEvents events;
        events.events = {paramValue(k, kThreshold, 0.0), paramValue(k, kBypass, bypass)};
        clap.at(512 * j), ref.at(512 * j);
        processStereo(plugin, clap.in, clap.out, 512, &events.list);
        if (k > 0) processReference(reference, ref.in, ref.out, static_cast<int32_t>(k));
        setReference(reference, kThreshold, 0.0f), setReference(reference, kBypass, bypass);
        ref.at(512 * j + k);
        processReference(reference, ref.in, ref.out, static_cast<int32_t>(512 - k));
        EXPECT_EQ(static_cast<float>(valueOf(plugin, 100)), referenceMeter(reference)) << "event at " << k;
        setValueByFlush(plugin, kThreshold, setReference(reference, kThreshold, kHardSetting[kThreshold]));
    }
    EXPECT_TRUE(sameBits(clap.outLeft, ref.outLeft) && sameBits(clap.outRight, ref.outRight)) << referenceName();
}

}  // namespace
