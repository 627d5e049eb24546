#pragma once
// The LV2 plug-in's ports. Control port i is parameter i of the table, in the
// parameter's unit; the Bypass row is the host's enable port (1 processes,
// 0 bypasses). Then the gain-reduction meter and the four audio ports.
#include <cmath>
#include <cstdint>

#include "../dsp/engine_constants.h"
#include "parameters.h"
#include "../core/product_identity.h"

constexpr uint32_t kMeterPort = kParamCount;
constexpr uint32_t kAudioInPorts[2] = {kParamCount + 1, kParamCount + 2};
constexpr uint32_t kAudioOutPorts[2] = {kParamCount + 3, kParamCount + 4};
constexpr uint32_t kPortCount = kParamCount + 5;

// The value a host stores in control port `index` for normalised `v`: the
// unit value in double, rounded once to the port's float.
inline float portValueFromNormalised(ParamIndex index, float v) {
    if (isHostBypass(index)) return hostBypassIsOn(v) ? 0.0f : 1.0f;
    return static_cast<float>(unitValue<double>(index, v));
}

// The normalised value the engine gets for a port value: the table's inverse,
// clamped to [0, 1]; NaN gives the default. The clamp is at the port's own
// float ends, so that a host at its minimum gives exactly 0 even where the
// unit's end has no float (Attack's 0.1 ms). The enable port is on above 0,
// as a toggle is, and a NaN there keeps processing (Bypass's default).
inline float normalisedFromPortValue(ParamIndex index, float value) {
    if (isHostBypass(index)) return value > 0.0f || std::isnan(value) ? 0.0f : 1.0f;
    if (value <= portValueFromNormalised(index, 0.0f)) return 0.0f;
    if (value >= portValueFromNormalised(index, 1.0f)) return 1.0f;
    return static_cast<float>(normalisedFromUnit(index, value));
}
