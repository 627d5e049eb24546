#include "parameters.h"

const ParamInfo kParamTable[kParamCount] = {
    {"Threshold", "dB", "%.1f", 0.5f},
    {"Ratio", ":1", "%.1f", 0.35f},
    {"Attack", "ms", "%.1f", 0.3f},
    {"Release", "ms", "%.0f", 0.15f},
    {"580 Glue", "%", "%.0f", 0.65f},
    {"Bass Armor", "Hz", "%.0f", 0.35f},
    {"Makeup", "dB", "+%.1f", 0.25f},
    {"Mix", "%", "%.0f", 1.0f},
    {"Bypass", "", "%.0f", 0.0f},
};

float displayValue(int32_t index, float v) {
    switch (index) {
    case kThreshold: return thresholdDb(v);
    case kRatio: return ratioValue(v);
    case kAttack: return attackMs(v);
    case kRelease: return releaseMs(v);
    case kBassArmor: return bassArmorHz(v);
    case kMakeup: return makeupDb(v);
    case kGlue:
    case kMix:
    case kBypass: return percentOf(v);
    default: return 0.0f;
    }
}
