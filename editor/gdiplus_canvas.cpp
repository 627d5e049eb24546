// No status is examined: a failed call leaves just its own element out.
#include "gdiplus_canvas.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

GpBrush* brushOf(const PanelFill& fill) {
    if (fill.kind == FillKind::kSolid) {
        GpSolidFill* solid = nullptr;
        GdipCreateSolidFill(fill.from, &solid);
        return solid;
    }
    const RectF box(fill.x, fill.y, fill.w, fill.h);
    const LinearGradientMode mode =
        fill.kind == FillKind::kVertical ? LinearGradientModeVertical : LinearGradientModeForwardDiagonal;
    GpLineGradient* gradient = nullptr;
    GdipCreateLineBrushFromRect(&box, fill.from, fill.to, mode, WrapModeTile, &gradient);
    return gradient;
}

void release(GpBrush* brush) {
    if (brush) GdipDeleteBrush(brush);
}

GpPen* penOf(const PanelStroke& stroke) {
    GpPen* pen = nullptr;
    GdipCreatePen1(stroke.colour, stroke.width, UnitWorld, &pen);
    return pen;
}

void release(GpPen* pen) {
    if (pen) GdipDeletePen(pen);
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
    GpBrush* brush = brushOf(fill);
    GdipFillRectangle(graphics, brush, x, y, w, h);
    release(brush);
}

void GdiplusCanvas::fillEllipse(float x, float y, float w, float h, const PanelFill& fill) {
    GpBrush* brush = brushOf(fill);
    GdipFillEllipse(graphics, brush, x, y, w, h);
    release(brush);
}

void GdiplusCanvas::strokeRect(float x, float y, float w, float h, const PanelStroke& stroke) {
    GpPen* pen = penOf(stroke);
    GdipDrawRectangle(graphics, pen, x, y, w, h);
    release(pen);
}

void GdiplusCanvas::strokeEllipse(float x, float y, float w, float h, const PanelStroke& stroke) {
    GpPen* pen = penOf(stroke);
    GdipDrawEllipse(graphics, pen, x, y, w, h);
    release(pen);
}

void GdiplusCanvas::strokeArc(float x, float y, float w, float h, float startDeg, float sweepDeg,
                              const PanelStroke& stroke) {
    GpPen* pen = penOf(stroke);
    GdipDrawArc(graphics, pen, x, y, w, h, startDeg, sweepDeg);
    release(pen);
}

void GdiplusCanvas::strokeLine(float x0, float y0, float x1, float y1, const PanelStroke& stroke) {
    GpPen* pen = penOf(stroke);
    GdipDrawLine(graphics, pen, x0, y0, x1, y1);
    release(pen);
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
    GpSolidFill* brush = nullptr;
    GdipCreateSolidFill(colour, &brush);
    const RectF origin(x, y, 0.0f, 0.0f);
    GdipDrawString(graphics, wide, -1, made, &origin, format, brush);
    release(brush);
}
