// The panel painter. Elements follow the panel's drawing order; the fixed
// layer holds exactly the elements that no value-dependent element lies
// beneath, so copying it and drawing the rest on top gives the same pixels
// as drawing everything in order (paintWholePanel).
#include "panel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "../dsp/parameter_text.h"
#include "knob.h"
#include "panel_geometry.h"
#include "panel_style.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

using namespace panel_style;


struct ScaleLabel {
    const wchar_t* text;
    float x, y;
};
// Drawn after the needle. Only "-6" lies within the needle's reach (115
// pixels and half its width from the pivot); the others stay more than 4
// pixels beyond it and belong to the fixed layer.
const ScaleLabel kScaleLabels[] = {
    {L"0", 540, 135}, {L"-3", 490, 115}, {L"-6", 412, 107}, {L"-12", 340, 115}, {L"-18", 290, 135},
};
constexpr int kLabelUnderNeedle = 2;

void drawText(GpGraphics* g, const wchar_t* text, GpFont* font, GpStringFormat* format, GpSolidFill* brush,
              float x, float y) {
    if (!font) return;
    const RectF origin(x, y, 0.0f, 0.0f);
    GdipDrawString(g, text, -1, font, &origin, format, brush);
}

void drawScaleLabel(GpGraphics* g, const PanelResources& r, const ScaleLabel& label) {
    drawText(g, label.text, r.scaleFont, nullptr, r.muted, label.x, label.y);
}


// A parameter's text with unit (ASCII), widened for GDI+.
void formatValueText(wchar_t (&text)[kValueTextChars], int32_t param, float value) {
    char narrow[kValueTextChars];
    writeValueText(param, value, narrow, sizeof narrow);
    int i = 0;
    for (; narrow[i] != '\0'; ++i) text[i] = static_cast<unsigned char>(narrow[i]);
    text[i] = L'\0';
}

void formatReadout(wchar_t (&text)[kReadoutChars], float shownReduction, float glueParam) {
    wchar_t glue[kValueTextChars];
    formatValueText(glue, kGlue, glueParam);
    swprintf(text, kReadoutChars, L"GAIN REDUCTION: -%.1f dB \u2022 GLUE: %ls", static_cast<double>(shownReduction),
             glue);
}

// Background, corner dots and title block. Background and dots follow the
// edges of the client area (`f`, in panel units).
void drawBackdrop(GpGraphics* g, const PanelResources& r, const PanelFrame& f) {
    const RectF frame(f.left, f.top, f.right - f.left, f.bottom - f.top);
    GpLineGradient* background = nullptr;
    GdipCreateLineBrushFromRect(&frame, kBackgroundTop, kBackgroundBottom, LinearGradientModeVertical,
                                WrapModeTile, &background);
    GdipFillRectangle(g, background, frame.X, frame.Y, frame.Width, frame.Height);
    if (background) GdipDeleteBrush(background);

    const float left = f.left + kCornerDotInset, top = f.top + kCornerDotInset,
                right = f.right - kCornerDotInset - kCornerDotSize, bottom = f.bottom - kCornerDotInset - kCornerDotSize;
    GdipFillEllipse(g, r.cornerDot, left, top, kCornerDotSize, kCornerDotSize);
    GdipFillEllipse(g, r.cornerDot, right, top, kCornerDotSize, kCornerDotSize);
    GdipFillEllipse(g, r.cornerDot, left, bottom, kCornerDotSize, kCornerDotSize);
    GdipFillEllipse(g, r.cornerDot, right, bottom, kCornerDotSize, kCornerDotSize);

    drawText(g, L"DORLIN QUILLET\u2122", r.titleFont, nullptr, r.rose, kTitleX, kTitleY);
    drawText(g, L"INVERTED TRANSFORMER VCA GLUE COMPRESSOR \u2022 580 ATTRACTOR SOFT-KNEE", r.subtitleFont,
             nullptr, r.muted, kSubtitleX, kSubtitleY);
}

// The meter window with its scale arc.
void drawMeterWindow(GpGraphics* g, const PanelResources& r) {
    GdipFillRectangleI(g, r.meterFill, kMeterLeft, kMeterTop, kMeterWidth, kMeterHeight);
    GdipDrawRectangleI(g, r.meterBorder, kMeterLeft, kMeterTop, kMeterWidth, kMeterHeight);
    GdipDrawArc(g, r.scaleArc, kPivotX - kScaleRadius, kPivotY - kScaleRadius, 2.0f * kScaleRadius,
                2.0f * kScaleRadius, kScaleStartDeg, kScaleSweepDeg);
}

// Centred along the client area's bottom edge.
void drawFooter(GpGraphics* g, const PanelResources& r, const PanelFrame& f) {
    drawText(g, r.footerText, r.footerFont, r.centred, r.muted, (f.left + f.right) * 0.5f, f.bottom - kFooterRise);
}

// Backdrop, meter window, the scale labels the needle never reaches, the
// knobs' bodies, tracks and captions, and the footer.
void drawFixedLayer(GpGraphics* g, const PanelResources& r, const PanelFrame& f) {
    drawBackdrop(g, r, f);
    drawMeterWindow(g, r);
    for (int i = 0; i < static_cast<int>(std::size(kScaleLabels)); ++i)
        if (i != kLabelUnderNeedle) drawScaleLabel(g, r, kScaleLabels[i]);
    for (int32_t i = 0; i < kParamCount; ++i)
        if (hasKnob(i)) drawKnobBase(g, r, kParamTable[i].knob);
    drawFooter(g, r, f);
}

// Needle, pivot and readout.
void drawNeedleAndReadout(GpGraphics* g, const PanelResources& r, const PanelValues& v) {
    const NeedleTip tip = needleTipFor(v.meter);
    GdipDrawLine(g, r.needle, kPivotX, kPivotY, tip.x, tip.y);
    GdipFillEllipse(g, r.pivot, kPivotX - kPivotRadius, kPivotY - kPivotRadius, 2.0f * kPivotRadius,
                    2.0f * kPivotRadius);

    // The readout hangs centred under the pivot.
    wchar_t readout[kReadoutChars];
    formatReadout(readout, tip.shownReduction, v.params[kGlue]);
    drawText(g, readout, r.readoutFont, r.centred, r.rose, kPivotX, kPivotY + kPivotRadius);
}

// Needle, pivot, readout and the scale label the needle can run under.
void drawMeterPart(GpGraphics* g, const PanelResources& r, const PanelValues& v) {
    drawNeedleAndReadout(g, r, v);
    drawScaleLabel(g, r, kScaleLabels[kLabelUnderNeedle]);
}

// A knob's value arc, pointer, cap and value text.
void drawKnobPart(GpGraphics* g, const PanelResources& r, const PanelValues& v, int32_t param) {
    wchar_t valueText[kValueTextChars];
    formatValueText(valueText, param, v.params[param]);
    drawKnobValue(g, r, param, v.params[param], valueText);
}

// Every element in the panel's order: backdrop, meter window, needle and
// readout, every scale label, each knob whole, footer.
void drawWholePanel(GpGraphics* g, const PanelResources& r, const PanelValues& v, const PanelFrame& f) {
    drawBackdrop(g, r, f);
    drawMeterWindow(g, r);
    drawNeedleAndReadout(g, r, v);
    for (const ScaleLabel& label : kScaleLabels) drawScaleLabel(g, r, label);
    for (int32_t i = 0; i < kParamCount; ++i) {
        if (!hasKnob(i)) continue;
        wchar_t valueText[kValueTextChars];
        formatValueText(valueText, i, v.params[i]);
        drawKnob(g, r, i, v.params[i], valueText);
    }
    drawFooter(g, r, f);
}

// The moving parts in the panel's order: the meter, then the knobs.
void drawMovingParts(GpGraphics* g, const PanelResources& r, const PanelValues& v, uint32_t parts) {
    if (parts & (1u << kMeterPart)) drawMeterPart(g, r, v);
    for (int32_t i = 0; i < kParamCount; ++i)
        if (((kAllParts & parts) >> i) & 1u) drawKnobPart(g, r, v, i);
}

void copyAreas(HDC to, HDC from, const RECT* areas, int count) {
    for (int i = 0; i < count; ++i)
        BitBlt(to, areas[i].left, areas[i].top, areas[i].right - areas[i].left, areas[i].bottom - areas[i].top,
               from, areas[i].left, areas[i].top, SRCCOPY);
}

// Everything is drawn in panel units; at any other scale than 1 the world
// transform places them, so vectors and text are rasterised at the device's
// resolution. At scale 1 no transform is set at all.
GpGraphics* graphicsOn(HDC dc, const PanelLayout& layout) {
    GpGraphics* g = nullptr;
    GdipCreateFromHDC(dc, &g);
    GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
    GdipSetTextRenderingHint(g, TextRenderingHintClearTypeGridFit);
    if (g && !isIdentity(layout)) {
        GdipTranslateWorldTransform(g, layout.offsetX, layout.offsetY, MatrixOrderPrepend);
        GdipScaleWorldTransform(g, layout.scale, layout.scale, MatrixOrderPrepend);
    }
    return g;
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
void buildCache(PanelCache& cache, const PanelResources& r, HDC hdc, int32_t w, int32_t h, const PanelLayout& layout) {
    releasePanelCache(cache);
    cache.width = w;
    cache.height = h;
    cache.layout = layout;
    if (!createSurface(cache.frame, hdc, w, h) || !createSurface(cache.layer, hdc, w, h)) return;
    GpGraphics* g = graphicsOn(cache.layer.dc, layout);
    if (!g) return;
    drawFixedLayer(g, r, panelFrameOf(layout, w, h));
    GdipDeleteGraphics(g);
    cache.layerReady = true;
}

}  // namespace

uint32_t paintPanel(PanelCache& cache, const PanelResources& r, const PanelValues& v, HDC hdc, int32_t w,
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
        GpGraphics* g = graphicsOn(target, layout);
        drawMovingParts(g, r, v, parts);
        if (g) GdipDeleteGraphics(g);
    } else {
        paintWholePanel(r, v, target, w, h, scale);
    }
    if (target != hdc) copyAreas(hdc, target, inside, count);
    releaseSurface(passing);
    return parts;
}

void paintWholePanel(const PanelResources& r, const PanelValues& v, HDC hdc, int32_t w, int32_t h, double scale) {
    const PanelLayout layout = panelLayoutFor(w, h, scale);
    GpGraphics* g = graphicsOn(hdc, layout);
    drawWholePanel(g, r, v, panelFrameOf(layout, w, h));
    if (g) GdipDeleteGraphics(g);
}

void releasePanelCache(PanelCache& cache) {
    releaseSurface(cache.layer);
    releaseSurface(cache.frame);
    cache = PanelCache{};
}
