#include "panel_layout.h"

#include <algorithm>
#include <cmath>

#include "display_scale.h"
#include "editor.h"
#include "panel_geometry.h"

PanelLayout panelLayoutFor(int32_t width, int32_t height, double scale) {
    const double s = clampScale(scale);
    int32_t w = 0, h = 0;
    panelSizeAt(s, &w, &h);
    if (width <= 0 || height <= 0 || (w <= width && h <= height)) return PanelLayout{static_cast<float>(s), 0, 0};
    const double fit = std::min(static_cast<double>(width) / kPanelWidth, static_cast<double>(height) / kPanelHeight);
    return PanelLayout{static_cast<float>(fit), static_cast<float>((width - kPanelWidth * fit) / 2),
                       static_cast<float>((height - kPanelHeight * fit) / 2)};
}

bool sameLayout(const PanelLayout& a, const PanelLayout& b) {
    return a.scale == b.scale && a.offsetX == b.offsetX && a.offsetY == b.offsetY;
}

bool isIdentity(const PanelLayout& l) { return sameLayout(l, PanelLayout{1.0f, 0.0f, 0.0f}); }

RECT deviceBoxOf(const PanelLayout& l, const RECT& box) {
    const double s = l.scale;
    return RECT{static_cast<LONG>(std::floor(box.left * s + l.offsetX)),
                static_cast<LONG>(std::floor(box.top * s + l.offsetY)),
                static_cast<LONG>(std::ceil(box.right * s + l.offsetX)),
                static_cast<LONG>(std::ceil(box.bottom * s + l.offsetY))};
}

float panelXOf(const PanelLayout& l, int32_t x) { return (static_cast<float>(x) - l.offsetX) / l.scale; }
float panelYOf(const PanelLayout& l, int32_t y) { return (static_cast<float>(y) - l.offsetY) / l.scale; }

PanelFrame panelFrameOf(const PanelLayout& l, int32_t width, int32_t height) {
    return PanelFrame{panelXOf(l, 0), panelYOf(l, 0), panelXOf(l, width), panelYOf(l, height)};
}
