#pragma once
// Values derived from the parameters and the host rate, fixed for one block.
#include <cstdint>
#include <cstring>

#include "parameters.h"

struct BlockValues {
    double thresholdGain;    // linear, -36 dB .. 0 dB
    double overshootScale;   // 1 / (thresholdGain + 0.000001)
    double ratioDrive;       // 1 - 1/ratio
    double attackCoeff;
    double releaseCoeff;     // handed to the program analysis
    double glueStrength;     // 1.2 * glue amount
    bool glueOn;             // glue amount above 0.01
    double bassArmorStep;    // one-pole step of the detector high-pass, at most 1
    bool bassArmorOn;        // step above 0.0001
    double dryGain;          // 1 - mix
    double wetGain;          // make-up gain * mix
    double makeupGain;       // linear
};

// `params` are normalised values in the parameter order; `hostSampleRate` is
// the host's rate as stored (a value that is not positive counts as kFallbackSampleRate).
BlockValues blockValuesFor(const float* params, double hostSampleRate);

// The last parameters and rate the block values were computed from: a block
// whose controls are unchanged reuses them instead of computing 10^x and exp
// (worth 2x at one-frame blocks natively, 6x and more under Wine).
struct BlockValueCache {
    bool valid;
    float params[kParamCount];
    double hostSampleRate;
    BlockValues values;
};

// Recomputes only the values fed by a parameter that changed (everything when
// the rate changed or nothing is cached yet).
const BlockValues& refreshBlockValues(BlockValueCache& cache, const float* params,
                                      double hostSampleRate);

// A change of parameter `index` (already in `params`) between two blocks:
// recomputes what it feeds, so that the next block finds the values current
// without comparing (worth 1.1x to 1.25x with a change every frame). Values
// that are not current for `hostSampleRate` are left for the next
// refreshBlockValues.
void refreshForParameter(BlockValueCache& cache, const float* params, double hostSampleRate, ParamIndex index);

// Inline, and the parameters compared as bytes, because it runs on every call
// of a host that sends one frame at a time. Clamped parameters are never NaN,
// so byte equality only differs from == on -0 against +0, which recomputes
// the same values.
inline const BlockValues& cachedBlockValues(BlockValueCache& cache, const float* params,
                                            double hostSampleRate) {
    if (cache.valid && cache.hostSampleRate == hostSampleRate &&
        std::memcmp(cache.params, params, sizeof cache.params) == 0)
        return cache.values;
    return refreshBlockValues(cache, params, hostSampleRate);
}
