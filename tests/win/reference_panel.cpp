// The editor panel as it was painted before the fixed layer was cached: every
// drawing object made for the paint and every element drawn in the panel's
// order, off-screen, then copied in one transfer. Test-only: the reference
// the shipped painter must match pixel for pixel, whatever order it draws in.
#include "reference_panel.h"

#include <cmath>
#include <cwchar>

#include "../../editor/panel.h"
#include "../../editor/panel_geometry.h"
#include "../../editor/panel_style.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;
using namespace panel_style;

namespace {

void drawText(GpGraphics* g, const wchar_t* text, GpFont* font, GpStringFormat* format, GpBrush* brush,
              float x, float y) {
    const RectF origin(x, y, 0.0f, 0.0f);
    GdipDrawString(g, text, -1, font, &origin, format, brush);
}

// Body, rim, track, value arc, pointer, cap, caption, value text.
void drawKnob(GpGraphics* g, const PanelResources& r, int32_t param, float value, const wchar_t* valueText) {
    const KnobSpec& k = kParamTable[param].knob;
    const Rect body(k.cx - k.radius, k.cy - k.radius, 2 * k.radius, 2 * k.radius);
    const Rect arc(body.X + kArcInset, body.Y + kArcInset, body.Width - 2 * kArcInset, body.Height - 2 * kArcInset);
    const Rect cap(body.X + kCapInset, body.Y + kCapInset, body.Width - 2 * kCapInset, body.Height - 2 * kCapInset);

    GpLineGradient* bodyBrush = nullptr;
    GdipCreateLineBrushFromRectI(&body, kKnobBodyTopLeft, kKnobBodyBottomRight, LinearGradientModeForwardDiagonal,
                                 WrapModeTile, &bodyBrush);
    GdipFillEllipseI(g, bodyBrush, body.X, body.Y, body.Width, body.Height);
    GdipDeleteBrush(bodyBrush);
    GdipDrawEllipseI(g, r.rim, body.X, body.Y, body.Width, body.Height);
    GdipDrawArcI(g, r.track, arc.X, arc.Y, arc.Width, arc.Height, kArcStartDeg, kFullSweepDeg);

    const float sweep = kFullSweepDeg * value;
    GdipDrawArcI(g, r.valueArc[param], arc.X, arc.Y, arc.Width, arc.Height, kArcStartDeg, sweep);
    const float angle = static_cast<float>((sweep + kArcStartDeg) * 3.141592653589793 / 180.0);
    const float length = static_cast<float>(k.radius - kPointerShortfall);
    GdipDrawLine(g, r.pointer, static_cast<REAL>(k.cx), static_cast<REAL>(k.cy),
                 static_cast<float>(k.cx) + cosf(angle) * length, static_cast<float>(k.cy) + sinf(angle) * length);
    GdipFillEllipseI(g, r.cap, cap.X, cap.Y, cap.Width, cap.Height);

    drawText(g, k.caption, r.captionFont, r.centredBoth, r.caption, static_cast<float>(k.cx),
             static_cast<float>(k.cy + k.radius + 14));
    drawText(g, valueText, r.valueFont, r.centredBoth, r.valueText[param], static_cast<float>(k.cx),
             static_cast<float>(k.cy + k.radius + 28));
}

void drawPanel(GpGraphics* g, const PanelResources& r, const float* params, float meter, int32_t w, int32_t h) {
    const Rect frame(0, 0, w, h);
    GpLineGradient* background = nullptr;
    GdipCreateLineBrushFromRectI(&frame, kBackgroundTop, kBackgroundBottom, LinearGradientModeVertical,
                                 WrapModeTile, &background);
    GdipFillRectangleI(g, background, 0, 0, w, h);
    GdipDeleteBrush(background);

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

    const NeedleTip tip = needleTipFor(meter);
    GdipDrawLine(g, r.needle, kPivotX, kPivotY, tip.x, tip.y);
    GdipFillEllipse(g, r.pivot, 414, 224, 12, 12);

    wchar_t readout[64];
    swprintf(readout, 64, L"GAIN REDUCTION: -%.1f dB \u2022 GLUE: %.0f%%", static_cast<double>(tip.shownReduction),
             static_cast<double>(unitValue(kGlue, params[kGlue])));
    drawText(g, readout, r.readoutFont, r.centred, r.rose, 420, 236);

    const struct {
        const wchar_t* text;
        float x, y;
    } labels[] = {{L"0", 540, 135}, {L"-3", 490, 115}, {L"-6", 412, 107}, {L"-12", 340, 115}, {L"-18", 290, 135}};
    for (const auto& label : labels) drawText(g, label.text, r.scaleFont, nullptr, r.muted, label.x, label.y);

    wchar_t valueText[32];
    for (int32_t i = 0; i < kParamCount; ++i) {
        if (!hasKnob(i)) continue;
        swprintf(valueText, 32, kParamTable[i].knob.valueFormat,
                 static_cast<double>(unitValue(static_cast<ParamIndex>(i), params[i])));
        drawKnob(g, r, i, params[i], valueText);
    }

    drawText(g, L"DORLIN AUDIO TECHNOLOGIES \u2022 64-BIT NATIVE VST2 \u2022 ZERO LATENCY VCA GLUE", r.footerFont,
             r.centred, r.muted, static_cast<float>(w) * 0.5f, static_cast<float>(h - 22));
}

}  // namespace

void paintReferencePanel(HDC hdc, const float* params, float meter, int32_t w, int32_t h) {
    HDC memoryDc = CreateCompatibleDC(hdc);
    HBITMAP bitmap = CreateCompatibleBitmap(hdc, w, h);
    HGDIOBJ previousBitmap = SelectObject(memoryDc, bitmap);
    GpGraphics* g = nullptr;
    GdipCreateFromHDC(memoryDc, &g);
    GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
    GdipSetTextRenderingHint(g, TextRenderingHintClearTypeGridFit);

    PanelResources resources = createPanelResources(GetModuleHandleA(nullptr));
    drawPanel(g, resources, params, meter, w, h);
    BitBlt(hdc, 0, 0, w, h, memoryDc, 0, 0, SRCCOPY);

    releasePanelResources(resources);
    GdipDeleteGraphics(g);
    SelectObject(memoryDc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
}
