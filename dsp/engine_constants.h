#pragma once
// The engine's fixed numbers, named once: every file that needs one of them
// (the engine, the formats, the editor, tests and tools) includes this header.

// Every output sample is limited to plus or minus this; a NaN becomes +ceiling.
constexpr double kOutputCeiling = 0.98;
// The same ceiling as the float the output carries: the largest magnitude written.
constexpr float kOutputCeilingFloat = static_cast<float>(kOutputCeiling);

// The gain-reduction meter: after each block it keeps kMeterKeep of its old
// value and takes kMeterTake of the block's largest reduction, which is at
// most kMeterRangeDb (the floor of the engine's per-sample gain).
constexpr float kMeterRangeDb = 24.0f;
constexpr float kMeterKeep = 0.82f;
constexpr float kMeterTake = 0.18f;

// The rate rule: a host rate that is zero, negative or NaN counts as
// kFallbackSampleRate; the coefficients never use a rate below kLowestSampleRate.
constexpr double kFallbackSampleRate = 44100.0;
constexpr double kLowestSampleRate = 8000.0;

constexpr double kTwoPi = 6.283185307179586;
