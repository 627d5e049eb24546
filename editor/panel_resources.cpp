#include "panel_resources.h"

#include <initializer_list>

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

// GDI+ accepts no null object: every release checks.
void releasePanelResources(PanelResources& r) {
    for (GpStringFormat** f : {&r.centredBoth, &r.centred}) {
        if (*f) GdipDeleteStringFormat(*f);
        *f = nullptr;
    }
    for (int i = r.fontCount - 1; i >= 0; --i)
        if (r.fonts[i].made) GdipDeleteFont(r.fonts[i].made);
    r.fontCount = 0;
    releasePanelFontFamilies(r.families);
}
