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

// Any thread. The faces are made once per process and kept for its life:
// Cairo's font caches may hold them after any window is gone, so the module
// stays loaded once it loaded them (see editor_cairo's link options).
const CairoFace& cairoFaceFor(PanelFamily family, bool bold);
