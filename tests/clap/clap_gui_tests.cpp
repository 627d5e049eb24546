// The Windows module's editor as a CLAP host shows it: the win32 API
// embedded only and the editor's life, knob drags reaching the host as one
// gesture however they end, and the panel the VST 2 DLL's but for the footer.
#include <windows.h>

#include <cmath>

#include "../../editor/editor.h"
#include "clap_test_host.h"
#include "editor_test_support.h"
#include "vst_host.h"

namespace {

clap_window_t windowOf(HWND w, const char* api = CLAP_WINDOW_API_WIN32) {
    clap_window_t win;
    win.api = api;
    win.win32 = w;
    return win;
}

HWND editorIn(HWND parent) { return FindWindowExA(parent, nullptr, kEditorClassName, nullptr); }

class ClapGuiTest : public ClapTest {
public:
    void SetUp() override {
        ClapTest::SetUp();
        ASSERT_NE(plugin.gui, nullptr);
        parent = createChildParent();
    }
    void TearDown() override {
        destroy(plugin);
        EXPECT_EQ(editorIn(parent), nullptr) << "an instance destroyed closes its editor";
        ClapTest::TearDown();
        if (IsWindow(parent)) DestroyWindow(parent);
        pumpMessages();
    }
    // The editor shown in the parent window (a new one if it is gone).
    void open() {
        if (!IsWindow(parent)) parent = createChildParent();
        const clap_window_t w = windowOf(parent);
        ASSERT_TRUE(plugin.gui->create(plugin.plugin, CLAP_WINDOW_API_WIN32, false));
        ASSERT_TRUE(plugin.gui->set_parent(plugin.plugin, &w) && plugin.gui->show(plugin.plugin));
        pumpMessages();
        ASSERT_NE(editorIn(parent), nullptr);
    }
    void mouse(UINT message, int x, int y) {
        SendMessageA(editorIn(parent), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    HWND parent = nullptr;
};

TEST_F(ClapGuiTest, Win32EmbeddedOnlyAndItsLife) {
    const clap_plugin_gui_t& g = *plugin.gui;
    const clap_plugin_t* p = plugin.plugin;
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(g.get_preferred_api(p, &api, &floating));
    EXPECT_STREQ(api, CLAP_WINDOW_API_WIN32);
    EXPECT_FALSE(floating);
    EXPECT_TRUE(g.is_api_supported(p, CLAP_WINDOW_API_WIN32, false));
    uint32_t w = 0, h = 0;
    const clap_window_t win = windowOf(parent), x11 = windowOf(parent, CLAP_WINDOW_API_X11), none = windowOf(nullptr);
    const std::pair<const char*, bool> beforeCreate[] = {  // each must be refused
        {"x11", g.is_api_supported(p, CLAP_WINDOW_API_X11, false)}, {"WIN32", g.is_api_supported(p, "WIN32", false)},
        {"cocoa", g.is_api_supported(p, CLAP_WINDOW_API_COCOA, false)}, {"empty", g.is_api_supported(p, "", false)},
        {"null api", g.is_api_supported(p, nullptr, false)}, {"size", g.get_size(p, &w, &h)},
        {"floating", g.is_api_supported(p, CLAP_WINDOW_API_WIN32, true)}, {"parent", g.set_parent(p, &win)},
        {"create x11", g.create(p, CLAP_WINDOW_API_X11, false)}, {"create null api", g.create(p, nullptr, true)},
        {"create floating", g.create(p, CLAP_WINDOW_API_WIN32, true)}};
    for (const auto& [what, accepted] : beforeCreate) EXPECT_FALSE(accepted) << what;

    ASSERT_TRUE(g.create(p, CLAP_WINDOW_API_WIN32, false));
    for (double scale : {1.0, 2.0, 1.5}) {  // the one size there is: the panel's at the scale
        int32_t pw, ph;
        panelSizeAt(scale, &pw, &ph);
        ASSERT_TRUE(g.set_scale(p, scale) && g.get_size(p, &w, &h));
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(uint32_t(pw), uint32_t(ph))) << scale;
        EXPECT_TRUE(g.set_size(p, w, h));
        EXPECT_FALSE(g.set_size(p, w + 1, h));
    }
    ASSERT_TRUE(g.set_scale(p, 1.0));
    clap_gui_resize_hints_t hints;
    const std::pair<const char*, bool> created[] = {  // each must be refused
        {"create twice", g.create(p, CLAP_WINDOW_API_WIN32, false)}, {"scale 0", g.set_scale(p, 0.0)},
        {"scale -1", g.set_scale(p, -1.0)}, {"scale NaN", g.set_scale(p, std::nan(""))},
        {"scale inf", g.set_scale(p, double(INFINITY))}, {"can resize", g.can_resize(p)},
        {"resize hints", g.get_resize_hints(p, &hints)}, {"adjust size", g.adjust_size(p, &w, &h)},
        {"transient", g.set_transient(p, &win)}, {"size into null", g.get_size(p, nullptr, &h)},
        {"show without a window", g.show(p)}, {"x11 parent", g.set_parent(p, &x11)},
        {"null window", g.set_parent(p, &none)}, {"null parent", g.set_parent(p, nullptr)}};
    for (const auto& [what, accepted] : created) EXPECT_FALSE(accepted) << what;
    g.suggest_title(p, "title");
    EXPECT_EQ(editorIn(parent), nullptr);
    ASSERT_TRUE(g.set_parent(p, &win));
    pumpMessages();
    RECT r;
    GetClientRect(editorIn(parent), &r);
    EXPECT_EQ(std::make_pair(r.right, r.bottom), std::make_pair(LONG(840), LONG(520)));
    ASSERT_TRUE(g.hide(p));
    EXPECT_FALSE(IsWindowVisible(editorIn(parent)));
    ASSERT_TRUE(g.show(p));
    EXPECT_TRUE(IsWindowVisible(editorIn(parent)));

    // A new scale with the editor open asks the host for the panel's size at it.
    int32_t w2, h2;
    panelSizeAt(2.0, &w2, &h2);
    const std::pair<uint32_t, uint32_t> atTwo(w2, h2);
    ASSERT_TRUE(g.set_scale(p, 2.0));
    pumpMessages();
    EXPECT_EQ(host.resizeRequests, decltype(host.resizeRequests){atTwo});
    ASSERT_TRUE(g.get_size(p, &w, &h));
    EXPECT_EQ(std::make_pair(w, h), atTwo) << "the editor's frame";

    // A second parent moves the editor; destroy takes it away, twice is harmless.
    HWND second = createChildParent();
    const clap_window_t win2 = windowOf(second);
    ASSERT_TRUE(g.set_parent(p, &win2));
    EXPECT_EQ(editorIn(parent), nullptr);
    EXPECT_NE(editorIn(second), nullptr);
    g.destroy(p);
    g.destroy(p);
    EXPECT_EQ(editorIn(second), nullptr);
    EXPECT_FALSE(g.show(p));
    DestroyWindow(second);
}

// What the host got, one letter an event: B(egin), V(alue), E(nd); each a
// user's edit of the dragged parameter. The meter's own events are passed over.
std::string shapeOf(const OutputEvents& out, clap_id param, double* lastValue) {
    std::string shape;
    for (const AnyEvent& e : out.events) {
        const uint16_t t = e.header.type;
        const bool value = t == CLAP_EVENT_PARAM_VALUE;
        if (value && e.value.param_id == kMeterId) continue;
        shape += t == CLAP_EVENT_PARAM_GESTURE_BEGIN ? 'B' : t == CLAP_EVENT_PARAM_GESTURE_END ? 'E' : 'V';
        EXPECT_TRUE(e.header.flags & CLAP_EVENT_IS_LIVE);
        EXPECT_EQ(value ? e.value.param_id : e.gesture.param_id, param);
        if (value) *lastValue = e.value.value;
    }
    return shape;
}

// A knob drag reaches the host as begin, values and end in the next flush
// (the host not processing) or process after the plug-in asks for one, each
// event once and in order also when the host's list is full, and it ends
// once however it ends.
TEST_F(ClapGuiTest, EachDragIsOneGestureHoweverItEnds) {
    using Ending = void (*)(ClapGuiTest&, const KnobSpec&);
    const Ending release = [](ClapGuiTest& t, const KnobSpec& k) { t.mouse(WM_LBUTTONUP, k.cx, k.cy - 60); };
    const struct { const char* how; int32_t param; Ending end; bool processing; } drags[] = {
        {"released", kThreshold, release, false},
        {"the parent gone", kBassArmor, [](ClapGuiTest& t, const KnobSpec&) { DestroyWindow(t.parent), pumpMessages(); },
         false},
        {"released, processing", kGlue, release, true},
        {"the editor closed", kRatio, [](ClapGuiTest& t, const KnobSpec&) { t.plugin.gui->destroy(t.plugin.plugin); },
         true}};
    StereoSignal s(64);
    for (const auto& d : drags) {
        auto deliver = [&](OutputEvents& out) {
            if (d.processing) process(plugin, s, 0, 64, nullptr, &out.list);
            else plugin.params->flush(plugin.plugin, nullptr, &out.list);  // no input list: nothing to apply
        };
        if (&d == &drags[2]) activate(plugin);  // from here on the host processes
        const KnobSpec& knob = kParamTable[d.param].knob;
        open();
        host.flushRequests = 0;
        mouse(WM_LBUTTONDOWN, knob.cx, knob.cy);
        EXPECT_GT(host.flushRequests, 0) << "the host is asked for a flush at once";
        for (int up = 10; up <= 60; up += 10) mouse(WM_MOUSEMOVE, knob.cx, knob.cy - up);
        OutputEvents out;
        out.capacity = 1;
        deliver(out);
        d.end(*this, knob);
        out.capacity = SIZE_MAX;
        deliver(out);
        double last = -1.0;
        EXPECT_EQ(shapeOf(out, d.param, &last), "BVVVVVVE") << d.how;
        EXPECT_EQ(last, valueOf(plugin, d.param)) << "the last value is the knob's";
        EXPECT_GT(last, kParamTable[d.param].defaultValue) << d.how;
        out.events.clear();
        deliver(out);
        EXPECT_EQ(shapeOf(out, d.param, &last), "") << "each event once: " << d.how;
        plugin.gui->destroy(plugin.plugin);
    }
}

// Hosts that take only some of the plug-in's events, flushing again and
// again after a drag: every value the host takes arrives in order, gestures
// stay paired, and nothing is offered more than twice, so the queue empties
// also for a host that takes nothing.
TEST_F(ClapGuiTest, HostsThatRefuseEventsStillGetEveryValue) {
    const struct { const char* host; bool gestures; size_t perFlush; int deafFlushes; const char* shape; } hosts[] = {
        {"takes everything", true, SIZE_MAX, 0, "BVVVVVVE"},
        {"refuses gestures", false, SIZE_MAX, 0, "VVVVVV"},
        {"takes two events a flush", true, 2, 0, "BVVVVVVE"},
        {"takes one event a flush, no gestures", false, 1, 0, "VVVVVV"},
        {"takes nothing twice, then everything: no end without its begin", true, SIZE_MAX, 2, "VVVVVV"},
        {"refuses everything", true, 0, 0, ""}};
    const KnobSpec& knob = kParamTable[kThreshold].knob;
    open();
    for (const auto& h : hosts) {
        setByFlush(plugin, kThreshold, kParamTable[kThreshold].defaultValue);
        mouse(WM_LBUTTONDOWN, knob.cx, knob.cy);
        for (int up = 10; up <= 60; up += 10) mouse(WM_MOUSEMOVE, knob.cx, knob.cy - up);
        mouse(WM_LBUTTONUP, knob.cx, knob.cy - 60);
        OutputEvents got;
        int offered = 0;
        for (int flush = 0; flush < 20; ++flush) {
            OutputEvents out;
            out.capacity = flush < h.deafFlushes ? 0 : h.perFlush, out.takesGestures = h.gestures;
            plugin.params->flush(plugin.plugin, nullptr, &out.list);
            got.events.insert(got.events.end(), out.events.begin(), out.events.end());
            offered += out.offered;
        }
        double last = -1.0;
        EXPECT_EQ(shapeOf(got, kThreshold, &last), h.shape) << h.host;
        if (*h.shape) {
            EXPECT_EQ(last, valueOf(plugin, kThreshold)) << h.host;
        }
        EXPECT_LE(offered, 2 * 8) << h.host;
        OutputEvents after;
        plugin.params->flush(plugin.plugin, nullptr, &after.list);
        EXPECT_EQ(after.offered, 0) << "nothing left queued: " << h.host;
    }
}

// A host without the params extension, in which the user switched the plug-in off: a drag
// asks it for no processing (which would switch the plug-in on), only marks the state changed.
TEST_F(ClapGuiTest, ADragInAHostWithoutParamsLeavesThePlugInOff) {
    destroy(plugin), host.offersParams = false, plugin = create();
    plugin.plugin->activate(plugin.plugin, 48000.0, 1, 512), plugin.plugin->deactivate(plugin.plugin);
    open();
    const KnobSpec& knob = kParamTable[kThreshold].knob;
    for (UINT m : {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}) mouse(m, knob.cx, knob.cy - (m == WM_LBUTTONDOWN ? 0 : 40));
    EXPECT_EQ(std::make_pair(host.processRequests, host.dirtyMarks), std::make_pair(0, 1));
}

// A host that destroys the editor from inside one of the editor's calls to
// it (the size request of a new scale, the flush a drag's begin asks for):
// the editor is freed only after the call returned, touching no freed
// memory, and the drag still reaches the host whole.
TEST_F(ClapGuiTest, AHostDestroyingTheEditorInsideItsCallsLeavesNoFreedMemoryTouched) {
    const struct {
        const char* moment;
        void (*make)(ClapGuiTest&);
        const char* shape;
    } cases[] = {{"size request", [](ClapGuiTest& t) { t.plugin.gui->set_scale(t.plugin.plugin, 2.0); }, ""},
                 {"begin edit", [](ClapGuiTest& t) {
                      const KnobSpec& k = kParamTable[kRatio].knob;
                      t.mouse(WM_LBUTTONDOWN, k.cx, k.cy);
                  }, "BE"}};
    for (const auto& c : cases) {
        open();
        host.whileAnswering = [&] { plugin.gui->destroy(plugin.plugin); };
        c.make(*this);
        pumpMessages();
        EXPECT_FALSE(host.whileAnswering) << c.moment << ": the host was asked";
        EXPECT_EQ(editorIn(parent), nullptr) << c.moment;
        EXPECT_TRUE(processHeapsValid()) << c.moment;
        OutputEvents out;
        plugin.params->flush(plugin.plugin, nullptr, &out.list);
        double last = -1.0;
        EXPECT_EQ(shapeOf(out, kRatio, &last), c.shape) << c.moment;
    }
}

// The panel is the DLL's pixel for pixel, but for the footer, which names the format.
TEST_F(ClapGuiTest, PanelIsTheDllsButTheFooter) {
    open();
    LoadedPlugin dll = loadPlugin(pluginPathBesideProgram());
    ASSERT_NE(dll.entry, nullptr);
    AEffect* effect = dll.entry(recordingAudioMaster);
    HWND dllParent = createChildParent();
    ASSERT_EQ(dispatch(effect, effEditOpen, 0, 0, dllParent), 1);
    pumpMessages();
    const Capture clap = captureWindow(editorIn(parent)), vst2 = captureWindow(editorIn(dllParent));
    ASSERT_EQ(std::make_pair(clap.width, clap.height), std::make_pair(vst2.width, vst2.height));
    int differentAbove = 0, differentInFooter = 0;
    for (int y = 0; y < clap.height; ++y)
        for (int x = 0; x < clap.width; ++x)
            (y < clap.height - 30 ? differentAbove : differentInFooter) += clap.at(x, y) != vst2.at(x, y);
    EXPECT_EQ(differentAbove, 0);
    EXPECT_GT(differentInFooter, 20) << "the footer names CLAP";
    saveCaptureBesideProgram(clap, "clap-editor");
    dispatch(effect, effEditClose);
    closeEffect(effect);
    DestroyWindow(dllParent);
    unloadPlugin(dll);
}

// Editors opened and closed again and again leave no window, GDI object or memory behind.
TEST_F(ClapGuiTest, EditorCyclesLeaveNothingBehind) {
    open();
    plugin.gui->destroy(plugin.plugin);
    pumpMessages();
    const int gdiBefore = liveGdiObjectCount(), windowsBefore = liveWindowCount();
    const size_t bytesBefore = privateBytes();
    for (int i = 0; i < 40; ++i) {
        open();
        plugin.gui->set_scale(plugin.plugin, 1.0 + (i % 3) * 0.5);
        plugin.gui->destroy(plugin.plugin);
    }
    pumpMessages();
    EXPECT_EQ(liveGdiObjectCount(), gdiBefore);
    EXPECT_EQ(liveWindowCount(), windowsBefore);
    EXPECT_LT(privateBytes(), bytesBefore + 512 * 1024);
}

}  // namespace
