// The factory preset table: every value inside its range and shown as
// written, every key fit for a URI. (Each format's tests load them.)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "parameter_text.h"
#include "presets.h"

TEST(Presets, ValuesAreInRangeAndReadBackAsWritten) {
    for (int32_t p = 0; p < kPresetCount; ++p) {
        const Preset& preset = kPresets[p];
        EXPECT_EQ(std::strspn(preset.key, "abcdefghijklmnopqrstuvwxyz0123456789-"), std::strlen(preset.key));
        for (int32_t i = 0; i < kPresetParamCount; ++i) {
            const ParamIndex index = static_cast<ParamIndex>(i);
            const double unit = preset.units[i], lo = unitValue(index, 0.0), hi = unitValue(index, 1.0);
            EXPECT_TRUE(unit >= lo - 1e-9 && unit <= hi + 1e-9) << preset.name << " " << kParamTable[i].name;
            // The host's text of the stored value is the unit value as written.
            char shown[32], written[32];
            writeDisplayText(i, presetNormalised(p, i), shown, sizeof shown);
            std::snprintf(written, sizeof written, kParamTable[i].format, unit);
            EXPECT_STREQ(shown, written) << preset.name << " " << kParamTable[i].name;
        }
    }
}
