// No status is examined: a failed call leaves just its own element out.
#include "gdiplus_canvas.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// A gradient is anchored to its box, so it is made for its fill; a solid
// colour's brush is the window's.
GpBrush* brushOf(PanelResources& r, const PanelFill& fill) {
    if (fill.kind == FillKind::kSolid) return panelBrush(r, fill.from);
    const RectF box(fill.x, fill.y, fill.w, fill.h);
    const LinearGradientMode mode =
        fill.kind == FillKind::kVertical ? LinearGradientModeVertical : LinearGradientModeForwardDiagonal;
    GpLineGradient* gradient = nullptr;
    GdipCreateLineBrushFromRect(&box, fill.from, fill.to, mode, WrapModeTile, &gradient);
    return gradient;
}

void releaseFill(GpBrush* brush, const PanelFill& fill) {
    if (brush && fill.kind != FillKind::kSolid) GdipDeleteBrush(brush);
}

}  // namespace

GdiplusCanvas::GdiplusCanvas(HDC dc, const PanelLayout& layout, PanelResources& r) : graphics(nullptr), resources(r) {
    GdipCreateFromHDC(dc, &graphics);
    if (!graphics) return;
    GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
    GdipSetTextRenderingHint(graphics, TextRenderingHintClearTypeGridFit);
    // Vectors and text are rasterised at the device's resolution.
    if (!isIdentity(layout)) {
        GdipTranslateWorldTransform(graphics, layout.offsetX, layout.offsetY, MatrixOrderPrepend);
        GdipScaleWorldTransform(graphics, layout.scale, layout.scale, MatrixOrderPrepend);
    }
}

GdiplusCanvas::~GdiplusCanvas() {
    if (graphics) GdipDeleteGraphics(graphics);
}

void GdiplusCanvas::fillRect(float x, float y, float w, float h, const PanelFill& fill) {
    GpBrush* brush = brushOf(resources, fill);
    GdipFillRectangle(graphics, brush, x, y, w, h);
    releaseFill(brush, fill);
}

void GdiplusCanvas::fillEllipse(float x, float y, float w, float h, const PanelFill& fill) {
    GpBrush* brush = brushOf(resources, fill);
    GdipFillEllipse(graphics, brush, x, y, w, h);
    releaseFill(brush, fill);
}

void GdiplusCanvas::strokeRect(float x, float y, float w, float h, const PanelStroke& stroke) {
    GdipDrawRectangle(graphics, panelPen(resources, stroke), x, y, w, h);
}

void GdiplusCanvas::strokeEllipse(float x, float y, float w, float h, const PanelStroke& stroke) {
    GdipDrawEllipse(graphics, panelPen(resources, stroke), x, y, w, h);
}

void GdiplusCanvas::strokeArc(float x, float y, float w, float h, float startDeg, float sweepDeg,
                              const PanelStroke& stroke) {
    GdipDrawArc(graphics, panelPen(resources, stroke), x, y, w, h, startDeg, sweepDeg);
}

void GdiplusCanvas::strokeLine(float x0, float y0, float x1, float y1, const PanelStroke& stroke) {
    GdipDrawLine(graphics, panelPen(resources, stroke), x0, y0, x1, y1);
}

// A zero-sized layout box neither clips nor wraps.
void GdiplusCanvas::drawText(const char* text, const PanelFont& font, TextAnchor anchor, PanelColour colour, float x,
                             float y) {
    GpFont* made = panelFont(resources, font);
    if (!made) return;
    wchar_t wide[256];
    if (MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 256) == 0) return;
    GpStringFormat* format = anchor == TextAnchor::kTopLeft    ? nullptr
                             : anchor == TextAnchor::kTopCentre ? resources.centred
                                                                : resources.centredBoth;
    const RectF origin(x, y, 0.0f, 0.0f);
    GdipDrawString(graphics, wide, -1, made, &origin, format, panelBrush(resources, colour));
}
