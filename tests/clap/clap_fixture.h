#pragma once
// The module loaded once per test, a recording host and one instance.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "clap_test_host.h"
#include "engine_test_signals.h"

class ClapTest : public ::testing::Test {
public:
    void SetUp() override {
        module = loadClapModule(clapModulePath());
        ASSERT_NE(module.entry, nullptr) << clapModulePath();
        ASSERT_TRUE(module.entry->init(clapModulePath().c_str()));
        initTestHost(host);
        plugin = createTestPlugin(module, host);
        ASSERT_NE(plugin.plugin, nullptr);
    }
    void TearDown() override {
        destroyTestPlugin(plugin);
        if (module.entry) module.entry->deinit();
        unloadClapModule(module);
    }
    void activate(TestPlugin& p, double rate = 48000.0) {
        ASSERT_TRUE(p.plugin->activate(p.plugin, rate, 1, 4096));
        ASSERT_TRUE(p.plugin->start_processing(p.plugin));
    }
    // Same values as a host's flush sets them.
    void setAll(const TestPlugin& p, const float (&values)[kParamCount]) {
        for (int i = 0; i < kParamCount; ++i) setValueByFlush(p, static_cast<clap_id>(i), values[i]);
    }

    ClapModule module;
    TestHost host;
    TestPlugin plugin;
};

// A stereo signal in two channels, and room for the output.
struct StereoSignal {
    std::vector<float> left, right, outLeft, outRight;
    explicit StereoSignal(size_t frames, float gain = 1.0f) {
        makeProgram(left, right, frames, 48000.0, gain);
        outLeft.assign(frames, -7.0f);
        outRight.assign(frames, -7.0f);
    }
    const float* in[2];
    float* out[2];
    // Pointers to the frames from `at` on.
    void at(size_t frame) {
        in[0] = &left[frame], in[1] = &right[frame];
        out[0] = &outLeft[frame], out[1] = &outRight[frame];
    }
};

inline bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Bits of the settings the tests use instead of the defaults: every
// parameter away from its default, the compressor working hard.
constexpr float kHardSetting[kParamCount] = {0.2f, 0.6f, 0.4f, 0.35f, 0.3f, 0.45f, 0.3f, 0.85f, 0.0f};
