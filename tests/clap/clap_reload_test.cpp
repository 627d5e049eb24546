// The Linux module loaded, its panel shown and painted, closed and the module
// unloaded, ten times in one process: each unload leaves nothing mapped, and
// what Cairo keeps of the panel's faces stays sound after the module is gone
// (the sanitizer build runs this too).
#include <dlfcn.h>

#include "clap_test_host.h"
#include "x_test_display.h"

namespace {

class ClapReloadTest : public ClapTest {};

TEST_F(ClapReloadTest, UnloadsAndLoadsAgainWithThePanelShownBetween) {
    TestDisplay x;
    const Window parent = x.makeParent(900, 600);
    for (int round = 0; round < 10; ++round) {
        const clap_plugin_t* p = plugin.plugin;
        const clap_plugin_gui_t& g = *plugin.gui;
        const auto* timer = static_cast<const clap_plugin_timer_support_t*>(p->get_extension(p, CLAP_EXT_TIMER_SUPPORT));
        clap_window_t window{CLAP_WINDOW_API_X11, {}};
        window.x11 = parent;
        ASSERT_TRUE(g.create(p, CLAP_WINDOW_API_X11, false) && g.set_parent(p, &window) && g.show(p)) << round;
        for (clap_id id : host.timers) timer->on_timer(p, id);
        x.settle();
        int w = 0, h = 0;
        const std::vector<uint32_t> shown = x.capture(parent, &w, &h);
        EXPECT_NE(std::count(shown.begin(), shown.end(), shown[0]), long(shown.size())) << "nothing painted, round " << round;
        g.hide(p);
        g.destroy(p);
        TearDown();
        EXPECT_EQ(dlopen(DQ_CLAP_MODULE, RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded after round " << round;
        SetUp();
    }
}

}  // namespace
