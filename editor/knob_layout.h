#pragma once
// Where the seven knobs stand (the parameter table's knob places): the same
// circles are painted and hit-tested.
#include <cstdint>

#include "../dsp/parameters.h"

// The first circle containing (x, y), border included, in table order; -1
// when none does. Squares are summed in 64 bits: two 16-bit mouse coordinates
// far outside the window would overflow 32 bits and wrap into a false hit.
inline int32_t knobParamAt(int32_t x, int32_t y) {
    for (int32_t i = 0; i < kParamCount; ++i) {
        if (!hasKnob(i)) continue;
        const KnobSpec& k = kParamTable[i].knob;
        const int64_t dx = x - k.cx, dy = y - k.cy;
        if (dx * dx + dy * dy <= int64_t{k.radius} * k.radius) return i;
    }
    return -1;
}
