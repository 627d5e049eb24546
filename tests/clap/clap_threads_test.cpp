// The Linux module with a real audio thread: blocks with parameter events
// run while the main thread loads and saves state and reads values and texts,
// as a host does when the user recalls a setting during playback. Built with
// ThreadSanitizer (tests/stress), which reports any access the memory model
// leaves undefined; the module's debug thread checks are on.
#include <atomic>

#include "clap_test_host.h"

namespace {

TEST_F(ClapTest, StateAndValuesWhileTheAudioThreadRuns) {
    Stream defaults, hard;
    ASSERT_TRUE(plugin.state->save(plugin.plugin, &defaults.out));
    setAll(plugin, kHardSetting);
    ASSERT_TRUE(plugin.state->save(plugin.plugin, &hard.out));
    activate(plugin);
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        AudioThread scope;
        StereoSignal s(256, 2.0f);
        for (uint32_t n = 0; !stop.load(); ++n, ++blocks) {
            InputEvents events({paramValue(n % 64, n % kParamCount, (n % 10) / 10.0)});
            OutputEvents out;
            ASSERT_EQ(process(plugin, s, 0, 256, &events.list, &out.list), CLAP_PROCESS_CONTINUE);
        }
    });
    char text[64];
    for (int i = 0; i < 200 || blocks.load() < 200; ++i) {
        Stream in(i % 2 ? defaults.bytes : hard.bytes), out;
        EXPECT_TRUE(plugin.state->load(plugin.plugin, &in.in) && plugin.state->save(plugin.plugin, &out.out));
        const clap_id id = static_cast<clap_id>(i % kParamCount);
        EXPECT_TRUE(plugin.params->value_to_text(plugin.plugin, id, valueOf(plugin, id), text, sizeof text));
        valueOf(plugin, kMeterId);
    }
    stop = true;
    audio.join();
    EXPECT_FALSE(host.rescans.empty());
}

}  // namespace
