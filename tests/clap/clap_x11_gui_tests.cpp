// The Linux module's editor as a CLAP host shows it: the x11 API embedded
// only, the host's timer made with the gui and dropped with it, the size of
// each scale (the display's, then the host's) asked of the host, a host value shown at the next tick and a
// drag by XTest reaching the host as one gesture.
#include <algorithm>
#include <cmath>

#include "clap_test_host.h"
#include "x_test_display.h"

namespace {

class ClapX11GuiTest : public ClapTest {};

TEST_F(ClapX11GuiTest, EmbedsInX11AndWorksOnTheHostsTimer) {
    TestDisplay x;
    const clap_plugin_gui_t& g = *plugin.gui;
    const clap_plugin_t* p = plugin.plugin;
    const auto* timer = static_cast<const clap_plugin_timer_support_t*>(p->get_extension(p, CLAP_EXT_TIMER_SUPPORT));
    ASSERT_NE(timer, nullptr);
    host.offersTimer = false;
    const std::pair<const char*, bool> refused[] = {
        {"floating", g.is_api_supported(p, CLAP_WINDOW_API_X11, true)},
        {"win32", g.is_api_supported(p, CLAP_WINDOW_API_WIN32, false)},
        {"create floating", g.create(p, CLAP_WINDOW_API_X11, true)},
        {"create without a host timer", g.create(p, CLAP_WINDOW_API_X11, false)}};
    for (const auto& [what, accepted] : refused) EXPECT_FALSE(accepted) << what;
    host.offersTimer = true;
    ASSERT_TRUE(g.create(p, CLAP_WINDOW_API_X11, false));
    ASSERT_EQ(host.timers.size(), 1u);
    const Window parent = x.makeParent(1700, 1100);
    clap_window_t window{CLAP_WINDOW_API_X11, {}};
    window.x11 = parent;
    ASSERT_TRUE(g.set_parent(p, &window) && g.show(p));
    auto tick = [&] { timer->on_timer(p, host.timers[0]), x.settle(); };

    x.setDpi(144);  // the display's scale is followed until the host gives one
    tick();
    EXPECT_EQ(host.resizeRequests, (decltype(host.resizeRequests){{1260u, 780u}}));
    for (double scale : {1.5, 2.0, 1.0}) {  // the panel's size at each scale, asked of the host
        const uint32_t w = static_cast<uint32_t>(std::lround(840 * scale)), h = static_cast<uint32_t>(std::lround(520 * scale));
        ASSERT_TRUE(g.set_scale(p, scale));
        tick();
        EXPECT_EQ(host.resizeRequests.back(), std::make_pair(w, h)) << scale;
    }

    // A value the host sets on another thread shows at the next tick.
    int w = 0, h = 0;
    const std::vector<uint32_t> before = x.capture(parent, &w, &h);
    activate(plugin);  // the host's audio thread sets it
    std::thread([&] { setByFlush(plugin, kRatio, 0.9); }).join();
    tick();
    EXPECT_TRUE(x.capture(parent, &w, &h) != before);

    // 100 pixels up at 100 % cover half the range: begin, values, end.
    setByFlush(plugin, kAttack, 0.2);
    const KnobSpec& k = kParamTable[kAttack].knob;
    for (int step = 0; step <= 5; ++step)
        x.pointer(int(k.cx), int(k.cy) - 25 * std::min(step, 4), step == 0 ? 1 : step == 5 ? 0 : -1), tick();
    InputEvents in;  // a flush takes the drag to the host
    OutputEvents out;
    {
        AudioThread audio;
        plugin.params->flush(p, &in.list, &out.list);
    }
    std::string shape;
    for (const AnyEvent& e : out.events)
        if (e.header.type != CLAP_EVENT_PARAM_VALUE || e.value.param_id == kAttack)
            shape += e.header.type == CLAP_EVENT_PARAM_GESTURE_BEGIN ? 'B' : e.header.type == CLAP_EVENT_PARAM_GESTURE_END ? 'E' : 'V';
    // Begin, one value or more, end.
    EXPECT_TRUE(shape.size() > 2 && shape[0] == 'B' && shape.find_first_not_of('V', 1) == shape.size() - 1 &&
                shape.back() == 'E')
        << shape;
    EXPECT_NEAR(valueOf(plugin, kAttack), 0.7, 0.01);

    ASSERT_TRUE(g.hide(p));
    const std::vector<uint32_t> hidden = x.capture(parent, &w, &h);
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), 0u), long(hidden.size())) << "only the parent's black";
    g.destroy(p), g.destroy(p);  // twice is harmless
    EXPECT_TRUE(host.timers.empty()) << "the timer goes with the gui";
}

}  // namespace
