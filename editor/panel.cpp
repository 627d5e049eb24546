// The panel painter. Elements follow the panel's drawing order; the fixed
// layer holds exactly the elements that no value-dependent element lies
// beneath, so copying it and drawing the rest on top gives the same pixels
// as drawing everything in order.
#include "panel.h"

#include <cmath>
#include <cstring>
#include <cwchar>

#include "knob.h"
#include "panel_style.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

using namespace panel_style;

constexpr int kReadoutChars = 64;

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

void formatReadout(wchar_t (&text)[kReadoutChars], float shownReduction, float glueParam) {
    const float glue = unitValue(kGlue, glueParam);
    swprintf(text, kReadoutChars, L"GAIN REDUCTION: -%.1f dB \u2022 GLUE: %.0f%%",
             static_cast<double>(shownReduction), static_cast<double>(glue));
}

// Background, corner dots, title block, meter window with its scale arc, the
// knobs' bodies, tracks and captions, and the footer.
void drawFixedLayer(GpGraphics* g, const PanelResources& r, int32_t w, int32_t h) {
    const Rect frame(0, 0, w, h);
    GpLineGradient* background = nullptr;
    GdipCreateLineBrushFromRectI(&frame, kBackgroundTop, kBackgroundBottom, LinearGradientModeVertical,
                                 WrapModeTile, &background);
    GdipFillRectangleI(g, background, 0, 0, w, h);
    if (background) GdipDeleteBrush(background);

    GdipFillEllipseI(g, r.cornerDot, 12, 12, 10, 10);
    GdipFillEllipseI(g, r.cornerDot, w - 22, 12, 10, 10);
    GdipFillEllipseI(g, r.cornerDot, 12, h - 22, 10, 10);
    GdipFillEllipseI(g, r.cornerDot, w - 22, h - 22, 10, 10);

    drawText(g, L"DORLIN QUILLET\u2122", r.titleFont, nullptr, r.rose, 28, 20);
    drawText(g, L"INVERTED TRANSFORMER VCA GLUE COMPRESSOR \u2022 580 ATTRACTOR SOFT-KNEE", r.subtitleFont,
             nullptr, r.muted, 29, 44);

    GdipFillRectangleI(g, r.meterFill, 260, 85, 320, 175);
    GdipDrawRectangleI(g, r.meterBorder, 260, 85, 320, 175);
    GdipDrawArc(g, r.scaleArc, 300, 110, 240, 240, 210.0f, 120.0f);
    for (int i = 0; i < 5; ++i)
        if (i != kLabelUnderNeedle) drawScaleLabel(g, r, kScaleLabels[i]);

    for (int32_t i = 0; i < kParamCount; ++i)
        if (hasKnob(i)) drawKnobBase(g, r, kParamTable[i].knob);

    drawText(g, r.footerText, r.footerFont,
             r.centred, r.muted, static_cast<float>(w) * 0.5f, static_cast<float>(h - 22));
}

// Needle, pivot, readout and the scale label the needle can run under.
void drawMeterPart(GpGraphics* g, const PanelResources& r, const PanelValues& v) {
    const NeedleTip tip = needleTipFor(v.meter);
    GdipDrawLine(g, r.needle, kPivotX, kPivotY, tip.x, tip.y);
    GdipFillEllipse(g, r.pivot, 414, 224, 12, 12);

    wchar_t readout[kReadoutChars];
    formatReadout(readout, tip.shownReduction, v.params[kGlue]);
    drawText(g, readout, r.readoutFont, r.centred, r.rose, 420, 236);

    drawScaleLabel(g, r, kScaleLabels[kLabelUnderNeedle]);
}

// A knob's value arc, pointer, cap and value text.
void drawKnobPart(GpGraphics* g, const PanelResources& r, const PanelValues& v, int32_t param) {
    wchar_t valueText[32];
    const float shown = unitValue(static_cast<ParamIndex>(param), v.params[param]);
    swprintf(valueText, 32, kParamTable[param].knob.valueFormat, static_cast<double>(shown));
    drawKnobValue(g, r, param, v.params[param], valueText);
}

bool hasPart(int part) { return (kAllParts >> part) & 1u; }

// The moving parts in the panel's order: the meter, then the knobs.
void drawMovingParts(GpGraphics* g, const PanelResources& r, const PanelValues& v, uint32_t parts) {
    if (parts & (1u << kMeterPart)) drawMeterPart(g, r, v);
    for (int32_t i = 0; i < kParamCount; ++i)
        if (hasPart(i) && (parts & (1u << i))) drawKnobPart(g, r, v, i);
}

bool sameMeterPart(const PanelValues& a, const PanelValues& b) {
    const NeedleTip ta = needleTipFor(a.meter), tb = needleTipFor(b.meter);
    if (ta.x != tb.x || ta.y != tb.y) return false;
    wchar_t readoutA[kReadoutChars], readoutB[kReadoutChars];
    formatReadout(readoutA, ta.shownReduction, a.params[kGlue]);
    formatReadout(readoutB, tb.shownReduction, b.params[kGlue]);
    return wcscmp(readoutA, readoutB) == 0;
}

uint32_t partsReaching(const RECT& area) {
    uint32_t parts = 0;
    for (int part = 0; part <= kMeterPart; ++part) {
        RECT box = panelPartBox(part), overlap;
        if (hasPart(part) && IntersectRect(&overlap, &box, &area)) parts |= 1u << part;
    }
    return parts;
}

void copyAreas(HDC to, HDC from, const RECT* areas, int count) {
    for (int i = 0; i < count; ++i)
        BitBlt(to, areas[i].left, areas[i].top, areas[i].right - areas[i].left, areas[i].bottom - areas[i].top,
               from, areas[i].left, areas[i].top, SRCCOPY);
}

GpGraphics* graphicsOn(HDC dc) {
    GpGraphics* g = nullptr;
    GdipCreateFromHDC(dc, &g);
    GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
    GdipSetTextRenderingHint(g, TextRenderingHintClearTypeGridFit);
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

// Draws the fixed layer into the cache, for a new client size.
void buildCache(PanelCache& cache, const PanelResources& r, HDC hdc, int32_t w, int32_t h) {
    releasePanelCache(cache);
    cache.width = w;
    cache.height = h;
    if (!createSurface(cache.frame, hdc, w, h) || !createSurface(cache.layer, hdc, w, h)) return;
    GpGraphics* g = graphicsOn(cache.layer.dc);
    if (!g) return;
    drawFixedLayer(g, r, w, h);
    GdipDeleteGraphics(g);
    cache.layerReady = true;
}

// Both layers, without any cache.
void drawWholePanel(GpGraphics* g, const PanelResources& r, const PanelValues& v, int32_t w, int32_t h) {
    drawFixedLayer(g, r, w, h);
    drawMovingParts(g, r, v, kAllParts);
}

}  // namespace

NeedleTip needleTipFor(float g) {
    if (!(g < 18.0f)) g = 18.0f;
    else if (!(g > 0.0f)) g = 0.0f;
    const float degrees = 330.0f - (g / 18.0f) * 120.0f;
    const float radians = static_cast<float>(degrees * 3.141592653589793 / 180.0);
    return NeedleTip{kPivotX + kNeedleLength * cosf(radians), kPivotY + kNeedleLength * sinf(radians), g};
}

RECT panelPartBox(int part) {
    // The meter window holds the needle, the readout and the labels.
    if (part == kMeterPart) return RECT{260, 85, 581, 261};
    // The knob's square, and below it the value text (centred, at most about
    // 60 pixels wide, 7 above and below its anchor at radius + 28); the boxes
    // of neighbouring knobs do not meet.
    const KnobSpec& k = kParamTable[part].knob;
    const int32_t half = k.radius + 10;
    return RECT{k.cx - half, k.cy - k.radius - 4, k.cx + half, k.cy + k.radius + 40};
}

uint32_t partsThatDiffer(const PanelValues& now, const PanelValues& knobsShown, const PanelValues& meterShown) {
    uint32_t parts = 0;
    for (int32_t i = 0; i < kParamCount; ++i)
        if (hasPart(i) && std::memcmp(&now.params[i], &knobsShown.params[i], sizeof(float)) != 0)
            parts |= 1u << i;
    if (!sameMeterPart(now, meterShown)) parts |= 1u << kMeterPart;
    return parts;
}


uint32_t paintPanel(PanelCache& cache, const PanelResources& r, const PanelValues& v, HDC hdc, int32_t w,
                    int32_t h, const RECT* areas, int areaCount) {
    if (w <= 0 || h <= 0) return 0;
    if (cache.width != w || cache.height != h) buildCache(cache, r, hdc, w, h);
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
    GpGraphics* g = nullptr;
    if (cache.layerReady) {
        // Only the areas are composed; every part reaching into one is drawn
        // whole, so each of their pixels gets its full stack of elements.
        parts = 0;
        for (int i = 0; i < count; ++i) parts |= partsReaching(inside[i]);
        copyAreas(target, cache.layer.dc, inside, count);
        g = graphicsOn(target);
        drawMovingParts(g, r, v, parts);
    } else {
        g = graphicsOn(target);
        drawWholePanel(g, r, v, w, h);
    }
    if (g) GdipDeleteGraphics(g);
    if (target != hdc) copyAreas(hdc, target, inside, count);
    releaseSurface(passing);
    return parts;
}

void releasePanelCache(PanelCache& cache) {
    releaseSurface(cache.layer);
    releaseSurface(cache.frame);
    cache = PanelCache{};
}
