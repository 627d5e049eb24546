// The panel's font families. Neither Inter nor Cinzel comes with Windows, so
// the DLL carries the Regular and Bold faces of both as RCDATA resources; a
// family the system lacks is made from those copies, loaded into a GDI+
// private collection. An installed family is preferred, so a machine that has
// the fonts paints exactly as it always did.
#include "panel_fonts.h"

#include <cstdint>

#include "panel_font_resources.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

struct EmbeddedFamily {
    const wchar_t* name;
    int faces[2];  // regular, bold
};
const EmbeddedFamily kCinzel{L"Cinzel", {PANEL_FONT_CINZEL_REGULAR, PANEL_FONT_CINZEL_BOLD}};
const EmbeddedFamily kInter{L"Inter", {PANEL_FONT_INTER_REGULAR, PANEL_FONT_INTER_BOLD}};

constexpr DWORD kLargestFace = 16u << 20;  // the faces are well under 1 MB

uint32_t bigEndian(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

// A minimal check before GDI+ parses the bytes: a TrueType or OpenType tag and
// a table directory that fits. Deeper damage is left to the font loader,
// which then refuses the face.
bool plausibleFace(const uint8_t* data, DWORD size) {
    if (!data || size < 12 || size > kLargestFace) return false;
    const uint32_t tag = bigEndian(data, 4);
    if (tag != 0x00010000 && tag != 0x74727565 /* true */ && tag != 0x4F54544F /* OTTO */) return false;
    return 12 + 16 * bigEndian(data + 4, 2) <= size;
}

// Adds one embedded face to the collection; a missing or implausible
// resource adds nothing. Resource memory stays valid while the DLL is loaded.
void addEmbeddedFace(GpFontCollection* collection, HMODULE module, int resourceId) {
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RCDATA */)
                         : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (plausibleFace(data, size)) GdipPrivateAddMemoryFont(collection, data, static_cast<INT>(size));
}

GpFontFamily* installedFamily(const wchar_t* name) {
    GpFontFamily* family = nullptr;
    GdipCreateFontFamilyFromName(name, nullptr, &family);
    return family;
}

// The process's collection of embedded faces, each family's faces added once.
struct EmbeddedFaces {
    GpFontCollection* collection = nullptr;
    bool cinzelAdded = false, interAdded = false;
};
EmbeddedFaces embeddedFaces;  // editor UI thread

// The family from the DLL's own faces, the collection made on first need.
GpFontFamily* embeddedFamily(HMODULE module, const EmbeddedFamily& wanted, bool& added) {
    if (!embeddedFaces.collection) GdipNewPrivateFontCollection(&embeddedFaces.collection);
    if (!embeddedFaces.collection) return nullptr;
    if (!added)
        for (int face : wanted.faces) addEmbeddedFace(embeddedFaces.collection, module, face);
    added = true;
    GpFontFamily* family = nullptr;
    GdipCreateFontFamilyFromName(wanted.name, embeddedFaces.collection, &family);
    return family;
}

}  // namespace

PanelFontFamilies createPanelFontFamilies(HMODULE module) {
    PanelFontFamilies fonts{installedFamily(kCinzel.name), installedFamily(kInter.name)};
    if (!fonts.cinzel) fonts.cinzel = embeddedFamily(module, kCinzel, embeddedFaces.cinzelAdded);
    if (!fonts.inter) fonts.inter = embeddedFamily(module, kInter, embeddedFaces.interAdded);
    return fonts;
}

void releasePanelFontFamilies(PanelFontFamilies& fonts) {
    if (fonts.inter) GdipDeleteFontFamily(fonts.inter);
    if (fonts.cinzel) GdipDeleteFontFamily(fonts.cinzel);
    fonts = PanelFontFamilies{nullptr, nullptr};
}

void releaseEmbeddedPanelFonts() {
    if (embeddedFaces.collection) GdipDeletePrivateFontCollection(&embeddedFaces.collection);
    embeddedFaces = EmbeddedFaces{};
}
