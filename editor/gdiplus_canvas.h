#pragma once
// The panel's drawing interface over GDI+: one per paint, on a device context.
#include <windows.h>
#include <gdiplus.h>

#include "panel_canvas.h"
#include "panel_layout.h"
#include "panel_resources.h"

struct GdiplusCanvas final : PanelCanvas {
    // Anti-aliased, ClearType text; panel units placed by `layout` (at scale
    // 1 at the origin, no transform at all).
    GdiplusCanvas(HDC dc, const PanelLayout& layout, PanelResources& resources);
    ~GdiplusCanvas();
    GdiplusCanvas(const GdiplusCanvas&) = delete;
    GdiplusCanvas& operator=(const GdiplusCanvas&) = delete;
    // False when GDI+ gave no graphics for the device context: nothing draws.
    bool ready() const { return graphics != nullptr; }

    void fillRect(float x, float y, float w, float h, const PanelFill& fill) override;
    void fillEllipse(float x, float y, float w, float h, const PanelFill& fill) override;
    void strokeRect(float x, float y, float w, float h, const PanelStroke& stroke) override;
    void strokeEllipse(float x, float y, float w, float h, const PanelStroke& stroke) override;
    void strokeArc(float x, float y, float w, float h, float startDeg, float sweepDeg,
                   const PanelStroke& stroke) override;
    void strokeLine(float x0, float y0, float x1, float y1, const PanelStroke& stroke) override;
    void drawText(const char* text, const PanelFont& font, TextAnchor anchor, PanelColour colour, float x,
                  float y) override;

    Gdiplus::GpGraphics* graphics;
    PanelResources& resources;
};
