#include "cairo_fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <mutex>

#include "embedded_fonts.h"

namespace {

struct Faces {
    CairoFace cinzelBold, interRegular, interBold;
};

CairoFace load(FT_Library library, const unsigned char* begin, const unsigned char* end) {
    CairoFace made{nullptr, 0.0, 0.0};
    FT_Face face = nullptr;
    if (!library || FT_New_Memory_Face(library, begin, static_cast<FT_Long>(end - begin), 0, &face) != 0) return made;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double units = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    made.ascent = (os2 ? os2->usWinAscent : face->ascender) / units;
    made.descent = (os2 ? os2->usWinDescent : -face->descender) / units;
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (cairo_font_face_status(cairoFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
        return made;
    }
    made.face = cairoFace;
    return made;
}

const Faces& faces() {
    static Faces made{};
    static std::once_flag once;
    std::call_once(once, [] {
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
        made.cinzelBold = load(library, dq_face_cinzel_bold, dq_face_cinzel_bold_end);
        made.interRegular = load(library, dq_face_inter_regular, dq_face_inter_regular_end);
        made.interBold = load(library, dq_face_inter_bold, dq_face_inter_bold_end);
    });
    return made;
}

}  // namespace

const CairoFace& cairoFaceFor(PanelFamily family, bool bold) {
    static const CairoFace kNone{nullptr, 0.0, 0.0};
    const Faces& f = faces();
    if (family == PanelFamily::kCinzel) return bold ? f.cinzelBold : kNone;
    return bold ? f.interBold : f.interRegular;
}
