#include "panel_resources.h"

#include <initializer_list>

#include "panel_style.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

GpStringFormat* format(bool centredVertically) {
    GpStringFormat* f = nullptr;
    GdipCreateStringFormat(0, LANG_NEUTRAL, &f);
    GdipSetStringFormatAlign(f, StringAlignmentCenter);
    if (centredVertically) GdipSetStringFormatLineAlign(f, StringAlignmentCenter);
    return f;
}

bool sameFont(const PanelFont& a, const PanelFont& b) {
    return a.family == b.family && a.bold == b.bold && a.pixels == b.pixels;
}

}  // namespace

PanelResources createPanelResources(HMODULE module, const char* formatName) {
    PanelResources r{};
    writeFooterText(r.footerText, formatName ? formatName : "VST2");
    r.families = createPanelFontFamilies(module);
    // Every face the panel uses is made with the window, before anything is
    // drawn: Wine's GDI+ then draws the moving parts of a scaled panel about a
    // fifth faster than from faces made on first use (paint_bench at 200 %).
    for (const PanelFont& f : panel_style::kPanelFonts) panelFont(r, f);
    r.centred = format(false);
    r.centredBoth = format(true);
    return r;
}

GpFont* panelFont(PanelResources& r, const PanelFont& wanted) {
    for (int i = 0; i < r.fontCount; ++i)
        if (sameFont(r.fonts[i].font, wanted)) return r.fonts[i].made;
    GpFontFamily* family = wanted.family == PanelFamily::kCinzel ? r.families.cinzel : r.families.inter;
    GpFont* made = nullptr;
    if (family) GdipCreateFont(family, wanted.pixels, wanted.bold ? FontStyleBold : FontStyleRegular, UnitPixel, &made);
    // The panel uses seven faces: a slot is always free for them.
    if (r.fontCount == kPanelFontSlots) {
        if (made) GdipDeleteFont(made);
        return nullptr;
    }
    r.fonts[r.fontCount++] = PanelFontSlot{wanted, made};
    return made;
}

GpPen* panelPen(PanelResources& r, const PanelStroke& stroke) {
    for (int i = 0; i < r.penCount; ++i)
        if (r.pens[i].stroke.colour == stroke.colour && r.pens[i].stroke.width == stroke.width) return r.pens[i].made;
    if (r.penCount == kPanelPenSlots) return nullptr;  // the panel uses 13
    GpPen* made = nullptr;
    GdipCreatePen1(stroke.colour, stroke.width, UnitWorld, &made);
    r.pens[r.penCount++] = PanelPenSlot{stroke, made};
    return made;
}

GpSolidFill* panelBrush(PanelResources& r, PanelColour colour) {
    for (int i = 0; i < r.brushCount; ++i)
        if (r.brushes[i].colour == colour) return r.brushes[i].made;
    if (r.brushCount == kPanelBrushSlots) return nullptr;  // the panel uses 13
    GpSolidFill* made = nullptr;
    GdipCreateSolidFill(colour, &made);
    r.brushes[r.brushCount++] = PanelBrushSlot{colour, made};
    return made;
}

// GDI+ accepts no null object: every release checks.
void releasePanelResources(PanelResources& r) {
    for (int i = r.brushCount - 1; i >= 0; --i)
        if (r.brushes[i].made) GdipDeleteBrush(r.brushes[i].made);
    r.brushCount = 0;
    for (int i = r.penCount - 1; i >= 0; --i)
        if (r.pens[i].made) GdipDeletePen(r.pens[i].made);
    r.penCount = 0;
    for (GpStringFormat** f : {&r.centredBoth, &r.centred}) {
        if (*f) GdipDeleteStringFormat(*f);
        *f = nullptr;
    }
    for (int i = r.fontCount - 1; i >= 0; --i)
        if (r.fonts[i].made) GdipDeleteFont(r.fonts[i].made);
    r.fontCount = 0;
    releasePanelFontFamilies(r.families);
}
