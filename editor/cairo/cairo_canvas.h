#pragma once
// The panel's drawing interface over Cairo: one per paint, on a cairo_t whose
// user space is in device pixels.
#include <cairo.h>

#include "../panel_canvas.h"
#include "../panel_layout.h"

struct CairoCanvas final : PanelCanvas {
    // Panel units placed by `layout`; the caller's state comes back when the
    // canvas goes.
    CairoCanvas(cairo_t* cr, const PanelLayout& layout);
    ~CairoCanvas();
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    void fillRect(float x, float y, float w, float h, const PanelFill& fill) override;
    void fillEllipse(float x, float y, float w, float h, const PanelFill& fill) override;
    void strokeRect(float x, float y, float w, float h, const PanelStroke& stroke) override;
    void strokeEllipse(float x, float y, float w, float h, const PanelStroke& stroke) override;
    void strokeArc(float x, float y, float w, float h, float startDeg, float sweepDeg,
                   const PanelStroke& stroke) override;
    void strokeLine(float x0, float y0, float x1, float y1, const PanelStroke& stroke) override;
    void drawText(const char* text, const PanelFont& font, TextAnchor anchor, PanelColour colour, float x,
                  float y) override;

    cairo_t* cr;
};
