// The Windows module's editor as a CLAP host shows it: the win32 API
// embedded only, its life (create, parent, scale, size, show, hide,
// destroy), knob drags reaching the host as gestures, and the panel the same
// as the VST 2 DLL's but for the footer.
#include <windows.h>

#include "../../editor/editor.h"
#include "clap_fixture.h"
#include "editor_test_support.h"
#include "vst_host.h"

namespace {

const char kEditorClass[] = "DorlinQuilletEditorWndClass";

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class ClapGuiTest : public ClapTest {
public:
    void SetUp() override {
        ClapTest::SetUp();
        ASSERT_NE(plugin.gui, nullptr);
        parent = createChildParent();
    }
    void TearDown() override {
        ClapTest::TearDown();
        if (parent && IsWindow(parent)) DestroyWindow(parent);
        pumpMessages();
    }
    clap_window_t window(HWND w, const char* api = CLAP_WINDOW_API_WIN32) {
        clap_window_t win;
        win.api = api;
        win.win32 = w;
        return win;
    }
    void open() {
        ASSERT_TRUE(plugin.gui->create(plugin.plugin, CLAP_WINDOW_API_WIN32, false));
        const clap_window_t w = window(parent);
        ASSERT_TRUE(plugin.gui->set_parent(plugin.plugin, &w));
        ASSERT_TRUE(plugin.gui->show(plugin.plugin));
        pumpMessages();
        ASSERT_NE(editor(), nullptr);
    }
    HWND editor() const { return FindWindowExA(parent, nullptr, kEditorClass, nullptr); }
    void press(int x, int y) { SendMessageA(editor(), WM_LBUTTONDOWN, MK_LBUTTON, at(x, y)); }
    void moveHeld(int x, int y) { SendMessageA(editor(), WM_MOUSEMOVE, MK_LBUTTON, at(x, y)); }
    void release(int x, int y) { SendMessageA(editor(), WM_LBUTTONUP, 0, at(x, y)); }
    // What a flush hands the host, one letter an event: B(egin), V(alue), E(nd).
    std::string flushed(std::vector<AnyEvent>* events = nullptr) {
        InputEvents in;
        OutputEvents out;
        plugin.params->flush(plugin.plugin, &in.list, &out.list);
        return shapeOf(out, events);
    }
    static std::string shapeOf(const OutputEvents& out, std::vector<AnyEvent>* events = nullptr) {
        std::string shape;
        for (const AnyEvent& e : out.events) {
            const uint16_t t = e.header.type;
            if (t == CLAP_EVENT_PARAM_VALUE && e.value.param_id == 100) continue;  // the meter
            shape += t == CLAP_EVENT_PARAM_GESTURE_BEGIN ? 'B' : t == CLAP_EVENT_PARAM_GESTURE_END ? 'E' : 'V';
            EXPECT_TRUE(e.header.flags & CLAP_EVENT_IS_LIVE) << "a user's edit";
            if (events) events->push_back(e);
        }
        return shape;
    }
    HWND parent = nullptr;
};

TEST_F(ClapGuiTest, Win32EmbeddedOnlyAndItsLife) {
    const clap_plugin_gui_t& g = *plugin.gui;
    const clap_plugin_t* p = plugin.plugin;
    EXPECT_TRUE(g.is_api_supported(p, CLAP_WINDOW_API_WIN32, false));
    for (const char* api : {CLAP_WINDOW_API_X11, CLAP_WINDOW_API_COCOA, "WIN32", "", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(g.is_api_supported(p, api, false)) << (api ? api : "null");
    EXPECT_FALSE(g.is_api_supported(p, CLAP_WINDOW_API_WIN32, true)) << "floating";
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(g.get_preferred_api(p, &api, &floating));
    EXPECT_STREQ(api, CLAP_WINDOW_API_WIN32);
    EXPECT_FALSE(floating);

    uint32_t w = 0, h = 0;
    const clap_window_t win = window(parent);
    EXPECT_FALSE(g.get_size(p, &w, &h)) << "before create";
    EXPECT_FALSE(g.set_parent(p, &win)) << "before create";
    EXPECT_FALSE(g.create(p, CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(g.create(p, CLAP_WINDOW_API_WIN32, true));
    EXPECT_FALSE(g.create(p, nullptr, true));
    ASSERT_TRUE(g.create(p, CLAP_WINDOW_API_WIN32, false));
    EXPECT_FALSE(g.create(p, CLAP_WINDOW_API_WIN32, false)) << "twice";
    for (double scale : {1.0, 2.0, 1.5}) {
        ASSERT_TRUE(g.set_scale(p, scale));
        int32_t pw, ph;
        panelSizeAt(scale, &pw, &ph);
        ASSERT_TRUE(g.get_size(p, &w, &h));
        EXPECT_EQ(w, uint32_t(pw)) << scale;
        EXPECT_EQ(h, uint32_t(ph)) << scale;
        EXPECT_TRUE(g.set_size(p, w, h));
        EXPECT_FALSE(g.set_size(p, w + 1, h));
    }
    for (double bad : {0.0, -1.0, std::nan(""), double(INFINITY)}) EXPECT_FALSE(g.set_scale(p, bad)) << bad;
    ASSERT_TRUE(g.set_scale(p, 1.0));
    EXPECT_FALSE(g.can_resize(p));
    clap_gui_resize_hints_t hints;
    EXPECT_FALSE(g.get_resize_hints(p, &hints));
    EXPECT_FALSE(g.adjust_size(p, &w, &h));
    EXPECT_FALSE(g.set_transient(p, &win));
    g.suggest_title(p, "title");
    EXPECT_FALSE(g.get_size(p, nullptr, &h));
    EXPECT_FALSE(g.show(p)) << "no window yet";

    const clap_window_t x11 = window(parent, CLAP_WINDOW_API_X11), none = window(nullptr);
    EXPECT_FALSE(g.set_parent(p, &x11));
    EXPECT_FALSE(g.set_parent(p, &none));
    EXPECT_FALSE(g.set_parent(p, nullptr));
    EXPECT_EQ(editor(), nullptr);
    ASSERT_TRUE(g.set_parent(p, &win));
    pumpMessages();
    ASSERT_NE(editor(), nullptr);
    RECT r;
    GetClientRect(editor(), &r);
    EXPECT_EQ(r.right, 840);
    EXPECT_EQ(r.bottom, 520);
    ASSERT_TRUE(g.hide(p));
    EXPECT_FALSE(IsWindowVisible(editor()));
    ASSERT_TRUE(g.show(p));
    EXPECT_TRUE(IsWindowVisible(editor()));

    // A second parent moves the editor; destroy takes it away, twice is harmless.
    HWND second = createChildParent();
    const clap_window_t win2 = window(second);
    ASSERT_TRUE(g.set_parent(p, &win2));
    EXPECT_EQ(editor(), nullptr);
    EXPECT_NE(FindWindowExA(second, nullptr, kEditorClass, nullptr), nullptr);
    g.destroy(p);
    g.destroy(p);
    EXPECT_EQ(FindWindowExA(second, nullptr, kEditorClass, nullptr), nullptr);
    EXPECT_FALSE(g.show(p));
    DestroyWindow(second);

    // The host destroys its window first, then the editor: nothing breaks.
    HWND doomed = createChildParent();
    const clap_window_t win3 = window(doomed);
    ASSERT_TRUE(g.create(p, CLAP_WINDOW_API_WIN32, false));
    ASSERT_TRUE(g.set_parent(p, &win3));
    DestroyWindow(doomed);
    pumpMessages();
    g.destroy(p);
    EXPECT_EQ(host.callsOffMainThread, 0);
}

// A drag is begin, values, end for the host, in the next flush or process
// after a request for one; it ends once however it ends.
TEST_F(ClapGuiTest, KnobDragReachesTheHostAsOneGesture) {
    open();
    host.flushRequests = 0;
    press(130, 165);  // Threshold
    EXPECT_GT(host.flushRequests, 0) << "the host is asked for a flush at once";
    for (int y = 160; y >= 100; y -= 10) moveHeld(130, y);
    release(130, 100);
    std::vector<AnyEvent> events;
    EXPECT_EQ(flushed(&events), "BVVVVVVVE");
    for (const AnyEvent& e : events) EXPECT_EQ(e.gesture.param_id, 0u) << "Threshold's id";
    EXPECT_EQ(events[events.size() - 2].value.value, valueOf(plugin, 0)) << "the last value is the knob's";
    EXPECT_GT(valueOf(plugin, 0), 0.5);
    EXPECT_EQ(flushed(), "") << "each event once";

    // While processing, the next process call carries them; a host whose list
    // is full gets them later, in order.
    activate(plugin);
    press(420, 375);  // 580 Glue
    moveHeld(420, 300);
    StereoSignal s(64);
    s.at(0);
    OutputEvents out;
    out.capacity = 1;
    processStereo(plugin, s.in, s.out, 64, nullptr, &out.list);
    release(420, 300);
    out.capacity = SIZE_MAX;
    processStereo(plugin, s.in, s.out, 64, nullptr, &out.list);
    EXPECT_EQ(shapeOf(out), "BVE");
    EXPECT_EQ(out.events[0].gesture.param_id, uint32_t(kGlue));

    // Drags that end without a release: the editor closed, the window lost.
    press(710, 165);  // Ratio
    moveHeld(710, 150);
    plugin.gui->destroy(plugin.plugin);
    out.events.clear();
    processStereo(plugin, s.in, s.out, 64, nullptr, &out.list);
    EXPECT_EQ(shapeOf(out), "BVE");
    EXPECT_EQ(out.events[0].gesture.param_id, uint32_t(kRatio));
    out.events.clear();
    plugin.params->flush(plugin.plugin, nullptr, &out.list);  // no input list: nothing to apply
    EXPECT_EQ(shapeOf(out), "");
    EXPECT_EQ(host.callsOffMainThread, 0);
}

TEST_F(ClapGuiTest, DragEndedByTheParentGoingAwayEndsOnce) {
    open();
    press(565, 375);  // Bass Armor
    moveHeld(565, 350);
    DestroyWindow(parent);
    pumpMessages();
    EXPECT_EQ(flushed(), "BVE");
    plugin.gui->destroy(plugin.plugin);
    EXPECT_EQ(flushed(), "");
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
    const Capture clap = captureWindow(editor());
    const Capture vst2 = captureWindow(FindWindowExA(dllParent, nullptr, kEditorClass, nullptr));
    ASSERT_EQ(clap.width, vst2.width);
    ASSERT_EQ(clap.height, vst2.height);
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

// A new scale with the editor open asks the host for the panel's size at it.
TEST_F(ClapGuiTest, ScaleChangeAsksTheHostForTheNewSize) {
    open();
    int32_t w1, h1, w2, h2;
    panelSizeAt(1.0, &w1, &h1), panelSizeAt(2.0, &w2, &h2);
    ASSERT_TRUE(plugin.gui->set_scale(plugin.plugin, 2.0));
    pumpMessages();
    if (w2 != w1 || h2 != h1) {  // once the editor draws at the display's scale
        ASSERT_FALSE(host.resizeRequests.empty());
        EXPECT_EQ(host.resizeRequests.back(), std::make_pair(uint32_t(w2), uint32_t(h2)));
    }
    uint32_t w, h;
    ASSERT_TRUE(plugin.gui->get_size(plugin.plugin, &w, &h));
    EXPECT_EQ(w, uint32_t(w2));
    EXPECT_EQ(host.callsOffMainThread, 0);
}

}  // namespace
