#pragma once
// The panel's colours (ARGB, alpha in the top byte); its geometry is in
// panel_geometry.h.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>

namespace panel_style {

using Gdiplus::ARGB;

constexpr ARGB kBackgroundTop = 0xFF0A0C12;
constexpr ARGB kBackgroundBottom = 0xFF040508;
constexpr ARGB kCornerDot = 0xFF2D3444;
constexpr ARGB kRose = 0xFFF43F5E;  // title, needle, readout
constexpr ARGB kMuted = 0xB48C96AF;  // subtitle, scale labels, footer
constexpr ARGB kMeterFill = 0xFF0E1018;
constexpr ARGB kMeterBorder = 0x50F43F5E;
constexpr ARGB kScaleArc = 0x64FFFFFF;
constexpr ARGB kPivot = 0xFFF0CB64;
constexpr ARGB kKnobBodyTopLeft = 0xFF1E222E;
constexpr ARGB kKnobBodyBottomRight = 0xFF0C0E14;
constexpr ARGB kRim = 0x78FFFFFF;
constexpr ARGB kTrack = 0x3CFFFFFF;
constexpr ARGB kPointer = 0xFFFFFFFF;
constexpr ARGB kCap = 0xFF10131A;
constexpr ARGB kCaption = 0xDCC8D2E6;

}  // namespace panel_style
