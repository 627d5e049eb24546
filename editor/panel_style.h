#pragma once
// The panel's colours, stroke widths and text faces; its geometry is in
// panel_geometry.h.
#include "panel_canvas.h"

namespace panel_style {

constexpr PanelColour kBackgroundTop = 0xFF0A0C12;
constexpr PanelColour kBackgroundBottom = 0xFF040508;
constexpr PanelColour kCornerDot = 0xFF2D3444;
constexpr PanelColour kRose = 0xFFF43F5E;  // title, needle, readout
constexpr PanelColour kMuted = 0xB48C96AF;  // subtitle, scale labels, footer
constexpr PanelColour kMeterFill = 0xFF0E1018;
constexpr PanelColour kPivot = 0xFFF0CB64;
constexpr PanelColour kKnobBodyTopLeft = 0xFF1E222E;
constexpr PanelColour kKnobBodyBottomRight = 0xFF0C0E14;
constexpr PanelColour kCap = 0xFF10131A;
constexpr PanelColour kCaption = 0xDCC8D2E6;

constexpr PanelStroke kMeterBorder{0x50F43F5E, 1.2f};
constexpr PanelStroke kScaleArc{0x64FFFFFF, 2.0f};
constexpr PanelStroke kNeedle{kRose, 2.5f};
constexpr PanelStroke kRim{0x78FFFFFF, 1.5f};
constexpr PanelStroke kTrack{0x3CFFFFFF, 4.0f};
constexpr PanelStroke kPointer{0xFFFFFFFF, 2.5f};
// Half a pixel wider than the track, so it covers the track where it runs;
// in each knob's accent.
constexpr float kValueArcWidth = 4.5f;

constexpr PanelFont kTitleFont{PanelFamily::kCinzel, true, 18.0f};
constexpr PanelFont kSubtitleFont{PanelFamily::kInter, true, 9.5f};
constexpr PanelFont kReadoutFont{PanelFamily::kInter, true, 11.0f};
constexpr PanelFont kScaleFont{PanelFamily::kInter, false, 8.5f};
constexpr PanelFont kFooterFont{PanelFamily::kInter, false, 9.0f};
constexpr PanelFont kCaptionFont{PanelFamily::kInter, true, 10.0f};
constexpr PanelFont kValueFont{PanelFamily::kInter, false, 11.5f};

}  // namespace panel_style
