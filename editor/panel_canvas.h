#pragma once
// The small drawing interface the panel is described against, in panel
// units: each window system implements it once (GDI+ on Windows, Cairo on
// Linux), with no knowledge of what the panel shows. The implementation sets
// the transform from panel units to device pixels and any clip before the
// panel draws.
#include <cstdint>

using PanelColour = uint32_t;  // ARGB, alpha in the top byte

// A text face by family, weight and size in panel units (pixels at 100 %).
enum class PanelFamily { kCinzel, kInter };
struct PanelFont {
    PanelFamily family;
    bool bold;
    float pixels;
};

// Where a text stands on its anchor point: its line's top-left corner; the
// middle of its line's top; or its line's centre.
enum class TextAnchor { kTopLeft, kTopCentre, kCentre };

// A solid colour, or a linear gradient from `from` to `to` across a box
// (down it, or from its top-left to its bottom-right corner), repeating
// beyond it.
enum class FillKind { kSolid, kVertical, kDiagonal };
struct PanelFill {
    FillKind kind;
    PanelColour from, to;
    float x, y, w, h;  // the gradient's box
};
constexpr PanelFill solidFill(PanelColour colour) { return PanelFill{FillKind::kSolid, colour, colour, 0, 0, 0, 0}; }

struct PanelStroke {
    PanelColour colour;
    float width;  // centred on the outline
};

// Shapes are given by their bounding box (x, y, w, h); angles in degrees,
// clockwise from three o'clock (y grows downwards).
struct PanelCanvas {
    virtual void fillRect(float x, float y, float w, float h, const PanelFill& fill) = 0;
    virtual void fillEllipse(float x, float y, float w, float h, const PanelFill& fill) = 0;
    virtual void strokeRect(float x, float y, float w, float h, const PanelStroke& stroke) = 0;
    virtual void strokeEllipse(float x, float y, float w, float h, const PanelStroke& stroke) = 0;
    virtual void strokeArc(float x, float y, float w, float h, float startDeg, float sweepDeg,
                           const PanelStroke& stroke) = 0;
    virtual void strokeLine(float x0, float y0, float x1, float y1, const PanelStroke& stroke) = 0;
    // `text` is UTF-8; a face the canvas cannot have draws nothing.
    virtual void drawText(const char* text, const PanelFont& font, TextAnchor anchor, PanelColour colour, float x,
                          float y) = 0;

protected:
    ~PanelCanvas() = default;
};
