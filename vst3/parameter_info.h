#pragma once
// The parameters as the controller shows them to hosts: ids, names, units,
// flags, texts and plain values, all from the parameter table: the nine
// parameters' ids are their table rows, then the gain-reduction meter, a
// read-only output parameter.
#include <cstdint>

#include "travesty/edit_controller.h"

#include "../dsp/parameters.h"

constexpr v3_param_id kGainReductionId = kGainReductionMeter.id;
constexpr int32_t kVst3ParameterCount = kParamCount + 1;  // the table, then the meter

// The table row of an id, or -1 (the meter, unknown ids).
inline int32_t paramIndexOf(v3_param_id id) { return id < static_cast<v3_param_id>(kParamCount) ? static_cast<int32_t>(id) : -1; }
inline bool isKnownId(v3_param_id id) { return paramIndexOf(id) >= 0 || id == kGainReductionId; }

// Parameter `position` in the host's list; false outside it.
bool fillParameterInfo(int32_t position, v3_param_info* info);

// The display text hosts show beside the unit (the VST 2 shell's text), and
// its reading: what the first writes, with or without the unit, the second
// reads; anything else it refuses. False for an unknown id.
bool writeParameterText(v3_param_id id, double normalised, v3_str_128 out);
bool readParameterText(v3_param_id id, const int16_t* text, double* normalised);

// Values in the parameter's unit (dB, :1, ms, %, Hz) and back, clamped to the
// range; unknown ids pass the value through.
double plainFromNormalised(v3_param_id id, double normalised);
double normalisedFromPlain(v3_param_id id, double plain);

// The meter's reading in dB as a normalised value.
double meterNormalised(float decibels);

// A host's double as the core's float: out-of-range values saturate, NaN stays NaN.
float narrowToFloat(double value);
