// The editor panel as it was painted before the fixed layer was cached: every
// element in order, every GDI+ object made and released within each paint.
// Test-only: the reference the shipped painter must match pixel for pixel.
#include "reference_panel.h"

#include <gdiplus.h>

#include <cmath>
#include <cwchar>

#include "../../dsp/parameters.h"

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

void drawKnob(GpGraphics* g, int32_t cx, int32_t cy, int32_t r, float value, const wchar_t* label,
              const wchar_t* valueText, uint32_t accentColor) {
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

    GpFontFamily* family = nullptr;
    GdipCreateFontFamilyFromName(L"Inter", nullptr, &family);
    GpFont* captionFont = nullptr;
    GdipCreateFont(family, 10.0f, FontStyleBold, UnitPixel, &captionFont);
    GpFont* valueFont = nullptr;
    GdipCreateFont(family, 11.5f, FontStyleRegular, UnitPixel, &valueFont);
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
    GdipDeleteFontFamily(family);
    GdipDeleteBrush(capBrush);
    GdipDeletePen(pointerPen);
    GdipDeletePen(valuePen);
    GdipDeletePen(trackPen);
    GdipDeletePen(rimPen);
    GdipDeleteBrush(bodyBrush);
}

constexpr ARGB kBackgroundTop = 0xFF0A0C12;
constexpr ARGB kBackgroundBottom = 0xFF040508;
constexpr ARGB kCornerDot = 0xFF2D3444;
constexpr ARGB kRose = 0xFFF43F5E;
constexpr ARGB kMuted = 0xB48C96AF;
constexpr ARGB kMeterFill = 0xFF0E1018;
constexpr ARGB kMeterBorder = 0x50F43F5E;
constexpr ARGB kScaleArc = 0x64FFFFFF;
constexpr ARGB kPivot = 0xFFF0CB64;

constexpr float kPivotX = 420.0f, kPivotY = 230.0f, kNeedleLength = 115.0f;

struct ScaleLabel {
    const wchar_t* text;
    float x, y;
};
const ScaleLabel kScaleLabels[] = {
    {L"0", 540, 135}, {L"-3", 490, 115}, {L"-6", 412, 107}, {L"-12", 340, 115}, {L"-18", 290, 135},
};

// The GDI+ objects of one paint, kept in creation order so that they can be
// released in exactly the reverse order.
struct PaintObjects {
    enum Kind { kBrush, kPen, kFont, kFamily, kFormat };
    struct Entry {
        Kind kind;
        void* object;
    };
    Entry entries[40];
    int count = 0;

    template <class T> T* keep(Kind kind, T* object) {
        if (count < static_cast<int>(sizeof entries / sizeof entries[0]))
            entries[count++] = Entry{kind, object};
        return object;
    }
    GpSolidFill* solid(ARGB color) {
        GpSolidFill* brush = nullptr;
        GdipCreateSolidFill(color, &brush);
        return keep(kBrush, brush);
    }
    GpPen* pen(ARGB color, float width) {
        GpPen* pen = nullptr;
        GdipCreatePen1(color, width, UnitWorld, &pen);
        return keep(kPen, pen);
    }
    GpFontFamily* family(const wchar_t* name) {
        GpFontFamily* family = nullptr;
        GdipCreateFontFamilyFromName(name, nullptr, &family);
        return keep(kFamily, family);
    }
    GpFont* font(GpFontFamily* family, float pixels, int style) {
        GpFont* font = nullptr;
        GdipCreateFont(family, pixels, style, UnitPixel, &font);
        return keep(kFont, font);
    }
    void releaseAll() {
        while (count > 0) {
            const Entry& e = entries[--count];
            switch (e.kind) {
            case kBrush: GdipDeleteBrush(static_cast<GpBrush*>(e.object)); break;
            case kPen: GdipDeletePen(static_cast<GpPen*>(e.object)); break;
            case kFont: GdipDeleteFont(static_cast<GpFont*>(e.object)); break;
            case kFamily: GdipDeleteFontFamily(static_cast<GpFontFamily*>(e.object)); break;
            case kFormat: GdipDeleteStringFormat(static_cast<GpStringFormat*>(e.object)); break;
            }
        }
    }
};

struct NeedleTip {
    float x, y;
    float shownReduction;
};

NeedleTip needleTipFor(float g) {
    if (!(g < 18.0f)) g = 18.0f;
    else if (!(g > 0.0f)) g = 0.0f;
    const float degrees = 330.0f - (g / 18.0f) * 120.0f;
    const float radians = static_cast<float>(degrees * 3.141592653589793 / 180.0);
    return NeedleTip{kPivotX + kNeedleLength * cosf(radians), kPivotY + kNeedleLength * sinf(radians), g};
}

void drawText(GpGraphics* g, const wchar_t* text, GpFont* font, GpStringFormat* format, GpBrush* brush,
              float x, float y) {
    const RectF origin(x, y, 0.0f, 0.0f);
    GdipDrawString(g, text, -1, font, &origin, format, brush);
}

void drawPanel(GpGraphics* g, const float* params, float meter, int32_t w, int32_t h, PaintObjects& objects) {
    GpFontFamily* cinzel = objects.family(L"Cinzel");
    GpFontFamily* inter = objects.family(L"Inter");
    GpFont* titleFont = objects.font(cinzel, 18.0f, FontStyleBold);
    GpFont* subtitleFont = objects.font(inter, 9.5f, FontStyleBold);
    GpFont* readoutFont = objects.font(inter, 11.0f, FontStyleBold);
    GpFont* scaleFont = objects.font(inter, 8.5f, FontStyleRegular);
    GpFont* footerFont = objects.font(inter, 9.0f, FontStyleRegular);
    GpStringFormat* centred = nullptr;
    GdipCreateStringFormat(0, LANG_NEUTRAL, &centred);
    objects.keep(PaintObjects::kFormat, centred);
    GdipSetStringFormatAlign(centred, StringAlignmentCenter);

    const Rect frame(0, 0, w, h);
    GpLineGradient* background = nullptr;
    GdipCreateLineBrushFromRectI(&frame, kBackgroundTop, kBackgroundBottom, LinearGradientModeVertical,
                                 WrapModeTile, &background);
    objects.keep(PaintObjects::kBrush, background);
    GdipFillRectangleI(g, background, 0, 0, w, h);

    GpSolidFill* dotBrush = objects.solid(kCornerDot);
    GdipFillEllipseI(g, dotBrush, 12, 12, 10, 10);
    GdipFillEllipseI(g, dotBrush, w - 22, 12, 10, 10);
    GdipFillEllipseI(g, dotBrush, 12, h - 22, 10, 10);
    GdipFillEllipseI(g, dotBrush, w - 22, h - 22, 10, 10);

    GpSolidFill* rose = objects.solid(kRose);
    drawText(g, L"DORLIN QUILLET\u2122", titleFont, nullptr, rose, 28, 20);
    GpSolidFill* muted = objects.solid(kMuted);
    drawText(g, L"INVERTED TRANSFORMER VCA GLUE COMPRESSOR \u2022 580 ATTRACTOR SOFT-KNEE", subtitleFont,
             nullptr, muted, 29, 44);

    GdipFillRectangleI(g, objects.solid(kMeterFill), 260, 85, 320, 175);
    GdipDrawRectangleI(g, objects.pen(kMeterBorder, 1.2f), 260, 85, 320, 175);
    GdipDrawArc(g, objects.pen(kScaleArc, 2.0f), 300, 110, 240, 240, 210.0f, 120.0f);

    // The meter is read once, so needle and readout show the same value.
    const NeedleTip tip = needleTipFor(meter);
    GdipDrawLine(g, objects.pen(kRose, 2.5f), kPivotX, kPivotY, tip.x, tip.y);
    GdipFillEllipse(g, objects.solid(kPivot), 414, 224, 12, 12);

    wchar_t readout[64];
    const float glue = unitValue(kGlue, params[kGlue]);
    swprintf(readout, 64, L"GAIN REDUCTION: -%.1f dB \u2022 GLUE: %.0f%%",
             static_cast<double>(tip.shownReduction), static_cast<double>(glue));
    drawText(g, readout, readoutFont, centred, rose, 420, 236);

    for (const ScaleLabel& label : kScaleLabels)
        drawText(g, label.text, scaleFont, nullptr, muted, label.x, label.y);

    wchar_t valueText[32];
    for (int32_t i = 0; i < kParamCount; ++i) {
        if (kParamTable[i].knob.radius <= 0) continue;
        const KnobSpec& knob = kParamTable[i].knob;
        const ParamIndex param = static_cast<ParamIndex>(i);
        const float shown = unitValue(param, params[i]);
        swprintf(valueText, 32, knob.valueFormat, static_cast<double>(shown));
        drawKnob(g, knob.cx, knob.cy, knob.radius, params[i],
                 knob.caption, valueText, knob.accent);
    }

    drawText(g, L"DORLIN AUDIO TECHNOLOGIES \u2022 64-BIT NATIVE VST2 \u2022 ZERO LATENCY VCA GLUE", footerFont,
             centred, muted, static_cast<float>(w) * 0.5f, static_cast<float>(h - 22));
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

    PaintObjects objects;
    drawPanel(g, params, meter, w, h, objects);

    BitBlt(hdc, 0, 0, w, h, memoryDc, 0, 0, SRCCOPY);

    objects.releaseAll();
    GdipDeleteGraphics(g);
    SelectObject(memoryDc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
}
