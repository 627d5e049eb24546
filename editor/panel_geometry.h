#pragma once
// The panel's geometry in panel units (client pixels at 100 %): its size, and
// where each fixed element stands. Knob places are the parameter table's.
#include <cstdint>

constexpr int32_t kPanelWidth = 840;
constexpr int32_t kPanelHeight = 520;

// Corner dots, this far in from each corner; the title block's texts at
// their top-left corners; the footer's top above the bottom.
constexpr int32_t kCornerDotInset = 12, kCornerDotSize = 10;
constexpr float kTitleX = 28.0f, kTitleY = 20.0f, kSubtitleX = 29.0f, kSubtitleY = 44.0f;
constexpr int32_t kFooterRise = 22;

// The meter window; the needle turns about the pivot over the scale arc,
// which runs clockwise from 18 dB of gain reduction to 0.
constexpr int32_t kMeterLeft = 260, kMeterTop = 85, kMeterWidth = 320, kMeterHeight = 175;
constexpr float kPivotX = 420.0f, kPivotY = 230.0f, kPivotRadius = 6.0f;
constexpr float kNeedleLength = 115.0f;
constexpr float kScaleRadius = 120.0f;
constexpr float kScaleStartDeg = 210.0f, kScaleSweepDeg = 120.0f;
constexpr float kScaleFullDb = 18.0f;

// Knobs: the value arc runs clockwise from eight o'clock; insets are from the
// knob's radius, text drops from the bottom of its circle to the text's centre.
constexpr float kArcStartDeg = 150.0f;
constexpr float kFullSweepDeg = 240.0f;
constexpr int32_t kArcInset = 5;
constexpr int32_t kCapInset = 18;
constexpr int32_t kPointerShortfall = 12;
constexpr int32_t kCaptionDrop = 14, kValueTextDrop = 28;
