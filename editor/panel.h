#pragma once
// The editor panel on Windows in two layers: everything that never changes
// with a value is drawn once per client size into a cached bitmap; a paint
// copies it and draws only what the knob values and the meter move.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>

#include "../dsp/parameters.h"
#include "panel_layout.h"
#include "panel_parts.h"
#include "panel_resources.h"

// The Windows box of a panel box, and back.
inline RECT rectOf(const PanelBox& b) { return RECT{b.left, b.top, b.right, b.bottom}; }
inline PanelBox boxOf(const RECT& r) {
    return PanelBox{static_cast<int32_t>(r.left), static_cast<int32_t>(r.top), static_cast<int32_t>(r.right),
                    static_cast<int32_t>(r.bottom)};
}

// An off-screen bitmap selected into its own memory device context.
struct PanelSurface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
};

// The cached fixed layer and the frame a paint is composed in, for one client
// size and layout. `layerReady` is false until the fixed layer is drawn, and
// stays false when the bitmaps cannot be made (every paint is then drawn in full).
struct PanelCache {
    PanelSurface layer, frame;
    int32_t width, height;
    PanelLayout layout;
    bool layerReady;
};

// Editor UI thread, between BeginPaint and EndPaint. The panel stands in the
// client area as panelLayoutFor(width, height, scale) places it. Builds the
// cache when the client size or the layout differs from the cached one, then
// composes the `areas` (device pixels) of the frame (the fixed layer and
// every moving part that reaches into one) and copies them to `hdc`. Returns
// the moving parts drawn. A zero-sized client area paints nothing; areas
// beyond kMaxPaintAreas are ignored (pass their bounding box instead).
constexpr int kMaxPaintAreas = 32;
uint32_t paintPanel(PanelCache& cache, PanelResources& resources, const PanelValues& values, HDC hdc,
                    int32_t width, int32_t height, const RECT* areas, int areaCount, double scale = 1.0);
void releasePanelCache(PanelCache& cache);

// The whole panel drawn straight into `hdc` from scratch, every element in
// the panel's order, with no cache, placed as paintPanel places it: the
// pixels the cached paint must give, and the paint itself when the cache
// cannot be made.
void paintWholePanel(PanelResources& resources, const PanelValues& values, HDC hdc, int32_t width,
                     int32_t height, double scale = 1.0);
