#include "parameter_info.h"

#include <cfloat>
#include <cstdio>
#include <cstring>

#include "../dsp/parameter_text.h"
#include "utf16.h"

namespace {

constexpr size_t kTextBytes = 64;

}  // namespace

float narrowToFloat(double value) {
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}

// In double, so that a host multiplying by the range gets the meter's float back.
double meterNormalised(float decibels) {
    const double v = static_cast<double>(decibels) / kGainReductionMeter.maximum;
    return v < 1.0 ? (v > 0.0 ? v : 0.0) : 1.0;
}

bool fillParameterInfo(int32_t position, v3_param_info* info) {
    if (!info || position < 0 || position >= kVst3ParameterCount) return false;
    std::memset(info, 0, sizeof *info);
    info->unit_id = 0;  // the root unit
    if (position == kParamCount) {
        info->param_id = kGainReductionId;
        copyUtf16(info->title, kGainReductionMeter.name);
        copyUtf16(info->short_title, kGainReductionMeter.shortName);
        copyUtf16(info->units, kGainReductionMeter.label);
        info->flags = V3_PARAM_READ_ONLY;
        return true;
    }
    const ParamSpec& p = kParamTable[position];
    info->param_id = static_cast<v3_param_id>(position);
    copyUtf16(info->title, p.name);
    copyUtf16(info->short_title, p.name);
    copyUtf16(info->units, p.label);
    info->default_normalised_value = p.defaultValue;
    info->flags = V3_PARAM_CAN_AUTOMATE;
    if (isHostBypass(position)) {
        info->step_count = 1;  // off or on
        info->flags |= V3_PARAM_IS_BYPASS;
    }
    return true;
}

bool writeParameterText(v3_param_id id, double normalised, v3_str_128 out) {
    if (!out || !isKnownId(id)) return false;
    char text[kTextBytes];
    const float v = clampParameter(narrowToFloat(normalised));
    if (id == kGainReductionId)
        writeMeterText(v * kGainReductionMeter.maximum, false, text, sizeof text);
    else
        writeListText(paramIndexOf(id), v, false, text, sizeof text);
    copyUtf16(out, 128, text);
    return true;
}

// The meter is read-only: no text sets it.
bool readParameterText(v3_param_id id, const int16_t* text, double* normalised) {
    const int32_t index = paramIndexOf(id);
    char ascii[kTextBytes];
    float v = 0.0f;
    if (index < 0 || !text || !normalised || !asciiFromUtf16(text, 128, ascii, sizeof ascii) ||
        !parseListText(index, ascii, &v))
        return false;
    *normalised = v;
    return true;
}

double plainFromNormalised(v3_param_id id, double normalised) {
    const double v = clampParameter(narrowToFloat(normalised));
    if (id == kGainReductionId) return v * kGainReductionMeter.maximum;
    const int32_t index = paramIndexOf(id);
    return index < 0 ? normalised : unitValue(static_cast<ParamIndex>(index), v);
}

double normalisedFromPlain(v3_param_id id, double plain) {
    if (id == kGainReductionId) return clampParameter(narrowToFloat(plain / kGainReductionMeter.maximum));
    const int32_t index = paramIndexOf(id);
    return index < 0 ? plain : normalisedFromUnit(static_cast<ParamIndex>(index), plain);
}
