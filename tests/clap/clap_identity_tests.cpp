// The CLAP module sounds bit for bit as the plug-in's other build
// (reference_build.h): output and meter after every block at several block
// sizes, with parameter changes inside blocks as the other build's host
// cutting the block there.
#include <cmath>
#include <iterator>

#include "clap_test_host.h"
#include "reference_build.h"

namespace {

void runReference(ReferenceBuild* r, StereoSignal& s, size_t from, size_t frames) {
    const float* in[2] = {s.left.data() + from, s.right.data() + from};
    float* out[2] = {s.outLeft.data() + from, s.outRight.data() + from};
    processReference(r, in, out, static_cast<int32_t>(frames));
}

TEST_F(ClapTest, SameOutputAndMeterAsTheOtherBuild) {
    constexpr float kRate = 48000.0f;
    constexpr size_t kFrames = 24000;
    // At a block's first, second, inner and last frame for the block sizes
    // below; Threshold's ends and Bypass read back exactly in every format.
    const struct { size_t at; int32_t index; float value; } changes[] = {
        {1024, kThreshold, 1.0f}, {1537, kBypass, 1.0f}, {2047, kBypass, 0.0f}, {4196, kThreshold, 0.0f}};
    for (uint32_t block : {1u, 64u, 512u, 4096u}) {
        ReferenceBuild* reference = openReference(kRate);
        ASSERT_NE(reference, nullptr) << referenceName();
        TestPlugin clap = create();
        for (int32_t i = 0; i < kParamCount; ++i) setByFlush(clap, i, setReference(reference, i, kHardSetting[i]));
        activate(clap, kRate);
        StereoSignal ours(kFrames, 2.5f), theirs(kFrames, 2.5f);
        for (StereoSignal* s : {&ours, &theirs})  // a broken burst
            s->left[8000] = std::nanf(""), s->right[8001] = INFINITY, s->left[8002] = -INFINITY, s->right[8003] = 3e7f;
        bool metersAgree = true;
        size_t next = 0;
        for (size_t at = 0; at < kFrames; at += block) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(block, kFrames - at));
            InputEvents events;
            size_t done = at;
            for (; next < std::size(changes) && changes[next].at < at + n; ++next) {
                const auto& c = changes[next];
                events.events.push_back(paramValue(static_cast<uint32_t>(c.at - at), c.index, c.value));
                if (c.at > done) runReference(reference, theirs, done, c.at - done), done = c.at;
                ASSERT_EQ(setReference(reference, c.index, c.value), c.value);
            }
            process(clap, ours, at, n, &events.list);
            runReference(reference, theirs, done, at + n - done);
            metersAgree &= static_cast<float>(valueOf(clap, kMeterId)) == referenceMeter(reference);
        }
        EXPECT_TRUE(ours.sameOutput(theirs)) << "output against " << referenceName() << " at block " << block;
        EXPECT_TRUE(metersAgree) << "meter against " << referenceName() << " at block " << block;
        EXPECT_GT(referenceMeter(reference), 1.0f) << "the setting compresses";
        closeReference(reference);
        destroy(clap);
    }
}

}  // namespace
