// The shell's process-wide values, seen from inside: the plug-in's objects are
// linked into this program, so the live count, the GDI+ token and the class
// flag can be read directly.
#include <gtest/gtest.h>

#include "../../editor/editor.h"
#include "../../vst2/plugin_instance.h"
#include "vst_host.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

TEST(ShellProcessWide, GdiplusFollowsTheLiveInstanceCount) {
    ASSERT_EQ(liveInstanceCount, 0);
    ASSERT_EQ(gdiplusToken, 0u);
    EXPECT_EQ(VSTPluginMain(nullptr), nullptr);
    EXPECT_EQ(liveInstanceCount, 0) << "a null callback allocates nothing";

    AEffect* a = VSTPluginMain(recordingAudioMaster);
    EXPECT_EQ(liveInstanceCount, 1);
    const ULONG_PTR token = gdiplusToken;
    EXPECT_NE(token, 0u) << "the first instance starts GDI+";
    AEffect* b = VSTPluginMain(recordingAudioMaster);
    EXPECT_EQ(liveInstanceCount, 2);
    EXPECT_EQ(gdiplusToken, token) << "started once";
    closeEffect(a);
    EXPECT_EQ(liveInstanceCount, 1);
    EXPECT_EQ(gdiplusToken, token) << "still running for the second instance";
    closeEffect(b);
    EXPECT_EQ(liveInstanceCount, 0);
    EXPECT_EQ(gdiplusToken, 0u) << "the last close shuts GDI+ down";

    AEffect* c = VSTPluginMain(recordingAudioMaster);
    EXPECT_NE(gdiplusToken, 0u) << "a later instance starts it again";
    closeEffect(c);
    EXPECT_EQ(gdiplusToken, 0u);
}

WNDCLASSEXA editorClass() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kEditorClassName;
    return wc;
}

TEST(ShellProcessWide, UnloadUnregistersTheClassButNeverShutsGdiplusDown) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    const HINSTANCE savedModule = moduleHandle;
    moduleHandle = self;
    AEffect* alive = VSTPluginMain(recordingAudioMaster);
    const ULONG_PTR token = gdiplusToken;
    WNDCLASSEXA wc = editorClass();
    ASSERT_NE(RegisterClassExA(&wc), 0);
    editorClassRegistered = true;

    // A terminating process: nothing is touched.
    DllMain(self, DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1));
    WNDCLASSEXA found = {};
    found.cbSize = sizeof found;
    EXPECT_TRUE(GetClassInfoExA(self, kEditorClassName, &found));
    EXPECT_TRUE(editorClassRegistered);

    // FreeLibrary: the class goes; GDI+ is left to the last effClose.
    DllMain(self, DLL_PROCESS_DETACH, nullptr);
    EXPECT_FALSE(GetClassInfoExA(self, kEditorClassName, &found));
    EXPECT_FALSE(editorClassRegistered);
    EXPECT_EQ(gdiplusToken, token);

    closeEffect(alive);
    EXPECT_EQ(gdiplusToken, 0u);
    moduleHandle = savedModule;
}

TEST(ShellProcessWide, AttachKeepsTheModuleHandle) {
    const HINSTANCE savedModule = moduleHandle;
    HINSTANCE self = GetModuleHandleA(nullptr);
    EXPECT_TRUE(DllMain(self, DLL_PROCESS_ATTACH, nullptr));
    EXPECT_EQ(moduleHandle, self);
    EXPECT_TRUE(DllMain(self, DLL_THREAD_ATTACH, nullptr));
    EXPECT_EQ(moduleHandle, self);
    moduleHandle = savedModule;
}

}  // namespace
