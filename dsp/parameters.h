#pragma once
// The nine parameters: the single table of names, labels, formats and defaults,
// and the one mapping from normalised value to unit that host texts, engine and
// editor all use (float for texts, double inside the engine).
#include <cstdint>

enum ParamIndex : int32_t {
    kThreshold = 0,
    kRatio,
    kAttack,
    kRelease,
    kGlue,
    kBassArmor,
    kMakeup,
    kMix,
    kBypass,
    kParamCount
};

struct ParamInfo {
    const char* name;    // host name, at most 15 bytes with padding
    const char* label;   // host unit label, at most 7 bytes with padding
    const char* format;  // printf format of the host display text
    float defaultValue;  // normalised
};

extern const ParamInfo kParamTable[kParamCount];

inline bool isParamIndex(int32_t index) { return static_cast<uint32_t>(index) < kParamCount; }

// Clamp rule shared by the host's set call and the knob drag: NaN goes to 1,
// -0.0 to +0.0.
inline float clampParameter(float v) {
    if (v < 1.0f) return v > 0.0f ? v : 0.0f;
    return 1.0f;
}

template <class T> T thresholdDb(T v) { return T(36) * v - T(36); }
template <class T> T ratioValue(T v) { return T(18.5) * v + T(1.5); }
template <class T> T attackMs(T v) { return v * v * T(29.9) + T(0.1); }
template <class T> T releaseMs(T v) { return v * v * T(1180) + T(20); }
template <class T> T percentOf(T v) { return T(100) * v; }  // glue, mix, bypass
template <class T> T bassArmorHz(T v) { return T(240) * v; }
template <class T> T makeupDb(T v) { return T(20) * v; }

// Display value of parameter `index` at normalised `v`, in single precision.
float displayValue(int32_t index, float v);
