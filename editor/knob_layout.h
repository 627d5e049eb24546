#pragma once
// Where the seven knobs stand (the parameter table's knob places): the same
// circles are painted and hit-tested.
#include <cstdint>

#include "../dsp/parameters.h"

// A vertical drag of 200 panel units covers a knob's whole range.
constexpr float kDragPerPanelUnit = 0.005f;

// The first circle containing (x, y), in panel units, border included, in
// table order; -1 when none does. In doubles: the squares of two 16-bit
// mouse coordinates far outside the window stay exact.
inline int32_t knobParamAt(float x, float y) {
    for (int32_t i = 0; i < kParamCount; ++i) {
        if (!hasKnob(i)) continue;
        const KnobSpec& k = kParamTable[i].knob;
        const double dx = static_cast<double>(x) - k.cx, dy = static_cast<double>(y) - k.cy;
        if (dx * dx + dy * dy <= static_cast<double>(k.radius) * k.radius) return i;
    }
    return -1;
}
