#include "cairo_canvas.h"

#include <cmath>

#include "cairo_fonts.h"

namespace {

constexpr double kPi = 3.141592653589793;

void setColour(cairo_t* cr, PanelColour c) {
    cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                          (c >> 24) / 255.0);
}

// A gradient repeats beyond its box. Down the box, or corner to corner with
// its bands parallel to the other diagonal.
void setFill(cairo_t* cr, const PanelFill& fill) {
    if (fill.kind == FillKind::kSolid) return setColour(cr, fill.from);
    double dx = 0.0, dy = fill.h;
    if (fill.kind == FillKind::kDiagonal) {
        const double w = fill.w, h = fill.h, k = 2.0 * w * h / (w * w + h * h);
        dx = k * h;
        dy = k * w;
    }
    cairo_pattern_t* p = cairo_pattern_create_linear(fill.x, fill.y, fill.x + dx, fill.y + dy);
    auto stop = [&](double at, PanelColour c) {
        cairo_pattern_add_color_stop_rgba(p, at, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                          (c & 0xFF) / 255.0, (c >> 24) / 255.0);
    };
    stop(0.0, fill.from);
    stop(1.0, fill.to);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

// An elliptic arc on its bounding box, clockwise for a positive sweep.
void arcPath(cairo_t* cr, float x, float y, float w, float h, double startDeg, double sweepDeg) {
    if (!(w > 0.0f) || !(h > 0.0f)) return;
    cairo_save(cr);
    cairo_translate(cr, x + w * 0.5, y + h * 0.5);
    cairo_scale(cr, w * 0.5, h * 0.5);
    const double a0 = startDeg * kPi / 180.0, a1 = (startDeg + sweepDeg) * kPi / 180.0;
    cairo_new_sub_path(cr);
    if (sweepDeg >= 0.0) cairo_arc(cr, 0.0, 0.0, 1.0, a0, a1);
    else cairo_arc_negative(cr, 0.0, 0.0, 1.0, a0, a1);
    cairo_restore(cr);  // the path stays; the stroke's width is in panel units
}

void stroke(cairo_t* cr, const PanelStroke& s) {
    setColour(cr, s.colour);
    cairo_set_line_width(cr, s.width);
    cairo_stroke(cr);
}

}  // namespace

CairoCanvas::CairoCanvas(cairo_t* target, const PanelLayout& layout) : cr(target) {
    cairo_save(cr);
    // Coordinates name pixel centres, as on Windows: a one-pixel line at a
    // whole coordinate fills one column there, not half of two.
    cairo_translate(cr, layout.offsetX + 0.5, layout.offsetY + 0.5);
    cairo_scale(cr, layout.scale, layout.scale);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    // Unhinted advances: a text's width scales with the panel, as its box does.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

CairoCanvas::~CairoCanvas() { cairo_restore(cr); }

void CairoCanvas::fillRect(float x, float y, float w, float h, const PanelFill& fill) {
    cairo_rectangle(cr, x, y, w, h);
    setFill(cr, fill);
    cairo_fill(cr);
}

void CairoCanvas::fillEllipse(float x, float y, float w, float h, const PanelFill& fill) {
    arcPath(cr, x, y, w, h, 0.0, 360.0);
    setFill(cr, fill);
    cairo_fill(cr);
}

void CairoCanvas::strokeRect(float x, float y, float w, float h, const PanelStroke& s) {
    cairo_rectangle(cr, x, y, w, h);
    stroke(cr, s);
}

void CairoCanvas::strokeEllipse(float x, float y, float w, float h, const PanelStroke& s) {
    arcPath(cr, x, y, w, h, 0.0, 360.0);
    cairo_close_path(cr);
    stroke(cr, s);
}

void CairoCanvas::strokeArc(float x, float y, float w, float h, float startDeg, float sweepDeg,
                            const PanelStroke& s) {
    arcPath(cr, x, y, w, h, startDeg, sweepDeg);
    stroke(cr, s);
}

void CairoCanvas::strokeLine(float x0, float y0, float x1, float y1, const PanelStroke& s) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    stroke(cr, s);
}

// Laid out as the Windows editor lays out its texts: a face at a whole
// number of device pixels, on a line as high as the face's Windows ascent and
// descent, a sixth of its size right of where the text's box would start
// (the start, or half its advance left of a centred text's anchor).
void CairoCanvas::drawText(const char* text, const PanelFont& font, TextAnchor anchor, PanelColour colour, float x,
                           float y) {
    const CairoFace& face = cairoFaceFor(font.family, font.bold);
    if (!face.face || !text) return;
    double scale = 1.0, unused = 0.0;
    cairo_user_to_device_distance(cr, &scale, &unused);
    const double size = scale > 0.0 ? std::floor(font.pixels * scale + 0.5) / scale : font.pixels;
    cairo_set_font_face(cr, face.face);
    cairo_set_font_size(cr, size);
    double left = x + size / 6.0, top = y;
    if (anchor != TextAnchor::kTopLeft) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, text, &extents);
        left -= extents.x_advance * 0.5;
    }
    if (anchor == TextAnchor::kCentre) top = y - (face.ascent + face.descent) * size * 0.5;
    setColour(cr, colour);
    cairo_move_to(cr, left, top + face.ascent * size);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}
