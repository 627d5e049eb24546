#pragma once
// The panel painted from scratch, every element in order (test reference).
#include <windows.h>

#include <cstdint>

// `params` holds the nine normalised values, `meter` the gain reduction in dB.
void paintReferencePanel(HDC hdc, const float* params, float meter, int32_t w, int32_t h);
