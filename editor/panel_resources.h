#pragma once
// The GDI+ objects of one editor window that never change between paints:
// the panel's fonts and text formats, made when the window is created and
// released in the reverse order when it is destroyed.
#include <windows.h>
#include <gdiplus.h>

#include "panel_canvas.h"
#include "panel_drawing.h"
#include "panel_fonts.h"

// One font per text face the panel uses, made on first use.
constexpr int kPanelFontSlots = 8;
struct PanelFontSlot {
    PanelFont font;
    Gdiplus::GpFont* made;
};

struct PanelResources {
    // A family that can be had neither from the system nor from the DLL stays
    // null: its texts are then not drawn.
    PanelFontFamilies families;
    PanelFontSlot fonts[kPanelFontSlots];
    int fontCount;
    Gdiplus::GpStringFormat* centred;      // centred across, top at the origin
    Gdiplus::GpStringFormat* centredBoth;  // centred both ways on the origin
    char footerText[kFooterChars];         // names the plug-in format the panel runs in
};

// `module` carries the embedded font faces (see panel_fonts.h); `formatName`
// is the host format the footer names ("VST2", "VST3", "CLAP").
PanelResources createPanelResources(HMODULE module, const char* formatName = "VST2");
void releasePanelResources(PanelResources& resources);
// The font for a face, made on first use; null without its family.
Gdiplus::GpFont* panelFont(PanelResources& resources, const PanelFont& font);
