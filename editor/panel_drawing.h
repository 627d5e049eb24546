#pragma once
// What the panel shows, described once in panel units against PanelCanvas,
// in two layers: the fixed layer holds exactly the elements that no moving
// element lies beneath, so a cached fixed layer with the moving parts drawn
// on top gives the same pixels as the whole panel drawn in order.
#include <cstdint>

#include "panel_canvas.h"
#include "panel_layout.h"
#include "panel_parts.h"

// The footer's text: the plug-in format's name (ASCII, cut to fit) between
// the maker's words, UTF-8.
constexpr int kFooterChars = 128;
void writeFooterText(char (&text)[kFooterChars], const char* formatName);

// Background, corner dots and title block following the client area's edges
// (`frame`, in panel units), the meter window, the scale labels the needle
// never reaches, the knobs' bodies, tracks and captions, and the footer.
void drawFixedLayer(PanelCanvas& canvas, const PanelFrame& frame, const char* footerText);
// The moving parts in `parts`, in the panel's order: the meter (needle,
// pivot, readout, the label the needle runs under), then each knob's value
// arc, pointer, cap and value text.
void drawMovingParts(PanelCanvas& canvas, const PanelValues& values, uint32_t parts);
// Every element in the panel's order, with no layers.
void drawWholePanel(PanelCanvas& canvas, const PanelValues& values, const PanelFrame& frame,
                    const char* footerText);
