#pragma once
// The GDI+ objects of one editor window that never change between paints:
// made when the window is created, released in the reverse order when it is
// destroyed. Each has a field of its own, so none can go untracked.
#include <windows.h>
#include <gdiplus.h>

#include "../dsp/parameters.h"
#include "panel_fonts.h"

using Gdiplus::GpFont;
using Gdiplus::GpFontFamily;
using Gdiplus::GpGraphics;
using Gdiplus::GpPen;
using Gdiplus::GpSolidFill;
using Gdiplus::GpStringFormat;

struct PanelResources {
    // A family that can be had neither from the system nor from the DLL stays
    // null, and so do its fonts: their texts are then not drawn.
    PanelFontFamilies families;
    GpFont* titleFont;
    GpFont* subtitleFont;
    GpFont* readoutFont;
    GpFont* scaleFont;
    GpFont* footerFont;
    GpFont* captionFont;
    GpFont* valueFont;
    GpStringFormat* centred;      // centred across, top at the origin
    GpStringFormat* centredBoth;  // centred both ways on the origin
    GpSolidFill* cornerDot;
    GpSolidFill* rose;
    GpSolidFill* muted;
    GpSolidFill* meterFill;
    GpPen* meterBorder;
    GpPen* scaleArc;
    GpPen* needle;
    GpSolidFill* pivot;
    GpPen* rim;
    GpPen* track;
    GpPen* pointer;
    GpSolidFill* cap;
    GpSolidFill* caption;
    GpPen* valueArc[kParamCount];     // in each knob's accent; null without a knob
    GpSolidFill* valueText[kParamCount];
    wchar_t footerText[96];  // names the plug-in format the panel runs in
};

// `module` carries the embedded font faces (see panel_fonts.h); `formatName`
// is the host format the footer names ("VST2", "VST3", "CLAP").
PanelResources createPanelResources(HMODULE module, const char* formatName = "VST2");
void releasePanelResources(PanelResources& resources);
