#pragma once
#include <windows.h>
#include <gdiplus.h>
// The panel's two font families: each from the system when it is installed
// there, otherwise from the copy embedded in the DLL. A family that cannot be
// had either way stays null (its texts are then not drawn).
struct PanelFontFamilies {
    Gdiplus::GpFontFamily* cinzel;
    Gdiplus::GpFontFamily* inter;
};
// Editor UI thread, GDI+ started. Never fails loudly: a missing or damaged resource leaves only that family null.
// `module` carries the faces (the DLL; a program that links the editor in
// carries none).
PanelFontFamilies createPanelFontFamilies(HMODULE module);
// Releases the families; leaves both null.
void releasePanelFontFamilies(PanelFontFamilies& fonts);
// The collection is the process's one, made on first need and deleted here,
// once no window holds families from it (the last instance, before GDI+ stops):
// Wine's GDI+ never frees a face added to a private collection, so a
// collection per window would grow the process by the faces' size (0.85 MB)
// with every editor opened.
void releaseEmbeddedPanelFonts();
