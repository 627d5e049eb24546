// The knob painter. Every GDI+ object it makes lives for this call only and is
// released in the reverse order of creation; no status is examined, so a
// failed call leaves just its own element out.
#include "knob.h"

#include <cmath>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
constexpr float kArcStartDeg = 150.0f;
constexpr float kFullSweepDeg = 240.0f;
constexpr ARGB kBodyTopLeft = 0xFF1E222E;
constexpr ARGB kBodyBottomRight = 0xFF0C0E14;
constexpr ARGB kRimColor = 0x78FFFFFF;
constexpr ARGB kTrackColor = 0x3CFFFFFF;
constexpr ARGB kPointerColor = 0xFFFFFFFF;
constexpr ARGB kCapColor = 0xFF10131A;
constexpr ARGB kCaptionColor = 0xDCC8D2E6;
constexpr int32_t kArcInset = 5;
constexpr int32_t kCapInset = 18;
constexpr int32_t kPointerShortfall = 12;

// Text centred both ways on a point: a zero-sized layout box neither clips
// nor wraps.
void drawCentredText(GpGraphics* g, const wchar_t* text, GpFont* font, GpStringFormat* format,
                     GpBrush* brush, int32_t x, int32_t y) {
    const RectF anchor(static_cast<REAL>(x), static_cast<REAL>(y), 0.0f, 0.0f);
    GdipDrawString(g, text, -1, font, &anchor, format, brush);
}
}  // namespace

void drawKnob(GpGraphics* g, int32_t cx, int32_t cy, int32_t r, float value, const wchar_t* label,
              const wchar_t* valueText, uint32_t accentColor, GpFontFamily* textFamily) {
    const Rect body(cx - r, cy - r, 2 * r, 2 * r);
    const Rect arc(cx - r + kArcInset, cy - r + kArcInset, 2 * r - 2 * kArcInset, 2 * r - 2 * kArcInset);
    const Rect cap(cx - r + kCapInset, cy - r + kCapInset, 2 * r - 2 * kCapInset, 2 * r - 2 * kCapInset);

    GpLineGradient* bodyBrush = nullptr;
    GdipCreateLineBrushFromRectI(&body, kBodyTopLeft, kBodyBottomRight,
                                 LinearGradientModeForwardDiagonal, WrapModeTile, &bodyBrush);
    GdipFillEllipseI(g, bodyBrush, body.X, body.Y, body.Width, body.Height);

    GpPen* rimPen = nullptr;
    GdipCreatePen1(kRimColor, 1.5f, UnitWorld, &rimPen);
    GdipDrawEllipseI(g, rimPen, body.X, body.Y, body.Width, body.Height);

    GpPen* trackPen = nullptr;
    GdipCreatePen1(kTrackColor, 4.0f, UnitWorld, &trackPen);
    GdipDrawArcI(g, trackPen, arc.X, arc.Y, arc.Width, arc.Height, kArcStartDeg, kFullSweepDeg);

    // Half a pixel wider than the track, so it covers the track where it runs.
    const float sweep = kFullSweepDeg * value;
    GpPen* valuePen = nullptr;
    GdipCreatePen1(accentColor, 4.5f, UnitWorld, &valuePen);
    GdipDrawArcI(g, valuePen, arc.X, arc.Y, arc.Width, arc.Height, kArcStartDeg, sweep);

    const float angleDeg = sweep + kArcStartDeg;
    const float angleRad = static_cast<float>(angleDeg * 3.141592653589793 / 180.0);
    const float length = static_cast<float>(r - kPointerShortfall);
    const float tipX = static_cast<float>(cx) + cosf(angleRad) * length;
    const float tipY = static_cast<float>(cy) + sinf(angleRad) * length;
    GpPen* pointerPen = nullptr;
    GdipCreatePen1(kPointerColor, 2.5f, UnitWorld, &pointerPen);
    GdipDrawLine(g, pointerPen, static_cast<REAL>(cx), static_cast<REAL>(cy), tipX, tipY);

    // The cap hides the pointer's inner part: only a short tick stays visible.
    GpSolidFill* capBrush = nullptr;
    GdipCreateSolidFill(kCapColor, &capBrush);
    GdipFillEllipseI(g, capBrush, cap.X, cap.Y, cap.Width, cap.Height);

    GpFont* captionFont = nullptr;
    GdipCreateFont(textFamily, 10.0f, FontStyleBold, UnitPixel, &captionFont);
    GpFont* valueFont = nullptr;
    GdipCreateFont(textFamily, 11.5f, FontStyleRegular, UnitPixel, &valueFont);
    GpStringFormat* format = nullptr;
    GdipCreateStringFormat(0, LANG_NEUTRAL, &format);
    GdipSetStringFormatAlign(format, StringAlignmentCenter);
    GdipSetStringFormatLineAlign(format, StringAlignmentCenter);
    GpSolidFill* captionBrush = nullptr;
    GdipCreateSolidFill(kCaptionColor, &captionBrush);
    GpSolidFill* valueBrush = nullptr;
    GdipCreateSolidFill(accentColor, &valueBrush);

    drawCentredText(g, label, captionFont, format, captionBrush, cx, cy + r + 14);
    drawCentredText(g, valueText, valueFont, format, valueBrush, cx, cy + r + 28);

    GdipDeleteBrush(valueBrush);
    GdipDeleteBrush(captionBrush);
    GdipDeleteStringFormat(format);
    GdipDeleteFont(valueFont);
    GdipDeleteFont(captionFont);
    GdipDeleteBrush(capBrush);
    GdipDeletePen(pointerPen);
    GdipDeletePen(valuePen);
    GdipDeletePen(trackPen);
    GdipDeletePen(rimPen);
    GdipDeleteBrush(bodyBrush);
}
