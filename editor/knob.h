#pragma once
// One rotary knob of the panel: body, rim, track, value arc, pointer tick, cap
// and two centred lines of text underneath.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>

// Editor UI thread, inside one panel paint. Draws with the surface's own
// smoothing and text settings; `value` is applied as given, not clamped. The
// texts are set in `textFamily` (the panel's Inter), not drawn when it is null.
void drawKnob(Gdiplus::GpGraphics* graphics, int32_t cx, int32_t cy, int32_t radius, float value,
              const wchar_t* label, const wchar_t* valueText, uint32_t accentColor,
              Gdiplus::GpFontFamily* textFamily);
