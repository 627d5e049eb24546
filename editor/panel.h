#pragma once
// The editor panel in two layers: everything that never changes with a value
// is drawn once per client size into a cached bitmap; a paint copies it and
// draws only what the knob values and the meter move.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>

#include "../dsp/parameters.h"
#include "panel_layout.h"
#include "panel_resources.h"

// What the panel shows that can change from paint to paint.
struct PanelValues {
    float params[kParamCount];  // normalised; only parameters with a knob are shown
    float meter;                // gain reduction in dB, as published by the engine
};

// Needle tip for a gain-reduction reading, and the reading it shows after the
// clamp (NaN and 18 dB or more show 18, anything not above 0 shows 0).
struct NeedleTip {
    float x, y;
    float shownReduction;
};
NeedleTip needleTipFor(float gainReductionDb);

// The moving parts: the knob of each parameter that has one (part i for
// parameter i), and the meter (needle, pivot, readout, scale labels). Each
// stays inside a box of its own; a set of parts is one bit per part.
constexpr int kMeterPart = kParamCount;
constexpr uint32_t movingParts() {
    uint32_t parts = 1u << kMeterPart;
    for (int i = 0; i < kParamCount; ++i)
        if (hasKnob(i)) parts |= 1u << i;
    return parts;
}
constexpr uint32_t kAllParts = movingParts();
RECT panelPartBox(int part);
// The parts whose pixels `now` would change: knobs against the values they
// were drawn from, the meter against the meter and glue it was drawn from.
uint32_t partsThatDiffer(const PanelValues& now, const PanelValues& knobsShown, const PanelValues& meterShown);

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
uint32_t paintPanel(PanelCache& cache, const PanelResources& resources, const PanelValues& values, HDC hdc,
                    int32_t width, int32_t height, const RECT* areas, int areaCount, double scale = 1.0);
void releasePanelCache(PanelCache& cache);

// The whole panel drawn straight into `hdc` from scratch, every element in
// the panel's order, with no cache, placed as paintPanel places it: the
// pixels the cached paint must give, and the paint itself when the cache
// cannot be made.
void paintWholePanel(const PanelResources& resources, const PanelValues& values, HDC hdc, int32_t width,
                     int32_t height, double scale = 1.0);
