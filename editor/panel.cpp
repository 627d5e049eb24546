// The panel on a Windows device context: the fixed layer cached in a bitmap,
// composed with the moving parts in an off-screen frame (see panel_drawing.h).
#include "panel.h"

#include "gdiplus_canvas.h"
#include "panel_drawing.h"

namespace {

void copyAreas(HDC to, HDC from, const RECT* areas, int count) {
    for (int i = 0; i < count; ++i)
        BitBlt(to, areas[i].left, areas[i].top, areas[i].right - areas[i].left, areas[i].bottom - areas[i].top,
               from, areas[i].left, areas[i].top, SRCCOPY);
}

bool createSurface(PanelSurface& s, HDC compatibleWith, int32_t w, int32_t h) {
    s.dc = CreateCompatibleDC(compatibleWith);
    s.bitmap = s.dc ? CreateCompatibleBitmap(compatibleWith, w, h) : nullptr;
    s.previousBitmap = s.bitmap ? SelectObject(s.dc, s.bitmap) : nullptr;
    return s.previousBitmap != nullptr;
}

void releaseSurface(PanelSurface& s) {
    if (s.previousBitmap) SelectObject(s.dc, s.previousBitmap);
    if (s.bitmap) DeleteObject(s.bitmap);
    if (s.dc) DeleteDC(s.dc);
    s = PanelSurface{};
}

// Draws the fixed layer into the cache, in device pixels, for a new client
// size or layout.
void buildCache(PanelCache& cache, PanelResources& r, HDC hdc, int32_t w, int32_t h, const PanelLayout& layout) {
    releasePanelCache(cache);
    cache.width = w;
    cache.height = h;
    cache.layout = layout;
    if (!createSurface(cache.frame, hdc, w, h) || !createSurface(cache.layer, hdc, w, h)) return;
    GdiplusCanvas canvas(cache.layer.dc, layout, r);
    if (!canvas.ready()) return;
    drawFixedLayer(canvas, panelFrameOf(layout, w, h), r.footerText);
    cache.layerReady = true;
}

}  // namespace

uint32_t paintPanel(PanelCache& cache, PanelResources& r, const PanelValues& v, HDC hdc, int32_t w,
                    int32_t h, const RECT* areas, int areaCount, double scale) {
    if (w <= 0 || h <= 0) return 0;
    const PanelLayout layout = panelLayoutFor(w, h, scale);
    if (cache.width != w || cache.height != h || !sameLayout(cache.layout, layout))
        buildCache(cache, r, hdc, w, h, layout);
    // Only the areas inside the client area count.
    const RECT client{0, 0, w, h};
    RECT inside[kMaxPaintAreas];
    int count = 0;
    for (int i = 0; i < areaCount && count < kMaxPaintAreas; ++i)
        if (IntersectRect(&inside[count], &areas[i], &client)) ++count;
    if (count == 0) return 0;

    // Without a frame bitmap of its own the paint uses a passing one, and
    // without any it draws straight into the window: never a blank panel.
    PanelSurface passing{};
    const bool ownFrame = cache.frame.previousBitmap != nullptr;
    const bool haveFrame = ownFrame || createSurface(passing, hdc, w, h);
    HDC target = ownFrame ? cache.frame.dc : haveFrame ? passing.dc : hdc;

    uint32_t parts = kAllParts;
    if (cache.layerReady) {
        // Only the areas are composed; every part reaching into one is drawn
        // whole, so each of their pixels gets its full stack of elements.
        parts = 0;
        for (int i = 0; i < count; ++i) parts |= partsReaching(boxOf(inside[i]), layout);
        copyAreas(target, cache.layer.dc, inside, count);
        GdiplusCanvas canvas(target, layout, r);
        drawMovingParts(canvas, v, parts);
    } else {
        paintWholePanel(r, v, target, w, h, scale);
    }
    if (target != hdc) copyAreas(hdc, target, inside, count);
    releaseSurface(passing);
    return parts;
}

void paintWholePanel(PanelResources& r, const PanelValues& v, HDC hdc, int32_t w, int32_t h, double scale) {
    const PanelLayout layout = panelLayoutFor(w, h, scale);
    GdiplusCanvas canvas(hdc, layout, r);
    drawWholePanel(canvas, v, panelFrameOf(layout, w, h), r.footerText);
}

void releasePanelCache(PanelCache& cache) {
    releaseSurface(cache.layer);
    releaseSurface(cache.frame);
    cache = PanelCache{};
}
