// The audio thread's calls into the Linux module never allocate: every
// malloc-family call and operator new in this process (the module's too) is
// counted while the host processes, flushes and resets.
#include <cmath>

#include "allocation_counter.h"
#include "clap_test_host.h"

namespace {

TEST_F(ClapTest, ProcessFlushAndResetNeverAllocate) {
    activate(plugin);
    StereoSignal s(4096, 2.0f);
    InputEvents events, flushEvents({paramValue(0, kMix, 0.5)});
    for (uint32_t f = 0; f < 1000; f += 3) events.events.push_back(paramValue(f, f % kParamCount, (f % 97) / 97.0));
    events.events.push_back(paramValue(10, kRelease, std::nan("")));
    OutputEvents out;
    out.events.reserve(64);
    AudioThread audio;
    counting = true;
    for (uint32_t block : {1u, 64u, 1000u, 4096u, 0u}) {
        process(plugin, s, 0, block, &events.list, &out.list);
        plugin.params->flush(plugin.plugin, &flushEvents.list, &out.list);
        out.events.clear();
    }
    plugin.plugin->reset(plugin.plugin);
    plugin.plugin->stop_processing(plugin.plugin);
    plugin.plugin->start_processing(plugin.plugin);
    counting = false;
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(valueOf(plugin, kMix), 0.5) << "the calls did their work";
}

}  // namespace
