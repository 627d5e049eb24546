#pragma once
// Where the panel stands in the editor window's client area: a device pixel
// is offset + scale × panel units. Painting, invalidating and hit-testing
// all go through it, so they agree at every scale and on every platform.
#include <cstdint>

constexpr double kSmallestScale = 1.0, kLargestScale = 3.0;
constexpr int32_t kBaseDpi = 96;  // a scale of 1

// Any scale into [1, 3]; NaN reads as 1.
double clampScale(double scale);
// A DPI as a scale: dpi / 96 clamped; 0 or negative reads as 1.
double scaleForDpi(int32_t dpi);
// The panel's size in device pixels at `scale` (clamped to [1, 3]), rounded.
void panelSizeAt(double scale, int32_t* width, int32_t* height);

// A box of whole pixels, right and bottom exclusive.
struct PanelBox {
    int32_t left, top, right, bottom;
};
// Their common part; false (and `out` unspecified) when they do not overlap.
bool intersectBoxes(const PanelBox& a, const PanelBox& b, PanelBox* out);

struct PanelLayout {
    float scale;
    float offsetX, offsetY;  // device pixels
};

// The panel at `scale` (clamped to [1, 3]) from the client's top-left corner,
// as it has always stood; in a client too small for it (a host that kept a
// smaller frame), scaled down to fit and centred, never cropped.
PanelLayout panelLayoutFor(int32_t width, int32_t height, double scale);
bool sameLayout(const PanelLayout& a, const PanelLayout& b);
// Scale 1 at the origin: drawn without any transform.
bool isIdentity(const PanelLayout& layout);

// A box in panel units as device pixels, rounded outwards.
PanelBox deviceBoxOf(const PanelLayout& layout, const PanelBox& panelBox);
// A client pixel's position in panel units.
float panelXOf(const PanelLayout& layout, int32_t x);
float panelYOf(const PanelLayout& layout, int32_t y);

// The whole client area in panel units: background, corner dots and footer
// follow its edges.
struct PanelFrame {
    float left, top, right, bottom;
};
PanelFrame panelFrameOf(const PanelLayout& layout, int32_t width, int32_t height);
