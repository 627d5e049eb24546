#include "panel_parts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "../dsp/parameter_text.h"
#include "panel_geometry.h"

namespace {

bool hasPart(int part) { return (kAllParts >> part) & 1u; }

// The needle from the pivot to its tip, with its width, the pivot and their
// edges.
PanelBox needleBox(const NeedleTip& tip) {
    constexpr float kReach = kPivotRadius + 1.0f;
    return PanelBox{static_cast<int32_t>(std::floor(std::min(kPivotX, tip.x) - kReach)),
                    static_cast<int32_t>(std::floor(std::min(kPivotY, tip.y) - kReach)),
                    static_cast<int32_t>(std::ceil(std::max(kPivotX, tip.x) + kReach)),
                    static_cast<int32_t>(std::ceil(std::max(kPivotY, tip.y) + kReach))};
}

}  // namespace

NeedleTip needleTipFor(float g) {
    if (!(g < kScaleFullDb)) g = kScaleFullDb;
    else if (!(g > 0.0f)) g = 0.0f;
    constexpr float kScaleEndDeg = kScaleStartDeg + kScaleSweepDeg;  // 0 dB
    const float degrees = kScaleEndDeg - (g / kScaleFullDb) * kScaleSweepDeg;
    const float radians = static_cast<float>(degrees * 3.141592653589793 / 180.0);
    return NeedleTip{kPivotX + kNeedleLength * cosf(radians), kPivotY + kNeedleLength * sinf(radians), g};
}

PanelBox panelPartBox(int part) {
    // The meter window holds the needle, the readout and the labels; its
    // border is drawn on its last column and row too.
    if (part == kMeterPart)
        return PanelBox{kMeterLeft, kMeterTop, kMeterLeft + kMeterWidth + 1, kMeterTop + kMeterHeight + 1};
    // The knob's square, and below it the value text (centred, at most about
    // 60 pixels wide, 7 above and below its anchor); the boxes of neighbouring
    // knobs do not meet.
    const KnobSpec& k = kParamTable[part].knob;
    const int32_t half = k.radius + 10;
    return PanelBox{k.cx - half, k.cy - k.radius - 4, k.cx + half, k.cy + k.radius + kValueTextDrop + 12};
}

uint32_t partsReaching(const PanelBox& area, const PanelLayout& layout) {
    uint32_t parts = 0;
    for (int part = 0; part <= kMeterPart; ++part) {
        PanelBox overlap;
        if (hasPart(part) && intersectBoxes(deviceBoxOf(layout, panelPartBox(part)), area, &overlap))
            parts |= 1u << part;
    }
    return parts;
}

void writeKnobText(char (&text)[kValueTextChars], int32_t param, float value) {
    writeValueText(param, value, text, sizeof text);
}

void writeReadout(char (&text)[kReadoutChars], float shownReduction, float glueParam) {
    char glue[kValueTextChars];
    writeKnobText(glue, kGlue, glueParam);
    // The reading is clamped to [0, 18] dB: the text always fits.
    const int written = snprintf(text, sizeof text, "GAIN REDUCTION: -%.1f dB \xE2\x80\xA2 GLUE: %s",
                                 static_cast<double>(shownReduction), glue);
    if (written < 0) text[0] = '\0';
}

int meterChangeBoxes(const PanelValues& a, const PanelValues& b, PanelBox (&boxes)[kMaxMeterChangeBoxes]) {
    const NeedleTip ta = needleTipFor(a.meter), tb = needleTipFor(b.meter);
    int n = 0;
    if (ta.x != tb.x || ta.y != tb.y) {
        boxes[n++] = needleBox(ta);
        boxes[n++] = needleBox(tb);
    }
    char readoutA[kReadoutChars], readoutB[kReadoutChars];
    writeReadout(readoutA, ta.shownReduction, a.params[kGlue]);
    writeReadout(readoutB, tb.shownReduction, b.params[kGlue]);
    // The readout hangs under the pivot, within the meter window's width.
    if (std::strcmp(readoutA, readoutB) != 0)
        boxes[n++] = PanelBox{kMeterLeft, static_cast<int32_t>(kPivotY + kPivotRadius) - 1,
                              kMeterLeft + kMeterWidth + 1, kMeterTop + kMeterHeight + 1};
    return n;
}

uint32_t partsThatDiffer(const PanelValues& now, const PanelValues& knobsShown, const PanelValues& meterShown) {
    uint32_t parts = 0;
    for (int32_t i = 0; i < kParamCount; ++i)
        if (hasPart(i) && std::memcmp(&now.params[i], &knobsShown.params[i], sizeof(float)) != 0)
            parts |= 1u << i;
    PanelBox meterBoxes[kMaxMeterChangeBoxes];
    if (meterChangeBoxes(now, meterShown, meterBoxes) > 0) parts |= 1u << kMeterPart;
    return parts;
}
