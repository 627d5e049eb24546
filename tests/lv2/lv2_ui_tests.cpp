// The panel as an LV2 host shows it: the X11 UI from the bundle, made in a
// parent window with the features a host offers (or none), port events in,
// port writes and touch out, the host's idle call.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
#include <malloc.h>

#include <cmath>
#include <cstring>

#include "lv2_ports.h"
#include "x_test_display.h"

namespace {

// The UI's library in the bundle (lv2info, in debian_hosts.sh, finds it through the Turtle).
const LV2UI_Descriptor* uiDescriptor() {
    static void* library = dlopen(DQ_UI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    auto entry = library ? reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(library, "lv2ui_descriptor"))
                         : nullptr;
    return entry ? entry(0) : nullptr;
}

struct Sent {  // kind: 'w' a port write, '+' touch grabbed, '-' touch released
    char kind;
    uint32_t port;
    float value;
};

// A host with what it offers switched per case; the features live as long as the UI.
struct UiHost {
    bool offers = true;  // resize, touch and the idle feature
    float scale = 0.0f;  // ui:scaleFactor; none when 0
    std::vector<std::pair<int, int>> sizes;
    std::vector<Sent> sent;
    LV2UI_Handle ui = nullptr;
    Window window = 0;
    LV2UI_Resize resize{this, [](void* h, int w, int hh) { return static_cast<UiHost*>(h)->sizes.push_back({w, hh}), 0; }};
    LV2UI_Touch touch{this, [](void* h, uint32_t port, bool on) { static_cast<UiHost*>(h)->sent.push_back({"-+"[on], port, 0}); }};
    LV2_URID_Map map{nullptr, [](void*, const char* uri) { return LV2_URID(std::strcmp(uri, LV2_UI__scaleFactor) ? 2 : 1); }};
    LV2_Options_Option options[2] = {{LV2_OPTIONS_INSTANCE, 0, 1, sizeof(float), 2, &scale}, {}};

    bool open(Window parent) {
        const LV2_Feature features[] = {{LV2_UI__parent, reinterpret_cast<void*>(parent)}, {LV2_URID__map, &map},
                                        {LV2_UI__resize, &resize}, {LV2_UI__touch, &touch},
                                        {LV2_UI__idleInterface, nullptr}, {LV2_OPTIONS__options, options}};
        std::vector<const LV2_Feature*> offered = {&features[0], &features[1]};
        for (int i = 2; i < 5 && offers; ++i) offered.push_back(&features[i]);
        if (scale > 0.0f) offered.push_back(&features[5]);
        offered.push_back(nullptr);
        LV2UI_Widget widget = nullptr;
        const auto write = [](LV2UI_Controller c, uint32_t port, uint32_t, uint32_t, const void* buffer) {
            static_cast<UiHost*>(c)->sent.push_back({'w', port, *static_cast<const float*>(buffer)});
        };
        ui = uiDescriptor()->instantiate(uiDescriptor(), kLv2PluginUri, "", write, this, &widget, offered.data());
        window = reinterpret_cast<uintptr_t>(widget);
        return ui;
    }
    void port(uint32_t index, float value) { uiDescriptor()->port_event(ui, index, sizeof value, 0, &value); }
    void knob(ParamIndex p, float normalised) { port(p, portValueFromNormalised(p, normalised)); }
    int idle() {
        return static_cast<const LV2UI_Idle_Interface*>(uiDescriptor()->extension_data(LV2_UI__idleInterface))->idle(ui);
    }
    void close() {
        if (ui) uiDescriptor()->cleanup(ui);
        ui = nullptr;
    }
    ~UiHost() { close(); }
};

size_t heapInUse() { return mallinfo2().uordblks + mallinfo2().hblkhd; }  // small blocks and mapped ones
const KnobSpec& knobOf(ParamIndex param) { return kParamTable[param].knob; }

TEST(Lv2Ui, ShowsTheValuesAndSendsDragsAtTheHostsScale) {
    ASSERT_NE(uiDescriptor(), nullptr);
    const struct {
        const char* name;
        float hostScale;
        int dpi;
        bool offers;
        double scale;
        const char* picture;
    } cases[] = {{"host's 100 %", 1.0f, 0, true, 1.0, "lv2-100.png"},
                 {"host's 150 %", 1.5f, 0, true, 1.5, "lv2-150.png"},
                 {"display's 200 % (Xft.dpi 192)", 0.0f, 192, true, 2.0, "lv2-200.png"},
                 {"a host offering nothing", 0.0f, 0, false, 1.0, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDisplay x(c.dpi);
        UiHost host;
        host.offers = c.offers;
        host.scale = c.hostScale;
        ASSERT_TRUE(host.open(x.makeParent(2600, 1600)));
        const int w = static_cast<int>(std::lround(840 * c.scale)), h = static_cast<int>(std::lround(520 * c.scale));
        EXPECT_EQ(host.sizes, (c.offers ? std::vector<std::pair<int, int>>{{w, h}} : std::vector<std::pair<int, int>>{}));
        for (int32_t i = 0; i < kParamCount; ++i) host.knob(static_cast<ParamIndex>(i), kParamTable[i].defaultValue);
        host.port(kMeterPort, 6.0f);
        EXPECT_EQ(host.idle(), 0);
        x.settle();
        int cw = 0, ch = 0;
        const std::vector<uint32_t> before = x.capture(host.window, &cw, &ch);
        ASSERT_EQ(std::make_pair(cw, ch), std::make_pair(w, h));
        if (c.picture) {
            const auto [mean, shareOver32] = differenceFromSaved(before, cw, ch, std::string(DQ_PICTURES) + c.picture);
            EXPECT_LE(mean, 1.0);
            EXPECT_LE(shareOver32, 0.002);
        }
        // A host value repaints its knob, and nothing outside it.
        host.knob(kRatio, 0.9f);
        host.idle();
        x.settle();
        const std::vector<uint32_t> after = x.capture(host.window, &cw, &ch);
        long changed[2] = {0, 0};  // outside, near the knob
        for (int y = 0; y < ch; ++y)
            for (int xx = 0; xx < cw; ++xx)
                changed[std::hypot(xx / c.scale - knobOf(kRatio).cx, y / c.scale - knobOf(kRatio).cy) <
                        knobOf(kRatio).radius + 40] += before[y * cw + xx] != after[y * cw + xx];
        EXPECT_EQ(changed[0], 0);
        EXPECT_GT(changed[1], 50);
        // A drag of 100 panel units up covers half the range: writes framed by touch.
        const int kx = static_cast<int>(knobOf(kThreshold).cx * c.scale), ky = static_cast<int>(knobOf(kThreshold).cy * c.scale);
        host.knob(kThreshold, 0.25f);
        for (int step = 0; step <= 5; ++step) {
            x.pointer(kx, ky - static_cast<int>(std::lround(25 * std::min(step, 4) * c.scale)),
                      step == 0 ? 1 : step == 5 ? 0 : -1);
            host.idle();
        }
        ASSERT_GE(host.sent.size(), c.offers ? 3u : 1u);
        EXPECT_EQ(host.sent.front().kind, c.offers ? '+' : 'w');
        EXPECT_EQ(host.sent.back().kind, c.offers ? '-' : 'w');
        for (const Sent& s : host.sent) EXPECT_EQ(s.port, uint32_t(kThreshold));
        const Sent& last = host.sent[host.sent.size() - (c.offers ? 2 : 1)];
        EXPECT_NEAR(normalisedFromPortValue(kThreshold, last.value), 0.75f, 0.01f);
        // A host framing the panel at a size of its own: the window takes it.
        auto resize = static_cast<const LV2UI_Resize*>(uiDescriptor()->extension_data(LV2_UI__resize));
        ASSERT_EQ(resize->ui_resize(host.ui, 600, 400), 0);
        EXPECT_EQ(host.idle(), 0);
        x.settle();
        EXPECT_EQ(x.capture(host.window, &cw, &ch).size(), 600u * 400u);
    }
}

// Every way a host ends the panel, 105 times over: the drag held at the end
// is released once, the window dead with its parent is no error, and the
// server's resources and the process's memory stay where they were.
TEST(Lv2Ui, ClosesCleanlyWhateverTheHostDoesFirstAndLeavesNothingBehind) {
    TestDisplay x;
    enum Ending { kClose, kParentDestroyed, kDragHeld, kEndings };
    std::pair<int, long> start;
    size_t startBytes = 0;
    for (int cycle = 0; cycle < 105; ++cycle) {
        if (cycle == 5) start = x.resources(), startBytes = heapInUse();  // caches warm
        const Ending ending = static_cast<Ending>(cycle % kEndings);
        const Window parent = x.makeParent(900, 600);
        {
            UiHost host;
            ASSERT_TRUE(host.open(parent));
            host.idle();
            if (ending == kDragHeld) x.pointer(int(knobOf(kRelease).cx), int(knobOf(kRelease).cy), 1), host.idle();
            if (ending == kParentDestroyed) {
                XDestroyWindow(x.display, parent);
                x.settle();
                EXPECT_EQ(host.idle(), 1) << "the window went with its parent";
            }
            host.close();
            if (ending == kDragHeld) {
                x.pointer(0, 0, 0);
                ASSERT_EQ(host.sent.size(), 2u);
                EXPECT_EQ(std::string() + host.sent[0].kind + host.sent[1].kind, "+-");
            }
        }
        if (ending != kParentDestroyed) XDestroyWindow(x.display, parent);
        x.settle();
    }
    EXPECT_EQ(x.resources(), start);
    EXPECT_LT(heapInUse(), startBytes + (256u << 10));
}

}  // namespace
