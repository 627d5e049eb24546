#include "cairo_fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "embedded_fonts.h"

namespace {

const cairo_user_data_key_t kLibraryKey{}, kBytesKey{};

void release(FT_Library library, void* bytes) {
    if (library) FT_Done_FreeType(library);
    std::free(bytes);
}

// A face owns its FreeType library (and so the FreeType face) and a heap copy
// of its bytes, both handed to Cairo to release, through FreeType's and the C
// library's own functions, when it lets the face go. Cairo's caches keep a
// face after the panel is gone, even after this module is unloaded: then
// nothing they keep points into the module.
CairoFace load(const unsigned char* begin, const unsigned char* end) {
    CairoFace made{nullptr, 0.0, 0.0};
    const size_t size = static_cast<size_t>(end - begin);
    FT_Library library = nullptr;
    void* bytes = std::malloc(size);
    FT_Face face = nullptr;
    if (!bytes || FT_Init_FreeType(&library) != 0) library = nullptr;
    if (!library || (std::memcpy(bytes, begin, size),
                     FT_New_Memory_Face(library, static_cast<const FT_Byte*>(bytes), static_cast<FT_Long>(size), 0,
                                        &face) != 0)) {
        release(library, bytes);
        return made;
    }
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double units = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    made.ascent = (os2 ? os2->usWinAscent : face->ascender) / units;
    made.descent = (os2 ? os2->usWinDescent : -face->descender) / units;
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    // The library goes first (with the face), then the bytes the face read.
    // FreeType's own function, called through Cairo's destroy type: one
    // pointer argument passes alike on every ABI we build for, and the error
    // code it returns is dropped.
    const auto doneFreeType =
        reinterpret_cast<cairo_destroy_func_t>(reinterpret_cast<void (*)()>(&FT_Done_FreeType));
    if (cairo_font_face_status(cairoFace) != CAIRO_STATUS_SUCCESS ||
        cairo_font_face_set_user_data(cairoFace, &kLibraryKey, library, doneFreeType) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);
        release(library, bytes);
        return made;
    }
    if (cairo_font_face_set_user_data(cairoFace, &kBytesKey, bytes, &std::free) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);  // releases the library
        std::free(bytes);
        return made;
    }
    made.face = cairoFace;
    return made;
}

// Made on first use; the module's references dropped when it is unloaded.
struct Faces {
    CairoFace cinzelBold, interRegular, interBold;
    ~Faces() {
        for (const CairoFace* f : {&cinzelBold, &interRegular, &interBold})
            if (f->face) cairo_font_face_destroy(f->face);
    }
};

const Faces& faces() {
    static Faces made{};
    static std::once_flag once;
    std::call_once(once, [] {
        made.cinzelBold = load(dq_face_cinzel_bold, dq_face_cinzel_bold_end);
        made.interRegular = load(dq_face_inter_regular, dq_face_inter_regular_end);
        made.interBold = load(dq_face_inter_bold, dq_face_inter_bold_end);
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
