#include "panel_resources.h"

#include <initializer_list>

#include "panel_style.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

using namespace panel_style;

GpFont* font(GpFontFamily* family, float pixels, int style) {
    GpFont* f = nullptr;
    if (family) GdipCreateFont(family, pixels, style, UnitPixel, &f);
    return f;
}
GpStringFormat* format(bool centredVertically) {
    GpStringFormat* f = nullptr;
    GdipCreateStringFormat(0, LANG_NEUTRAL, &f);
    GdipSetStringFormatAlign(f, StringAlignmentCenter);
    if (centredVertically) GdipSetStringFormatLineAlign(f, StringAlignmentCenter);
    return f;
}
GpSolidFill* solid(ARGB color) {
    GpSolidFill* b = nullptr;
    GdipCreateSolidFill(color, &b);
    return b;
}
GpPen* pen(ARGB color, float width) {
    GpPen* p = nullptr;
    GdipCreatePen1(color, width, UnitWorld, &p);
    return p;
}

// The footer's words around the format's name (ASCII), cut to fit.
void writeFooterText(wchar_t (&out)[96], const char* formatName) {
    size_t n = 0;
    auto append = [&](const wchar_t* text) {
        for (; *text && n + 1 < 96; ++text) out[n++] = *text;
    };
    append(L"DORLIN AUDIO TECHNOLOGIES \u2022 64-BIT NATIVE ");
    for (; *formatName && n + 1 < 96; ++formatName) out[n++] = static_cast<wchar_t>(*formatName);
    append(L" \u2022 ZERO LATENCY VCA GLUE");
    out[n] = 0;
}

}  // namespace

PanelResources createPanelResources(HMODULE module, const char* formatName) {
    PanelResources r{};
    writeFooterText(r.footerText, formatName ? formatName : "VST2");
    r.families = createPanelFontFamilies(module);
    GpFontFamily* cinzel = r.families.cinzel;
    GpFontFamily* inter = r.families.inter;
    r.titleFont = font(cinzel, 18.0f, FontStyleBold);
    r.subtitleFont = font(inter, 9.5f, FontStyleBold);
    r.readoutFont = font(inter, 11.0f, FontStyleBold);
    r.scaleFont = font(inter, 8.5f, FontStyleRegular);
    r.footerFont = font(inter, 9.0f, FontStyleRegular);
    r.captionFont = font(inter, 10.0f, FontStyleBold);
    r.valueFont = font(inter, 11.5f, FontStyleRegular);
    r.centred = format(false);
    r.centredBoth = format(true);
    r.cornerDot = solid(kCornerDot);
    r.rose = solid(kRose);
    r.muted = solid(kMuted);
    r.meterFill = solid(kMeterFill);
    r.meterBorder = pen(kMeterBorder, 1.2f);
    r.scaleArc = pen(kScaleArc, 2.0f);
    r.needle = pen(kRose, 2.5f);
    r.pivot = solid(kPivot);
    r.rim = pen(kRim, 1.5f);
    r.track = pen(kTrack, 4.0f);
    r.pointer = pen(kPointer, 2.5f);
    r.cap = solid(kCap);
    r.caption = solid(kCaption);
    for (int i = 0; i < kParamCount; ++i) {
        if (!hasKnob(i)) continue;
        const KnobSpec& knob = kParamTable[i].knob;
        // Half a pixel wider than the track, so it covers the track where it runs.
        r.valueArc[i] = pen(knob.accent, 4.5f);
        r.valueText[i] = solid(knob.accent);
    }
    return r;
}

// GDI+ accepts no null object: every release checks.
void releasePanelResources(PanelResources& r) {
    auto brush = [](GpSolidFill*& b) {
        if (b) GdipDeleteBrush(b);
        b = nullptr;
    };
    auto penOf = [](GpPen*& p) {
        if (p) GdipDeletePen(p);
        p = nullptr;
    };
    auto fontOf = [](GpFont*& f) {
        if (f) GdipDeleteFont(f);
        f = nullptr;
    };
    for (int i = kParamCount - 1; i >= 0; --i) {
        brush(r.valueText[i]);
        penOf(r.valueArc[i]);
    }
    brush(r.caption);
    brush(r.cap);
    penOf(r.pointer);
    penOf(r.track);
    penOf(r.rim);
    brush(r.pivot);
    penOf(r.needle);
    penOf(r.scaleArc);
    penOf(r.meterBorder);
    brush(r.meterFill);
    brush(r.muted);
    brush(r.rose);
    brush(r.cornerDot);
    for (GpStringFormat** f : {&r.centredBoth, &r.centred}) {
        if (*f) GdipDeleteStringFormat(*f);
        *f = nullptr;
    }
    fontOf(r.valueFont);
    fontOf(r.captionFont);
    fontOf(r.footerFont);
    fontOf(r.scaleFont);
    fontOf(r.readoutFont);
    fontOf(r.subtitleFont);
    fontOf(r.titleFont);
    releasePanelFontFamilies(r.families);
}
