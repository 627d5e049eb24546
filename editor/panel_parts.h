#pragma once
// What the panel shows that can change, and where: the values a paint is
// drawn from, the moving parts and their boxes, and which parts a change of
// values reaches. Shared by every window system's editor.
#include <cstdint>

#include "../dsp/parameters.h"
#include "panel_layout.h"

// What the panel shows that can change from paint to paint.
struct PanelValues {
    float params[kParamCount];  // normalised; only parameters with a knob are shown
    float meter;                // gain reduction in dB, as published by the engine
};

// Needle tip for a gain-reduction reading, and the reading it shows after the
// clamp (NaN and 18 dB or more show 18, anything not above 0 shows 0).
struct NeedleTip {
    float x, y;
    float shownReduction;
};
NeedleTip needleTipFor(float gainReductionDb);

// The moving parts: the knob of each parameter that has one (part i for
// parameter i), and the meter (needle, pivot, readout, scale labels). Each
// stays inside a box of its own; a set of parts is one bit per part.
constexpr int kMeterPart = kParamCount;
constexpr uint32_t movingParts() {
    uint32_t parts = 1u << kMeterPart;
    for (int i = 0; i < kParamCount; ++i)
        if (hasKnob(i)) parts |= 1u << i;
    return parts;
}
constexpr uint32_t kAllParts = movingParts();
// A part's box in panel units.
PanelBox panelPartBox(int part);
// The moving parts whose boxes, placed by `layout`, reach into `area` (device pixels).
uint32_t partsReaching(const PanelBox& area, const PanelLayout& layout);
// The parts whose pixels `now` would change: knobs against the values they
// were drawn from, the meter against the meter and glue it was drawn from.
uint32_t partsThatDiffer(const PanelValues& now, const PanelValues& knobsShown, const PanelValues& meterShown);
// Where the meter's pixels differ between two states, within its box (panel
// units): the needle where each state shows it (its width, the pivot and
// their edges included), and the readout's band when its text differs.
// Returns how many boxes; 0 when the meter looks the same.
constexpr int kMaxMeterChangeBoxes = 3;
int meterChangeBoxes(const PanelValues& a, const PanelValues& b, PanelBox (&boxes)[kMaxMeterChangeBoxes]);

// The panel's texts that follow values, UTF-8: a knob's value with its unit,
// and the meter's readout.
constexpr int kValueTextChars = 32, kReadoutChars = 96;
void writeKnobText(char (&text)[kValueTextChars], int32_t param, float value);
void writeReadout(char (&text)[kReadoutChars], float shownReduction, float glueParam);
