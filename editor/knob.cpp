// The knob painter. No status is examined, so a failed call leaves just its
// own element out.
#include "knob.h"

#include <cmath>

#include "panel_geometry.h"
#include "panel_style.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
using namespace panel_style;

Rect inset(const KnobSpec& k, int32_t by) {
    return Rect(k.cx - k.radius + by, k.cy - k.radius + by, 2 * k.radius - 2 * by, 2 * k.radius - 2 * by);
}

// Text centred both ways on a point: a zero-sized layout box neither clips
// nor wraps.
void drawCentredText(GpGraphics* g, const PanelResources& r, const wchar_t* text, GpFont* font,
                     GpSolidFill* brush, int32_t x, int32_t y) {
    if (!font) return;
    const RectF anchor(static_cast<REAL>(x), static_cast<REAL>(y), 0.0f, 0.0f);
    GdipDrawString(g, text, -1, font, &anchor, r.centredBoth, brush);
}

// Body, rim and track.
void drawBody(GpGraphics* g, const PanelResources& r, const KnobSpec& knob) {
    const Rect body = inset(knob, 0);
    const Rect arc = inset(knob, kArcInset);
    // The gradient is anchored to the knob's own square, so each knob has its
    // own brush, made only when its body is drawn.
    GpLineGradient* bodyBrush = nullptr;
    GdipCreateLineBrushFromRectI(&body, kKnobBodyTopLeft, kKnobBodyBottomRight, LinearGradientModeForwardDiagonal,
                                 WrapModeTile, &bodyBrush);
    GdipFillEllipseI(g, bodyBrush, body.X, body.Y, body.Width, body.Height);
    if (bodyBrush) GdipDeleteBrush(bodyBrush);
    GdipDrawEllipseI(g, r.rim, body.X, body.Y, body.Width, body.Height);
    GdipDrawArcI(g, r.track, arc.X, arc.Y, arc.Width, arc.Height, kArcStartDeg, kFullSweepDeg);
}

void drawCaption(GpGraphics* g, const PanelResources& r, const KnobSpec& knob) {
    drawCentredText(g, r, knob.caption, r.captionFont, r.caption, knob.cx, knob.cy + knob.radius + kCaptionDrop);
}

// Value arc, pointer and cap.
void drawMarks(GpGraphics* g, const PanelResources& r, int32_t param, float value) {
    const KnobSpec& knob = kParamTable[param].knob;
    const Rect arc = inset(knob, kArcInset);
    const Rect cap = inset(knob, kCapInset);
    // A value of 0 still draws, with a sweep of 0.
    const float sweep = kFullSweepDeg * value;
    GdipDrawArcI(g, r.valueArc[param], arc.X, arc.Y, arc.Width, arc.Height, kArcStartDeg, sweep);

    const float angleDeg = sweep + kArcStartDeg;
    const float angleRad = static_cast<float>(angleDeg * 3.141592653589793 / 180.0);
    const float length = static_cast<float>(knob.radius - kPointerShortfall);
    const float tipX = static_cast<float>(knob.cx) + cosf(angleRad) * length;
    const float tipY = static_cast<float>(knob.cy) + sinf(angleRad) * length;
    GdipDrawLine(g, r.pointer, static_cast<REAL>(knob.cx), static_cast<REAL>(knob.cy), tipX, tipY);

    // The cap hides the pointer's inner part: only a short tick stays visible.
    GdipFillEllipseI(g, r.cap, cap.X, cap.Y, cap.Width, cap.Height);
}

void drawValueText(GpGraphics* g, const PanelResources& r, int32_t param, const wchar_t* valueText) {
    const KnobSpec& knob = kParamTable[param].knob;
    drawCentredText(g, r, valueText, r.valueFont, r.valueText[param], knob.cx,
                    knob.cy + knob.radius + kValueTextDrop);
}
}  // namespace

void drawKnobBase(GpGraphics* g, const PanelResources& r, const KnobSpec& knob) {
    drawBody(g, r, knob);
    drawCaption(g, r, knob);
}

void drawKnobValue(GpGraphics* g, const PanelResources& r, int32_t param, float value,
                   const wchar_t* valueText) {
    drawMarks(g, r, param, value);
    drawValueText(g, r, param, valueText);
}

void drawKnob(GpGraphics* g, const PanelResources& r, int32_t param, float value, const wchar_t* valueText) {
    drawBody(g, r, kParamTable[param].knob);
    drawMarks(g, r, param, value);
    drawCaption(g, r, kParamTable[param].knob);
    drawValueText(g, r, param, valueText);
}

