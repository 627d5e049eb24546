// The block values kept from block to block: whatever changes between two
// blocks (one parameter, as in-block automation does, several at once, the
// rate, or nothing), the values recomputed for only what changed are those
// computed from scratch, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "block_values.h"

namespace {

void expectSameValues(const BlockValues& kept, const BlockValues& fresh, const std::string& what) {
    const double keptNumbers[] = {kept.thresholdGain, kept.overshootScale, kept.ratioDrive, kept.attackCoeff,
                                  kept.releaseCoeff,  kept.glueStrength,   kept.bassArmorStep, kept.dryGain,
                                  kept.wetGain,       kept.makeupGain};
    const double freshNumbers[] = {fresh.thresholdGain, fresh.overshootScale, fresh.ratioDrive, fresh.attackCoeff,
                                   fresh.releaseCoeff,  fresh.glueStrength,   fresh.bassArmorStep, fresh.dryGain,
                                   fresh.wetGain,       fresh.makeupGain};
    ASSERT_EQ(0, std::memcmp(keptNumbers, freshNumbers, sizeof keptNumbers)) << what;
    ASSERT_EQ(kept.glueOn, fresh.glueOn) << what;
    ASSERT_EQ(kept.bassArmorOn, fresh.bassArmorOn) << what;
}

TEST(BlockValueCache, RecomputingWhatChangedEqualsComputingAfresh) {
    BlockValueCache cache{};
    float params[kParamCount];
    for (int i = 0; i < kParamCount; ++i) params[i] = kParamTable[i].defaultValue;
    double rate = 44100.0;
    const double rates[] = {44100.0, 48000.0, 8000.0, 0.0, 96000.0, 700.0, 192000.0};
    std::mt19937 random(11);
    auto anyValue = [&] {
        const uint32_t pick = random() % 8;
        return pick == 0 ? 0.0f : pick == 1 ? 1.0f : std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
    };
    for (int step = 0; step < 20000; ++step) {
        const uint32_t what = random() % 10;
        std::string how;
        if (what < 6) {
            // One parameter, told between two pieces of a block or found by comparison.
            const ParamIndex index = static_cast<ParamIndex>(random() % kParamCount);
            params[index] = anyValue();
            how = "one parameter, " + std::string(what < 3 ? "told" : "compared");
            if (what < 3) refreshForParameter(cache, params, rate, index);
        } else if (what < 8) {
            for (int n = 2 + random() % 4; n > 0; --n) params[random() % kParamCount] = anyValue();
            how = "several parameters";
        } else if (what == 8) {
            rate = rates[random() % 7];
            how = "the rate";
        } else {
            how = "nothing";
        }
        expectSameValues(cachedBlockValues(cache, params, rate), blockValuesFor(params, rate),
                         "step " + std::to_string(step) + ": " + how);
    }
}

}  // namespace
