#pragma once
// The same plug-in built for another format, driven the way its hosts drive
// it: the VST 2 DLL under Wine, the LV2 build natively (through lilv).
#include <cstdint>

struct ReferenceBuild;

const char* referenceName();
ReferenceBuild* openReference(float rate);
void closeReference(ReferenceBuild* reference);
// Sets parameter `index` to normalised `v` as that format's host stores it,
// and returns the normalised value the engine then runs with (an LV2 port
// holds the unit value, which need not read back to every float).
float setReference(ReferenceBuild* reference, int32_t index, float v);
void processReference(ReferenceBuild* reference, const float* const* in, float* const* out, int32_t frames);
float referenceMeter(const ReferenceBuild* reference);
