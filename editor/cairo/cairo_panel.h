#pragma once
// The panel drawn with Cairo, for the Linux editors: one CairoPanel per
// window, holding the font faces and the cached fixed layer. Everything here
// runs on the editor's UI thread.
#include <cairo.h>

#include <cstdint>

#include "../panel_parts.h"

struct CairoPanel;  // one per window: the faces, the cached fixed layer

// `formatName` is the host format the footer names ("LV2" or "CLAP"). Null
// only when memory runs out; a panel whose faces cannot be had draws without
// its texts.
CairoPanel* createCairoPanel(const char* formatName);
void destroyCairoPanel(CairoPanel* panel);

// Paints the `areas` (device pixels) of the panel placed as panelLayoutFor(width, height, scale)
// places it, composing the cached fixed layer and the moving parts that reach into them; returns
// the moving parts drawn. `target`'s user space is in device pixels; areas beyond the first 32 are
// ignored (pass their bounding box instead). Without memory for its cached layer the panel draws
// every area in full.
uint32_t paintCairoPanel(CairoPanel& panel, cairo_t* target, const PanelValues& values, int32_t width,
                         int32_t height, const PanelBox* areas, int areaCount, double scale);
