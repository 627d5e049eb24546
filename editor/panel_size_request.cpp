#include "panel_size_request.h"

#include "panel_layout.h"

bool askForPanelSize(const EditorHost& host, double scale, int32_t& width, int32_t& height) {
    int32_t w = 0, h = 0;
    panelSizeAt(scale, &w, &h);
    if (w == width && h == height) return false;
    const bool framed = width > 0 && height > 0;
    if (framed && !host.requestSize(host.context, w, h)) return false;
    width = w;
    height = h;
    return true;
}
