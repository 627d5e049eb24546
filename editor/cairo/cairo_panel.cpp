// The panel with Cairo: the fixed layer drawn once per window size and
// layout into an image of its own; a paint copies its areas into an
// off-screen frame, draws the moving parts that reach into them on top, and
// copies the areas to the target in one go (no half-drawn state on screen).
#include "cairo_panel.h"

#include <new>

#include "../panel_drawing.h"
#include "cairo_canvas.h"

struct CairoPanel {
    char footerText[kFooterChars];
    cairo_surface_t* layer;  // null until made, or when it cannot be
    cairo_surface_t* frame;
    int32_t width, height;
    PanelLayout layout;
};

namespace {

constexpr int kMaxAreas = 32;  // beyond these, the rest are ignored (pass their bounding box instead)

void releaseSurfaces(CairoPanel& p) {
    if (p.layer) cairo_surface_destroy(p.layer);
    if (p.frame) cairo_surface_destroy(p.frame);
    p.layer = p.frame = nullptr;
}

cairo_surface_t* makeImage(int32_t w, int32_t h) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) return s;
    cairo_surface_destroy(s);
    return nullptr;
}

// The fixed layer for a new size or layout; without memory for both images
// every paint draws the whole panel instead.
void buildLayer(CairoPanel& p, int32_t w, int32_t h, const PanelLayout& layout) {
    releaseSurfaces(p);
    p.width = w;
    p.height = h;
    p.layout = layout;
    p.layer = makeImage(w, h);
    p.frame = p.layer ? makeImage(w, h) : nullptr;
    if (!p.frame) return releaseSurfaces(p);
    cairo_t* cr = cairo_create(p.layer);
    {
        CairoCanvas canvas(cr, layout);
        drawFixedLayer(canvas, panelFrameOf(layout, w, h), p.footerText);
    }
    cairo_destroy(cr);
    cairo_surface_flush(p.layer);
}

void clipTo(cairo_t* cr, const PanelBox* boxes, int count) {
    for (int i = 0; i < count; ++i)
        cairo_rectangle(cr, boxes[i].left, boxes[i].top, boxes[i].right - boxes[i].left,
                        boxes[i].bottom - boxes[i].top);
    cairo_clip(cr);
}

}  // namespace

CairoPanel* createCairoPanel(const char* formatName) {
    CairoPanel* panel = new (std::nothrow) CairoPanel{};
    if (panel) writeFooterText(panel->footerText, formatName ? formatName : "");
    return panel;
}

void destroyCairoPanel(CairoPanel* panel) {
    if (!panel) return;
    releaseSurfaces(*panel);
    delete panel;
}

uint32_t paintCairoPanel(CairoPanel& p, cairo_t* target, const PanelValues& v, int32_t w, int32_t h,
                         const PanelBox* areas, int areaCount, double scale) {
    if (!target || w <= 0 || h <= 0) return 0;
    const PanelLayout layout = panelLayoutFor(w, h, scale);
    if (p.width != w || p.height != h || !sameLayout(p.layout, layout)) buildLayer(p, w, h, layout);
    // Only the areas inside the client area count.
    const PanelBox client{0, 0, w, h};
    PanelBox inside[kMaxAreas];
    int count = 0;
    for (int i = 0; i < areaCount && count < kMaxAreas; ++i)
        if (intersectBoxes(areas[i], client, &inside[count])) ++count;
    if (count == 0) return 0;

    cairo_save(target);
    clipTo(target, inside, count);
    uint32_t parts = kAllParts;
    if (p.layer) {
        // Every part reaching into an area is drawn whole, so each of their
        // pixels gets its full stack of elements.
        parts = 0;
        for (int i = 0; i < count; ++i) parts |= partsReaching(inside[i], layout);
        cairo_t* cr = cairo_create(p.frame);
        clipTo(cr, inside, count);
        cairo_set_source_surface(cr, p.layer, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        {
            CairoCanvas canvas(cr, layout);
            drawMovingParts(canvas, v, parts);
        }
        cairo_destroy(cr);
        cairo_surface_flush(p.frame);
        cairo_set_source_surface(target, p.frame, 0, 0);
        cairo_set_operator(target, CAIRO_OPERATOR_SOURCE);
        cairo_paint(target);
    } else {
        CairoCanvas canvas(target, layout);
        drawWholePanel(canvas, v, panelFrameOf(layout, w, h), p.footerText);
    }
    cairo_restore(target);
    return parts;
}
