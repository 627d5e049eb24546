#pragma once
// One rotary knob in two layers: the fixed part (body, rim, track, caption),
// and the part that follows the value (value arc, pointer tick, centre cap,
// value text). The cap belongs to the value part because it covers the
// pointer's inner end: drawn once beneath it, its edge would blend twice.
#include "panel_resources.h"

// Knob geometry as the parameter table places it: centre and outer radius.
void drawKnobBase(GpGraphics* g, const PanelResources& r, const KnobSpec& knob);
// `param` picks the knob's accent objects; `value` is normalised, unclamped;
// `valueText` is the formatted value with its unit.
void drawKnobValue(GpGraphics* g, const PanelResources& r, int32_t param, float value,
                   const wchar_t* valueText);
// The whole knob in its own order: body, rim, track, value arc, pointer, cap,
// caption, value text.
void drawKnob(GpGraphics* g, const PanelResources& r, int32_t param, float value, const wchar_t* valueText);
