// Opens a VST 2 plug-in's editor in a host window, the way a DAW does, after
// playing a loud tone through it so that any meter shows a reading, and saves
// what the editor shows as a PNG. With --scale the host announces that
// content scale first (effVendorSpecific 'PreS' 'AeCs'), as hosts that draw
// plug-in editors at a display's scale do.
//
//   editor_snapshot --plugin DLL --out PICTURE.png [--scale S] [--set NAME=VALUE]...
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_window.h"
#include "plugin_session.h"
#include "render_error.h"
#include "render_options.h"
#include "vst_host.h"

namespace {

[[noreturn]] void fail(const std::string& message) {
    fprintf(stderr, "editor_snapshot: %s\n", message.c_str());
    ExitProcess(1);
}

intptr_t quietAudioMaster(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Half a second of a loud 100 Hz tone, in host-sized blocks.
void playLoudTone(AEffect* e) {
    const int block = 512;
    std::vector<float> left(block), right(block), outLeft(block), outRight(block);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    const double step = 2.0 * 3.141592653589793 * 100.0 / hostContext().sampleRate;
    dispatch(e, effMainsChanged, 0, 1);
    for (int b = 0, n = 0; b < 43; ++b) {
        for (int i = 0; i < block; ++i, ++n)
            left[i] = right[i] = static_cast<float>(0.9 * std::sin(step * n));
        e->processReplacing(e, in, out, block);
    }
}

}  // namespace

// Runs on the program's only thread: the host's main and audio thread at once.
int main(int argc, char** argv) {
    // Same command-line conventions as the render host; --in/--out name the picture here.
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string picture, scale = "1";
    for (size_t i = 0; i + 1 < args.size();) {
        std::string* value = args[i] == "--out" ? &picture : args[i] == "--scale" ? &scale : nullptr;
        if (!value) {
            ++i;
            continue;
        }
        *value = args[i + 1];
        const auto at = args.begin() + static_cast<long>(i);
        args.erase(at, at + 2);
    }
    RenderOptions options;
    std::string error;
    args.push_back("--info");
    if (picture.empty()) fail("no picture given; add --out PICTURE.png");
    if (!parseRenderOptions(args, options, error)) fail(error);

    LoadedPlugin plugin = loadPlugin(options.pluginPath);
    if (!plugin.entry) fail("cannot load a VST 2 plug-in from '" + options.pluginPath + "'");
    AEffect* e = plugin.entry(quietAudioMaster);
    if (!e || e->magic != kEffectMagic) fail("the plug-in did not start");
    dispatch(e, effOpen);
    try {
        for (const ResolvedSetting& s : resolveSettings(e, options.settings))
            e->setParameter(e, s.index, s.normalised);
    } catch (const RenderError& error) {
        fail(error.message);
    }
    playLoudTone(e);

    const float contentScale = static_cast<float>(atof(scale.c_str()));
    if (!(contentScale >= 1.0f && contentScale <= 3.0f)) fail("--scale takes a factor from 1 to 3");
    if (contentScale != 1.0f) dispatch(e, effVendorSpecific, kVendorPresonus, kVendorContentScale, nullptr, contentScale);
    HWND parent = createChildParent();
    if (dispatch(e, effEditOpen, 0, 0, parent) == 0) fail("the plug-in opened no editor");
    pumpMessages();
    HWND editor = GetWindow(parent, GW_CHILD);
    if (!editor) fail("the editor window was not found");
    dispatch(e, effEditIdle);
    pumpMessages();
    // Printed, not read from the screen: a panel at scale may be larger.
    const Capture capture = printWindow(editor);
    const std::wstring path(picture.begin(), picture.end());
    if (capture.width == 0 || !savePng(capture, path)) fail("cannot write '" + picture + "'");
    dispatch(e, effEditClose);
    closeEffect(e);
    DestroyWindow(parent);
    unloadPlugin(plugin);
    return 0;
}
