#pragma once
// The real DLL loaded once per test, one instance, and its editor opened in a
// fresh child of the shared host window.
#include <gtest/gtest.h>

#include "../../vst2/plugin_instance.h"
#include "editor_test_support.h"
#include "vst_host.h"

class EditorTest : public ::testing::Test {
public:
    void SetUp() override {
        plugin = loadPlugin(pluginPathBesideProgram());
        ASSERT_NE(plugin.entry, nullptr) << "DorlinQuillet.dll must sit beside the test program";
        recordedHostCalls().clear();
        effect = plugin.entry(recordingAudioMaster);
        ASSERT_NE(effect, nullptr);
        parent = createChildParent();
    }
    void TearDown() override {
        if (effect) closeEffect(effect);
        if (parent && IsWindow(parent)) DestroyWindow(parent);
        pumpMessages();
        unloadPlugin(plugin);
    }
    PluginInstance* instance() const { return static_cast<PluginInstance*>(effect->object); }
    // The instance's editor window, found as a host would: the child of the
    // class in the parent it was opened in.
    HWND editor() const { return editorWindowIn(parent); }
    static HWND editorWindowIn(HWND parentWindow) {
        return parentWindow ? FindWindowExA(parentWindow, nullptr, "DorlinQuilletEditorWndClass", nullptr)
                            : nullptr;
    }
    void openEditor() {
        ASSERT_EQ(dispatch(effect, effEditOpen, 0, 0, parent), 1);
        ASSERT_NE(editor(), nullptr);
        pumpMessages();
    }
    void setAll(float v) {
        for (int i = 0; i < 9; ++i) effect->setParameter(effect, i, v);
    }
    void setMeter(float db) { instance()->core.engine.gainReductionMeter.store(db, std::memory_order_relaxed); }
    std::vector<HostCall> automationCalls() const { return callsWith(audioMasterAutomate); }
    static std::vector<HostCall> callsWith(int32_t opcode) {
        std::vector<HostCall> out;
        for (const HostCall& c : recordedHostCalls())
            if (c.opcode == opcode) out.push_back(c);
        return out;
    }

    LoadedPlugin plugin;
    AEffect* effect = nullptr;
    HWND parent = nullptr;
};
