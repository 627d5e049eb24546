#pragma once
// Parameter ids as hosts store them in sessions and automation, fixed
// forever: each of the nine parameters keeps its table index (its VST 2 index
// too), and the read-only gain-reduction meter has the table's meter id.
#include <clap/id.h>

#include <cstdint>

#include "../dsp/parameters.h"

constexpr clap_id kMeterParamId = kGainReductionMeter.id;

constexpr uint32_t kClapParamCount = kParamCount + 1;  // the nine, then the meter

// The table index of a parameter the host may set, or -1 (unknown ids and the meter).
inline int32_t settableIndexOf(clap_id id) { return id < static_cast<clap_id>(kParamCount) ? static_cast<int32_t>(id) : -1; }
