#pragma once
// The nine parameters in one table: everything the host texts, the engine, the
// editor, the tools and other host formats know about a parameter lives in its
// row (its texts are written from it in parameter_text.h). The mapping from normalised value to unit exists once (unitValue), in
// float for texts and in double inside the engine.
#include <cstdint>

#include "engine_constants.h"

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

// unit = scale * v + offset, or v * v * scale + offset for the quadratic ones,
// each evaluated in the order written.
enum class UnitCurve : uint8_t { kLinear, kQuadratic };

// Where and how the editor shows a parameter; parameters without a knob have
// radius 0. Knobs are hit-tested and painted in table order.
struct KnobSpec {
    const wchar_t* caption;
    uint32_t accent;         // ARGB of the value arc and the value text
    int32_t cx, cy, radius;  // client pixels
};

struct ParamSpec {
    const char* name;    // host name, at most 15 bytes with padding
    const char* label;   // host unit label, at most 7 bytes with padding
    const char* format;  // printf format of the host display text (no unit)
    const char* symbol;  // identifier for other host formats: [a-z_]+
    UnitCurve curve;
    double scale, offset;
    float defaultValue;  // normalised
    KnobSpec knob;
};

constexpr ParamSpec kParamTable[kParamCount] = {
    {"Threshold", "dB", "%.1f", "threshold", UnitCurve::kLinear, 36.0, -36.0, 0.5f,
     {L"THRESHOLD", 0xFFF43F5E, 130, 165, 46}},
    {"Ratio", ":1", "%.1f", "ratio", UnitCurve::kLinear, 18.5, 1.5, 0.35f,
     {L"RATIO", 0xFFF0CB64, 710, 165, 46}},
    {"Attack", "ms", "%.1f", "attack", UnitCurve::kQuadratic, 29.9, 0.1, 0.3f,
     {L"ATTACK", 0xFFF59E0B, 130, 375, 40}},
    {"Release", "ms", "%.0f", "release", UnitCurve::kQuadratic, 1180.0, 20.0, 0.15f,
     {L"AUTO RELEASE", 0xFF10B981, 275, 375, 40}},
    {"580 Glue", "%", "%.0f", "glue", UnitCurve::kLinear, 100.0, 0.0, 0.65f,
     {L"580 GLUE", 0xFFC084FC, 420, 375, 40}},
    {"Bass Armor", "Hz", "%.0f", "bass_armor", UnitCurve::kLinear, 240.0, 0.0, 0.35f,
     {L"BASS ARMOR (HPF)", 0xFF60A5FA, 565, 375, 40}},
    {"Makeup", "dB", "+%.1f", "makeup", UnitCurve::kLinear, 20.0, 0.0, 0.25f,
     {L"MAKE-UP GAIN", 0xFF38BDF8, 710, 375, 40}},
    {"Mix", "%", "%.0f", "mix", UnitCurve::kLinear, 100.0, 0.0, 1.0f, {}},
    {"Bypass", "", "%.0f", "bypass", UnitCurve::kLinear, 100.0, 0.0, 0.0f, {}},
};

// The float texts use the float nearest each constant, which is the float
// literal the display formulas were written with.
static_assert(static_cast<float>(29.9) == 29.9f && static_cast<float>(0.1) == 0.1f,
              "display constants round the same way from double and from decimal");

inline bool isParamIndex(int32_t index) { return static_cast<uint32_t>(index) < kParamCount; }

// The parameter hosts show as their own bypass switch: two steps, on from
// 0.5 as the engine reads it, with the texts below wherever a host shows one
// per step (the VST 2 shell keeps its number text, which hosts and saved
// projects rely on).
constexpr ParamIndex kHostBypassParam = kBypass;
constexpr const char* kHostBypassTexts[2] = {"Off", "On"};
constexpr bool isHostBypass(int32_t index) { return index == kHostBypassParam; }
constexpr bool hostBypassIsOn(double normalised) { return normalised > 0.5; }

// The gain-reduction meter as a read-only output parameter, in every format
// that has them. Hosts save parameter ids in projects and automation: the
// meter's id is fixed forever, clear of any row the table could grow to (the
// rows keep their index as their id).
struct MeterSpec {
    uint32_t id;
    const char* name;
    const char* shortName;
    const char* label;
    const char* symbol;
    const char* format;   // printf format of its value text (no unit)
    float minimum, maximum;  // in dB; a normalised value spans this range
};
constexpr MeterSpec kGainReductionMeter = {100, "Gain Reduction", "GR", "dB", "gain_reduction", "%.1f", 0.0f,
                                           kMeterRangeDb};
static_assert(kGainReductionMeter.id >= kParamCount, "the meter's id is not a row's");

// Whether the editor shows parameter `index` as a knob.
constexpr bool hasKnob(int32_t index) { return kParamTable[index].knob.radius > 0; }

// Clamp rule shared by the host's set call and the knob drag: NaN goes to 1,
// -0.0 to +0.0.
inline float clampParameter(float v) {
    if (v < 1.0f) return v > 0.0f ? v : 0.0f;
    return 1.0f;
}

// The value in the parameter's unit at normalised `v`: float for every text
// (host display, editor), double inside the engine. A zero offset is still
// added: for the clamped values used here (never -0.0) it changes nothing.
template <class T> T unitValue(ParamIndex index, T v) {
    const ParamSpec& p = kParamTable[index];
    const T scale = static_cast<T>(p.scale), offset = static_cast<T>(p.offset);
    if (p.curve == UnitCurve::kQuadratic) return v * v * scale + offset;
    return scale * v + offset;
}

// The normalised value whose unit value is `unit`, clamped to [0, 1] (NaN
// gives the default): the inverse of unitValue, in double.
double normalisedFromUnit(ParamIndex index, double unit);

// Display value of parameter `index` at normalised `v`, in single precision.
inline float displayValue(int32_t index, float v) {
    return isParamIndex(index) ? unitValue(static_cast<ParamIndex>(index), v) : 0.0f;
}
