#pragma once
// The whole editor panel, composed off-screen and copied to the window at once.
#include <windows.h>

struct PluginInstance;

// Editor UI thread, from WM_PAINT with BeginPaint's device context. Reads the
// parameters and the gain-reduction meter, writes nothing; the frame size is
// the client area of the instance's editor window.
void paintPanel(const PluginInstance* instance, HDC hdc);

// Needle tip for a gain-reduction reading, and the reading it shows after the
// clamp (NaN and 18 dB or more show 18, anything not above 0 shows 0).
struct NeedleTip {
    float x, y;
    float shownReduction;
};
NeedleTip needleTipFor(float gainReductionDb);
