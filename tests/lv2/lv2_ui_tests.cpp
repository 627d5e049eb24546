// The panel as an LV2 host shows it: the X11 UI found through the bundle's
// data, made in a parent window with the features a host offers (or none),
// port events in, port writes and touch out, the host's idle call.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <string>
#include <vector>

#include "lv2_ports.h"
#include "x_test_display.h"

namespace {

struct Sent {
    char kind;  // 'w' a port write, '+' touch grabbed, '-' touch released
    uint32_t port;
    float value;
};

// A host with what it offers switched per case.
struct UiHost {
    bool resize = true, touch = true, idleFeature = true;
    float scale = 0.0f;  // ui:scaleFactor; none when 0
    std::vector<std::string> urids;
    std::vector<std::pair<int, int>> sizes;
    std::vector<Sent> sent;
    const LV2UI_Descriptor* descriptor = nullptr;
    LV2UI_Handle ui = nullptr;
    unsigned long window = 0;
    LV2UI_Resize resizer;  // the features live as long as the UI
    LV2UI_Touch toucher;

    LV2UI_Handle open(Window parent) {
        static void* library = [] {
            LilvWorld* world = lilv_world_new();
            lilv_world_load_all(world);
            LilvNode* plugin = lilv_new_uri(world, kLv2PluginUri);
            LilvNode* x11 = lilv_new_uri(world, LV2_UI__X11UI);
            LilvUIs* uis = lilv_plugin_get_uis(lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), plugin));
            char* path = nullptr;
            LILV_FOREACH (uis, i, uis)
                if (lilv_ui_is_a(lilv_uis_get(uis, i), x11))
                    path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(lilv_uis_get(uis, i))), nullptr);
            void* opened = path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
            return opened;
        }();
        auto entry = library ? reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(library, "lv2ui_descriptor"))
                             : nullptr;
        descriptor = entry ? entry(0) : nullptr;
        if (!descriptor) return nullptr;
        static LV2_URID_Map map{nullptr, [](LV2_URID_Map_Handle h, const char* uri) {
                                    auto& all = *static_cast<std::vector<std::string>*>(h);
                                    for (size_t i = 0; i < all.size(); ++i)
                                        if (all[i] == uri) return static_cast<LV2_URID>(i + 1);
                                    all.push_back(uri);
                                    return static_cast<LV2_URID>(all.size());
                                }};
        map.handle = &urids;
        resizer = {this, [](LV2UI_Feature_Handle h, int w, int hh) {
                                       static_cast<UiHost*>(h)->sizes.push_back({w, hh});
                                       return 0;
                                   }};
        toucher = {this, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
                                      static_cast<UiHost*>(h)->sent.push_back({grabbed ? '+' : '-', port, 0.0f});
                                  }};
        const LV2_Options_Option options[] = {
            {LV2_OPTIONS_INSTANCE, 0, map.map(&urids, LV2_UI__scaleFactor), sizeof(float),
             map.map(&urids, LV2_ATOM__Float), &scale},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        const LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)},
            mapFeature{LV2_URID__map, &map}, resizeFeature{LV2_UI__resize, &resizer},
            touchFeature{LV2_UI__touch, &toucher}, idleFeature_{LV2_UI__idleInterface, nullptr},
            optionsFeature{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
        std::vector<const LV2_Feature*> features = {&parentFeature, &mapFeature};
        if (resize) features.push_back(&resizeFeature);
        if (touch) features.push_back(&touchFeature);
        if (idleFeature) features.push_back(&idleFeature_);
        if (scale > 0.0f) features.push_back(&optionsFeature);
        features.push_back(nullptr);
        LV2UI_Widget widget = nullptr;
        ui = descriptor->instantiate(descriptor, kLv2PluginUri, "", write, this, &widget, features.data());
        window = reinterpret_cast<uintptr_t>(widget);
        return ui;
    }
    static void write(LV2UI_Controller c, uint32_t port, uint32_t, uint32_t, const void* buffer) {
        static_cast<UiHost*>(c)->sent.push_back({'w', port, *static_cast<const float*>(buffer)});
    }
    void port(uint32_t index, float value) { descriptor->port_event(ui, index, sizeof value, 0, &value); }
    int idle() {
        auto idler = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
        return idler->idle(ui);
    }
    void close() {
        if (ui) descriptor->cleanup(ui);
        ui = nullptr;
    }
};

const KnobSpec& knobOf(int32_t param) { return kParamTable[param].knob; }

struct ShowCase {
    const char* name;
    float hostScale;
    int dpi;
    bool offered;  // resize, touch and the idle feature
    double scale;
    const char* picture;
};

TEST(Lv2Ui, ShowsTheValuesAndSendsDragsAtTheHostsScale) {
    const ShowCase cases[] = {{"host's 100 %", 1.0f, 0, true, 1.0, "lv2-100.png"},
                              {"host's 150 %", 1.5f, 0, true, 1.5, "lv2-150.png"},
                              {"display's 200 % (Xft.dpi 192)", 0.0f, 192, true, 2.0, "lv2-200.png"},
                              {"a host offering nothing", 0.0f, 0, false, 1.0, nullptr}};
    for (const ShowCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestDisplay x(c.dpi);
        ASSERT_NE(x.display, nullptr);
        UiHost host;
        host.resize = host.touch = host.idleFeature = c.offered;
        host.scale = c.hostScale;
        ASSERT_NE(host.open(x.makeParent(2600, 1600)), nullptr);
        const int w = static_cast<int>(std::lround(840 * c.scale)), h = static_cast<int>(std::lround(520 * c.scale));
        EXPECT_EQ(host.sizes.size(), c.offered ? 1u : 0u);
        if (c.offered) {
            EXPECT_EQ(host.sizes[0], std::make_pair(w, h));
        }
        for (uint32_t i = 0; i < kParamCount; ++i)
            host.port(i, portValueFromNormalised(static_cast<ParamIndex>(i), kParamTable[i].defaultValue));
        host.port(kMeterPort, 6.0f);
        EXPECT_EQ(host.idle(), 0);
        x.settle();
        int cw = 0, ch = 0;
        const std::vector<uint32_t> before = x.capture(host.window, &cw, &ch);
        ASSERT_EQ(cw, w);
        ASSERT_EQ(ch, h);
        if (c.picture) {
            const PictureDifference d = differenceFromSaved(before, cw, ch, std::string(DQ_PICTURES) + c.picture);
            EXPECT_LE(d.mean, 1.0);
            EXPECT_LE(d.shareOver32, 0.002);
        }
        // A host value repaints its knob, and nothing outside it.
        const ParamIndex shown = kRatio;
        host.port(shown, portValueFromNormalised(shown, 0.9f));
        host.idle();
        x.settle();
        const std::vector<uint32_t> after = x.capture(host.window, &cw, &ch);
        const KnobSpec& k = knobOf(shown);
        long inside = 0, outside = 0;
        for (int y = 0; y < ch; ++y)
            for (int xx = 0; xx < cw; ++xx) {
                const bool near = std::hypot(xx / c.scale - k.cx, y / c.scale - k.cy) < k.radius + 40;
                (near ? inside : outside) += before[y * cw + xx] != after[y * cw + xx];
            }
        EXPECT_GT(inside, 50);
        EXPECT_EQ(outside, 0);
        // A drag of 100 panel units up covers half the range: writes framed by touch.
        const ParamIndex dragged = kThreshold;
        const int kx = static_cast<int>(knobOf(dragged).cx * c.scale), ky = static_cast<int>(knobOf(dragged).cy * c.scale);
        host.port(dragged, portValueFromNormalised(dragged, 0.25f));
        x.press(kx, ky);
        host.idle();
        for (int step = 1; step <= 4; ++step) {
            x.moveTo(kx, ky - static_cast<int>(std::lround(25 * step * c.scale)));
            host.idle();
        }
        x.release();
        host.idle();
        ASSERT_GE(host.sent.size(), 2u);
        const size_t writes = host.sent.size() - (c.offered ? 2 : 0);
        EXPECT_GE(writes, 1u);
        if (c.offered) {
            EXPECT_EQ(host.sent.front().kind, '+');
            EXPECT_EQ(host.sent.back().kind, '-');
        }
        for (const Sent& s : host.sent) EXPECT_EQ(s.port, static_cast<uint32_t>(dragged));
        const Sent& last = host.sent[host.sent.size() - (c.offered ? 2 : 1)];
        EXPECT_EQ(last.kind, 'w');
        EXPECT_NEAR(normalisedFromPortValue(dragged, last.value), 0.75f, 0.01f);
        host.close();
    }
}

// Every way a host ends the panel, 100 times over: the drag held at the end
// is released once, the window dead with its parent is no error, and the
// server's resources and the process's memory stay where they were.
TEST(Lv2Ui, ClosesCleanlyWhateverTheHostDoesFirstAndLeavesNothingBehind) {
    TestDisplay x;
    ASSERT_NE(x.display, nullptr);
    enum Ending { kClose, kParentDestroyed, kDragHeld, kEndings };
    TestDisplay::Resources start{};
    long startBytes = 0;
    for (int cycle = 0; cycle < 105; ++cycle) {
        if (cycle == 5) start = x.resources(), startBytes = residentBytes();  // caches warm
        const Ending ending = static_cast<Ending>(cycle % kEndings);
        UiHost host;
        const Window parent = x.makeParent(900, 600);
        ASSERT_NE(host.open(parent), nullptr);
        host.idle();
        if (ending == kDragHeld) {
            const KnobSpec& k = knobOf(kRelease);
            x.press(static_cast<int>(k.cx), static_cast<int>(k.cy));
            host.idle();
        }
        if (ending == kParentDestroyed) {
            XDestroyWindow(x.display, parent);
            x.settle();
            EXPECT_EQ(host.idle(), 1) << "the window went with its parent";
        }
        host.close();
        if (ending == kDragHeld) {
            x.release();
            ASSERT_EQ(host.sent.size(), 2u);
            EXPECT_EQ(host.sent[0].kind, '+');
            EXPECT_EQ(host.sent[1].kind, '-');
        }
        if (ending != kParentDestroyed) XDestroyWindow(x.display, parent);
        x.settle();
    }
    EXPECT_EQ(x.resources(), start);
    EXPECT_LT(residentBytes() - startBytes, 2L << 20);
}

}  // namespace
