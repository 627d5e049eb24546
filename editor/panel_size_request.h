#pragma once
// The window size of every editor: the panel's size at the editor's scale.
#include <cstdint>

#include "../core/editor_host.h"

// Asks the host for the panel's size at `scale` when the window (`width` x
// `height`, 0 before it has a frame) has another; a host that refuses keeps
// its frame, and the window with it. Returns whether the size changed.
bool askForPanelSize(const EditorHost& host, double scale, int32_t& width, int32_t& height);
