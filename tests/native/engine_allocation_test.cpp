// Proof that processing never allocates: every malloc-family call and every
// operator new in this program is counted while a block runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "allocation_counter.h"
#include "engine_test_signals.h"

namespace {

TEST(EngineAllocation, ProcessingNeverAllocates) {
    // The counter itself works.
    counting = true;
    void* probe = std::malloc(16);
    counting = false;
    std::free(probe);
    ASSERT_EQ(allocations, 1);
    allocations = 0;

    std::vector<float> l, r, oL(4096), oR(4096);
    makeProgram(l, r, 4096);
    l[100] = std::numeric_limits<float>::quiet_NaN();
    EngineRig rig;
    counting = true;
    for (int pass = 0; pass < 3; ++pass) {
        rig.controls.params[kThreshold] = 0.1f * pass;  // per-block values recomputed
        rig.controls.params[kBassArmor] = pass == 1 ? 0.0f : 0.5f;
        rig.controls.hostBypass = pass == 2;
        for (int32_t block : {1, 7, 512, 4096, 0, -3})
            rig.process(l.data(), r.data(), oL.data(), oR.data(), block);
    }
    counting = false;
    EXPECT_EQ(allocations, 0);
}

}  // namespace
