// Writes a picture of the real editor as the DLL draws it: the plug-in is
// loaded like a host loads it, fed one second of a loud 100 Hz tone so that
// the meter shows real gain reduction, and its open editor is captured.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "editor_test_support.h"
#include "vst_host.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: editor_picture <output.png>\n");
        return 2;
    }
    LoadedPlugin plugin = loadPlugin(pluginPathBesideProgram());
    if (!plugin.entry) {
        fprintf(stderr, "editor_picture: DorlinQuillet.dll not found beside the program\n");
        return 1;
    }
    AEffect* effect = plugin.entry(recordingAudioMaster);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    std::vector<float> left(512), right(512), outL(512), outR(512);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    for (int block = 0, n = 0; block < 94; ++block) {
        for (int i = 0; i < 512; ++i, ++n) {
            left[i] = right[i] = 0.9f * std::sin(2.0f * 3.14159265f * 100.0f * static_cast<float>(n) / 48000.0f);
        }
        effect->processReplacing(effect, inputs, outputs, 512);
    }
    HWND parent = createChildParent();
    if (dispatch(effect, effEditOpen, 0, 0, parent) != 1) {
        fprintf(stderr, "editor_picture: the editor did not open\n");
        return 1;
    }
    pumpMessages();
    HWND editor = nullptr;
    editor = GetWindow(parent, GW_CHILD);
    const Capture capture = captureWindow(editor);
    const std::string path = argv[1];
    const bool saved = savePng(capture, std::wstring(path.begin(), path.end()));
    dispatch(effect, effEditClose);
    closeEffect(effect);
    unloadPlugin(plugin);
    if (!saved) {
        fprintf(stderr, "editor_picture: could not write %s\n", argv[1]);
        return 1;
    }
    printf("editor_picture: wrote %s (%dx%d)\n", argv[1], capture.width, capture.height);
    return 0;
}
