#pragma once
// Where the seven knobs stand: the same circles are painted and hit-tested.
#include <cstdint>

struct KnobHitArea {
    int32_t param;  // parameter index
    int32_t cx, cy, radius;
};

constexpr int kKnobCount = 7;

// In hit-test order, which is also the painting order. Mix and Bypass have no knob.
constexpr KnobHitArea knobHitAreas[kKnobCount] = {
    {0, 130, 165, 46}, {1, 710, 165, 46}, {2, 130, 375, 40}, {3, 275, 375, 40},
    {4, 420, 375, 40}, {5, 565, 375, 40}, {6, 710, 375, 40},
};

// The first circle containing (x, y), border included; -1 when none does.
// Squares are summed in 64 bits: two 16-bit mouse coordinates far outside the
// window would overflow 32 bits and wrap into a false hit.
inline int32_t knobParamAt(int32_t x, int32_t y) {
    for (const KnobHitArea& k : knobHitAreas) {
        const int64_t dx = x - k.cx, dy = y - k.cy;
        if (dx * dx + dy * dy <= int64_t{k.radius} * k.radius) return k.param;
    }
    return -1;
}
