#pragma once
// The editor view: the editor object every Windows format opens, in the
// host's HWND, at the display's scale, with size requests to the host's frame.
#include <cstdint>

#include "travesty/view.h"

struct Vst3Instance;
struct Vst3View;

// A new view holding one reference to itself and one to the instance; null
// when memory is short. Main thread.
v3_plugin_view** createEditorView(Vst3Instance* instance);

// The editor asks for another size in device pixels: true when the host's
// frame took it (or it is the size the host already has).
bool requestViewSize(Vst3View* view, int32_t width, int32_t height);
