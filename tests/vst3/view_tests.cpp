// The editor view in a host window under Wine: what it accepts, knob drags
// as the host's edits, the view outliving the instance, the panel against the
// DLL's, and the display scale through the host's frame.
#include <gtest/gtest.h>

#include <cmath>

#include "../../editor/editor.h"
#include "editor_test_support.h"
#include "parameters.h"
#include "vst3_test_host.h"
#include "vst_host.h"

namespace {

struct ViewTest : ::testing::Test {
    Vst3Module module = loadBundle();
    Plugin plugin = createPlugin(module.factory);
    HostHandler handler;
    HostFrame frame;
    HWND parent = createChildParent();
    v3_plugin_view** view = plugin.ctrl()->create_view(plugin.controller, "editor");
    v3_plugin_view* v = v3_cpp_obj(view);

    void SetUp() override {
        plugin.ctrl()->set_component_handler(plugin.controller, handler.as<v3_component_handler>());
        v->set_frame(view, frame.as<v3_plugin_frame>());
    }
    void TearDown() override {
        if (view) v3_cpp_obj_unref(view);
        if (plugin.component) releasePlugin(plugin);
        DestroyWindow(parent);
        unloadBundle(module);
        EXPECT_EQ(handler.refs + frame.refs, 2) << "the host's objects are let go";
    }
    HWND editorIn(HWND window) { return FindWindowExA(window, nullptr, kEditorClassName, nullptr); }
    std::pair<int32_t, int32_t> size() {
        v3_view_rect r{};
        v->get_size(view, &r);
        return {r.right - r.left, r.bottom - r.top};
    }
    void press(int32_t index, UINT message, int dy = 0) {
        const KnobSpec& k = kParamTable[index].knob;
        SendMessageA(editorIn(parent), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELONG(k.cx, k.cy + dy));
    }
};

}  // namespace

TEST_F(ViewTest, OpensOnlyAsAnEditorInAnHwndAtThePanelsSize) {
    EXPECT_EQ(plugin.ctrl()->create_view(plugin.controller, "other"), nullptr);
    EXPECT_EQ(plugin.ctrl()->create_view(plugin.controller, nullptr), nullptr);
    EXPECT_EQ(v->is_platform_type_supported(view, "HWND"), V3_OK);
    EXPECT_EQ(v->is_platform_type_supported(view, "X11EmbedWindowID"), V3_FALSE);
    EXPECT_EQ(v->attached(view, parent, "X11EmbedWindowID"), V3_FALSE);
    EXPECT_EQ(v->removed(view), V3_FALSE) << "removed without attached";
    EXPECT_EQ(size(), std::make_pair(840, 520));
    v3_view_rect asked{10, 10, 2000, 30};
    EXPECT_EQ(v->can_resize(view), V3_FALSE);
    EXPECT_EQ(v->check_size_constraint(view, &asked), V3_OK);
    EXPECT_EQ(std::make_pair(asked.right - asked.left, asked.bottom - asked.top), size());
    ASSERT_EQ(v->attached(view, parent, "HWND"), V3_OK);
    EXPECT_NE(editorIn(parent), nullptr);
    EXPECT_EQ(v->attached(view, parent, "HWND"), V3_FALSE) << "attached twice";
    EXPECT_EQ(v->removed(view), V3_OK);
    EXPECT_EQ(editorIn(parent), nullptr);
}

TEST_F(ViewTest, AKnobDragIsOneHostEditHoweverItEndsAndTheViewOutlivesTheInstance) {
    ASSERT_EQ(v->attached(view, parent, "HWND"), V3_OK);
    press(kRatio, WM_LBUTTONDOWN), press(kRatio, WM_MOUSEMOVE, -20), press(kRatio, WM_LBUTTONUP, -20);
    const double now = plugin.ctrl()->get_parameter_normalised(plugin.controller, kRatio);
    EXPECT_NEAR(now, kParamTable[kRatio].defaultValue + 0.1, 1e-6);
    char performed[64];
    std::snprintf(performed, sizeof performed, "perform 1 %.9g", now);
    // The host lets go of the instance first, then of the view mid-drag,
    // still attached: the drag ends with the editor, once.
    press(kAttack, WM_LBUTTONDOWN);
    releasePlugin(plugin);
    EXPECT_EQ(size(), std::make_pair(840, 520));
    EXPECT_EQ(v3_cpp_obj_unref(view), 0u);
    view = nullptr;
    EXPECT_EQ(editorIn(parent), nullptr);
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"begin 1", performed, "end 1", "begin 2", "end 2"}));
}

TEST_F(ViewTest, ThePanelIsTheDllsButForTheFooter) {
    ASSERT_EQ(v->attached(view, parent, "HWND"), V3_OK);
    const Capture ours = captureWindow(editorIn(parent));
    ShowWindow(parent, SW_HIDE);  // one panel on the screen at a time
    LoadedPlugin dll = loadPlugin(pluginPathBesideProgram());
    AEffect* e = dll.entry(recordingAudioMaster);
    HWND dllParent = createChildParent();
    dispatch(e, effEditOpen, 0, 0, dllParent);
    const Capture theirs = captureWindow(editorIn(dllParent));
    ASSERT_TRUE(ours.width == theirs.width && ours.height == theirs.height && ours.width > 0);
    int footer = 0, elsewhere = 0;
    for (int y = 0; y < ours.height; ++y)
        for (int x = 0; x < ours.width; ++x)
            if (ours.at(x, y) != theirs.at(x, y)) (y >= ours.height - 40 ? footer : elsewhere) += 1;
    EXPECT_GT(footer, 0) << "the footer names the format";
    EXPECT_EQ(elsewhere, 0);
    closeEffect(e);
    DestroyWindow(dllParent);
    unloadPlugin(dll);
}

TEST_F(ViewTest, TheContentScaleSizesThePanelThroughTheHostsFrame) {
    std::pair<int32_t, int32_t> at15, at2;
    panelSizeAt(1.5, &at15.first, &at15.second);
    panelSizeAt(2.0, &at2.first, &at2.second);
    v3_plugin_view_content_scale** scale = nullptr;
    ASSERT_EQ(queryOf(view, v3_plugin_view_content_scale_iid, reinterpret_cast<void**>(&scale)), V3_OK);
    auto setScale = [&](float f) { return v3_cpp_obj(scale)->set_content_scale_factor(scale, f); };
    EXPECT_EQ(setScale(0.0f) & setScale(NAN), static_cast<v3_result>(V3_INVALID_ARG));
    ASSERT_EQ(setScale(1.5f), V3_OK);  // before the window: only the size it will have
    EXPECT_EQ(size(), at15);
    ASSERT_EQ(v->attached(view, parent, "HWND"), V3_OK);
    ASSERT_EQ(setScale(2.0f), V3_OK);
    EXPECT_EQ(size(), at2);
    if (at2 != at15) {  // once the editor draws at scale
        ASSERT_EQ(frame.requests.size(), 1u);
        EXPECT_EQ(frame.requests[0].right, at2.first);
        frame.accept = false;
        ASSERT_EQ(setScale(1.5f), V3_OK);
        EXPECT_EQ(size(), at2) << "a host that refuses keeps its frame";
    }
    v3_cpp_obj_unref(scale);
}

// A host that removes the view from inside one of the editor's calls to it
// (the size request of a new scale, a drag's begin): the editor is freed only
// after the call returned, touching no freed memory, and the edit still ends.
TEST_F(ViewTest, AHostRemovingTheViewInsideItsCallsLeavesNoFreedMemoryTouched) {
    const struct {
        const char* moment;
        HostObject* answering;
        std::vector<std::string> edits;
    } cases[] = {{"begin edit", &handler, {"begin 1", "end 1"}}, {"size request", &frame, {}}};
    for (const auto& c : cases) {
        handler.calls.clear();
        ASSERT_EQ(v->attached(view, parent, "HWND"), V3_OK) << c.moment;
        c.answering->whileAnswering = [&] { EXPECT_EQ(v->removed(view), V3_OK); };
        if (c.answering == &frame) {
            v3_plugin_view_content_scale** scale = nullptr;
            ASSERT_EQ(queryOf(view, v3_plugin_view_content_scale_iid, reinterpret_cast<void**>(&scale)), V3_OK);
            v3_cpp_obj(scale)->set_content_scale_factor(scale, 2.0f);
            v3_cpp_obj_unref(scale);
        } else {
            press(kRatio, WM_LBUTTONDOWN);
        }
        pumpMessages();
        EXPECT_FALSE(c.answering->whileAnswering) << c.moment << ": the host was asked";
        EXPECT_EQ(editorIn(parent), nullptr) << c.moment;
        EXPECT_TRUE(processHeapsValid()) << c.moment;
        EXPECT_EQ(handler.calls, c.edits) << c.moment;
    }
}
