// The panel's elements follow its drawing order; see panel_drawing.h for why
// the two layers give the pixels of the whole panel drawn in order.
#include "panel_drawing.h"

#include <cmath>
#include <iterator>

#include "panel_geometry.h"
#include "panel_style.h"

namespace {

using namespace panel_style;

struct ScaleLabel {
    const char* text;
    float x, y;
};
// Drawn after the needle. Only "-6" lies within the needle's reach (115
// pixels and half its width from the pivot); the others stay more than 4
// pixels beyond it and belong to the fixed layer.
const ScaleLabel kScaleLabels[] = {
    {"0", 540, 135}, {"-3", 490, 115}, {"-6", 412, 107}, {"-12", 340, 115}, {"-18", 290, 135},
};
constexpr int kLabelUnderNeedle = 2;

void drawScaleLabel(PanelCanvas& c, const ScaleLabel& label) {
    c.drawText(label.text, kScaleFont, TextAnchor::kTopLeft, kMuted, label.x, label.y);
}

void drawBackdrop(PanelCanvas& c, const PanelFrame& f) {
    const float w = f.right - f.left, h = f.bottom - f.top;
    c.fillRect(f.left, f.top, w, h,
               PanelFill{FillKind::kVertical, kBackgroundTop, kBackgroundBottom, f.left, f.top, w, h});

    const float left = f.left + kCornerDotInset, top = f.top + kCornerDotInset,
                right = f.right - kCornerDotInset - kCornerDotSize, bottom = f.bottom - kCornerDotInset - kCornerDotSize;
    c.fillEllipse(left, top, kCornerDotSize, kCornerDotSize, solidFill(kCornerDot));
    c.fillEllipse(right, top, kCornerDotSize, kCornerDotSize, solidFill(kCornerDot));
    c.fillEllipse(left, bottom, kCornerDotSize, kCornerDotSize, solidFill(kCornerDot));
    c.fillEllipse(right, bottom, kCornerDotSize, kCornerDotSize, solidFill(kCornerDot));

    c.drawText("DORLIN QUILLET\xE2\x84\xA2", kTitleFont, TextAnchor::kTopLeft, kRose, kTitleX, kTitleY);
    c.drawText("INVERTED TRANSFORMER VCA GLUE COMPRESSOR \xE2\x80\xA2 580 ATTRACTOR SOFT-KNEE", kSubtitleFont,
               TextAnchor::kTopLeft, kMuted, kSubtitleX, kSubtitleY);
}

void drawMeterWindow(PanelCanvas& c) {
    c.fillRect(kMeterLeft, kMeterTop, kMeterWidth, kMeterHeight, solidFill(kMeterFill));
    c.strokeRect(kMeterLeft, kMeterTop, kMeterWidth, kMeterHeight, kMeterBorder);
    c.strokeArc(kPivotX - kScaleRadius, kPivotY - kScaleRadius, 2.0f * kScaleRadius, 2.0f * kScaleRadius,
                kScaleStartDeg, kScaleSweepDeg, kScaleArc);
}

// Centred along the client area's bottom edge.
void drawFooter(PanelCanvas& c, const PanelFrame& f, const char* footerText) {
    c.drawText(footerText, kFooterFont, TextAnchor::kTopCentre, kMuted, (f.left + f.right) * 0.5f,
               f.bottom - kFooterRise);
}

void drawNeedleAndReadout(PanelCanvas& c, const PanelValues& v) {
    const NeedleTip tip = needleTipFor(v.meter);
    c.strokeLine(kPivotX, kPivotY, tip.x, tip.y, kNeedle);
    c.fillEllipse(kPivotX - kPivotRadius, kPivotY - kPivotRadius, 2.0f * kPivotRadius, 2.0f * kPivotRadius,
                  solidFill(kPivot));
    // The readout hangs centred under the pivot.
    char readout[kReadoutChars];
    writeReadout(readout, tip.shownReduction, v.params[kGlue]);
    c.drawText(readout, kReadoutFont, TextAnchor::kTopCentre, kRose, kPivotX, kPivotY + kPivotRadius);
}

void drawMeterPart(PanelCanvas& c, const PanelValues& v) {
    drawNeedleAndReadout(c, v);
    drawScaleLabel(c, kScaleLabels[kLabelUnderNeedle]);
}

// A knob's square, `by` in from its circle.
struct Square {
    float x, y, size;
};
Square inset(const KnobSpec& k, int32_t by) {
    return Square{static_cast<float>(k.cx - k.radius + by), static_cast<float>(k.cy - k.radius + by),
                  static_cast<float>(2 * k.radius - 2 * by)};
}

// Body, rim and track. The body's gradient is anchored to the knob's own square.
void drawKnobBody(PanelCanvas& c, const KnobSpec& k) {
    const Square body = inset(k, 0), arc = inset(k, kArcInset);
    c.fillEllipse(body.x, body.y, body.size, body.size,
                  PanelFill{FillKind::kDiagonal, kKnobBodyTopLeft, kKnobBodyBottomRight, body.x, body.y, body.size,
                            body.size});
    c.strokeEllipse(body.x, body.y, body.size, body.size, kRim);
    c.strokeArc(arc.x, arc.y, arc.size, arc.size, kArcStartDeg, kFullSweepDeg, kTrack);
}

// The table's captions are wide strings of the Basic Multilingual Plane.
constexpr int kCaptionChars = 64;
void writeUtf8(char (&out)[kCaptionChars], const wchar_t* text) {
    int n = 0;
    for (; *text; ++text) {
        const uint32_t u = static_cast<uint32_t>(*text) & 0xFFFFu;
        const int bytes = u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
        if (n + bytes >= kCaptionChars) break;
        if (bytes == 1) out[n++] = static_cast<char>(u);
        else if (bytes == 2) out[n++] = static_cast<char>(0xC0 | (u >> 6));
        else {
            out[n++] = static_cast<char>(0xE0 | (u >> 12));
            out[n++] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        }
        if (bytes > 1) out[n++] = static_cast<char>(0x80 | (u & 0x3F));
    }
    out[n] = '\0';
}

void drawKnobCaption(PanelCanvas& c, const KnobSpec& k) {
    char caption[kCaptionChars];
    writeUtf8(caption, k.caption);
    c.drawText(caption, kCaptionFont, TextAnchor::kCentre, kCaption, static_cast<float>(k.cx),
               static_cast<float>(k.cy + k.radius + kCaptionDrop));
}

// Value arc, pointer and cap: the cap hides the pointer's inner part, so only
// a short tick stays visible. A value of 0 still draws, with a sweep of 0.
void drawKnobMarks(PanelCanvas& c, const KnobSpec& k, float value) {
    const Square arc = inset(k, kArcInset), cap = inset(k, kCapInset);
    const float sweep = kFullSweepDeg * value;
    c.strokeArc(arc.x, arc.y, arc.size, arc.size, kArcStartDeg, sweep, PanelStroke{k.accent, kValueArcWidth});

    const float angleRad = static_cast<float>((sweep + kArcStartDeg) * 3.141592653589793 / 180.0);
    const float length = static_cast<float>(k.radius - kPointerShortfall);
    const float cx = static_cast<float>(k.cx), cy = static_cast<float>(k.cy);
    c.strokeLine(cx, cy, cx + cosf(angleRad) * length, cy + sinf(angleRad) * length, kPointer);
    c.fillEllipse(cap.x, cap.y, cap.size, cap.size, solidFill(kCap));
}

void drawKnobValueText(PanelCanvas& c, const KnobSpec& k, int32_t param, float value) {
    char text[kValueTextChars];
    writeKnobText(text, param, value);
    c.drawText(text, kValueFont, TextAnchor::kCentre, k.accent, static_cast<float>(k.cx),
               static_cast<float>(k.cy + k.radius + kValueTextDrop));
}

bool inParts(uint32_t parts, int part) { return ((parts & kAllParts) >> part) & 1u; }

}  // namespace

void writeFooterText(char (&text)[kFooterChars], const char* formatName) {
    static const char kBefore[] = "DORLIN AUDIO TECHNOLOGIES \xE2\x80\xA2 64-BIT NATIVE ";
    static const char kAfter[] = " \xE2\x80\xA2 ZERO LATENCY VCA GLUE";
    size_t n = 0;
    auto append = [&](const char* part, size_t most) {
        for (size_t i = 0; part[i] && i < most && n + 1 < sizeof text; ++i) text[n++] = part[i];
    };
    append(kBefore, sizeof kBefore);
    append(formatName ? formatName : "", 16);
    append(kAfter, sizeof kAfter);
    text[n] = '\0';
}

void drawFixedLayer(PanelCanvas& c, const PanelFrame& f, const char* footerText) {
    drawBackdrop(c, f);
    drawMeterWindow(c);
    for (int i = 0; i < static_cast<int>(std::size(kScaleLabels)); ++i)
        if (i != kLabelUnderNeedle) drawScaleLabel(c, kScaleLabels[i]);
    for (int32_t i = 0; i < kParamCount; ++i)
        if (hasKnob(i)) {
            drawKnobBody(c, kParamTable[i].knob);
            drawKnobCaption(c, kParamTable[i].knob);
        }
    drawFooter(c, f, footerText);
}

void drawMovingParts(PanelCanvas& c, const PanelValues& v, uint32_t parts) {
    if (inParts(parts, kMeterPart)) drawMeterPart(c, v);
    for (int32_t i = 0; i < kParamCount; ++i)
        if (inParts(parts, i)) {
            drawKnobMarks(c, kParamTable[i].knob, v.params[i]);
            drawKnobValueText(c, kParamTable[i].knob, i, v.params[i]);
        }
}

void drawWholePanel(PanelCanvas& c, const PanelValues& v, const PanelFrame& f, const char* footerText) {
    drawBackdrop(c, f);
    drawMeterWindow(c);
    drawNeedleAndReadout(c, v);
    for (const ScaleLabel& label : kScaleLabels) drawScaleLabel(c, label);
    for (int32_t i = 0; i < kParamCount; ++i) {
        if (!hasKnob(i)) continue;
        const KnobSpec& k = kParamTable[i].knob;
        drawKnobBody(c, k);
        drawKnobMarks(c, k, v.params[i]);
        drawKnobCaption(c, k);
        drawKnobValueText(c, k, i, v.params[i]);
    }
    drawFooter(c, f, footerText);
}
