#pragma once
// The panel's faces for Cairo, loaded through FreeType from the bytes the
// module carries, never from the system's fonts.
#include <cairo.h>

#include "../panel_canvas.h"

// A face's metrics as a fraction of its size: the line's height above and
// below the baseline, from the face's Windows metrics, as the Windows
// editor's text layout uses them.
struct CairoFace {
    cairo_font_face_t* face;  // null when the face could not be loaded
    double ascent, descent;
};

// Any thread. The faces are made on first use and kept while the module is
// loaded; Cairo's font caches may keep them longer, and then own everything
// they need (see cairo_fonts.cpp), so the module can be unloaded.
const CairoFace& cairoFaceFor(PanelFamily family, bool bold);
