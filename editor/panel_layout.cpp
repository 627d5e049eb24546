#include "panel_layout.h"

#include <algorithm>
#include <cmath>

#include "panel_geometry.h"

double clampScale(double scale) {
    if (!(scale >= kSmallestScale)) return kSmallestScale;
    return scale > kLargestScale ? kLargestScale : scale;
}

double scaleForDpi(int32_t dpi) { return clampScale(static_cast<double>(dpi) / kBaseDpi); }

void panelSizeAt(double scale, int32_t* width, int32_t* height) {
    const double s = clampScale(scale);
    *width = static_cast<int32_t>(std::lround(kPanelWidth * s));
    *height = static_cast<int32_t>(std::lround(kPanelHeight * s));
}

bool intersectBoxes(const PanelBox& a, const PanelBox& b, PanelBox* out) {
    *out = PanelBox{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
    return out->left < out->right && out->top < out->bottom;
}

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

PanelBox deviceBoxOf(const PanelLayout& l, const PanelBox& box) {
    const double s = l.scale;
    return PanelBox{static_cast<int32_t>(std::floor(box.left * s + l.offsetX)),
                    static_cast<int32_t>(std::floor(box.top * s + l.offsetY)),
                    static_cast<int32_t>(std::ceil(box.right * s + l.offsetX)),
                    static_cast<int32_t>(std::ceil(box.bottom * s + l.offsetY))};
}

float panelXOf(const PanelLayout& l, int32_t x) { return (static_cast<float>(x) - l.offsetX) / l.scale; }
float panelYOf(const PanelLayout& l, int32_t y) { return (static_cast<float>(y) - l.offsetY) / l.scale; }

PanelFrame panelFrameOf(const PanelLayout& l, int32_t width, int32_t height) {
    return PanelFrame{panelXOf(l, 0), panelYOf(l, 0), panelXOf(l, width), panelYOf(l, height)};
}
