#include "block_values.h"

#include <cmath>

#include "engine_constants.h"

BlockValues blockValuesFor(const float* params, double hostSampleRate) {
    const double rate = hostSampleRate > 0.0 ? hostSampleRate : kFallbackSampleRate;
    const double threshold = params[kThreshold];
    const double ratio = params[kRatio];
    const double attack = params[kAttack];
    const double release = params[kRelease];
    const double glue = params[kGlue];
    const double bassArmor = params[kBassArmor];
    const double makeup = params[kMakeup];
    const double mix = params[kMix];

    BlockValues b;
    b.thresholdGain = std::pow(10.0, unitValue(kThreshold, threshold) / 20.0);
    b.overshootScale = 1.0 / (b.thresholdGain + 0.000001);
    b.ratioDrive = 1.0 - 1.0 / unitValue(kRatio, ratio);
    b.attackCoeff = std::exp(-1.0 / (unitValue(kAttack, attack) * 0.001 * rate));
    b.releaseCoeff = std::exp(-1.0 / (unitValue(kRelease, release) * 0.001 * rate));
    b.glueStrength = 1.2 * glue;
    b.glueOn = glue > 0.01;

    const double cutoffHz = unitValue(kBassArmor, bassArmor);
    double step = cutoffHz > 5.0 ? kTwoPi * cutoffHz / rate : 0.0;
    // A one-pole step above 2 diverges (reached below about 754 Hz host rate
    // at the top setting); at 1 the low-pass follows its input exactly, so the
    // high-passed detector simply sees nothing there.
    if (step > 1.0) step = 1.0;
    b.bassArmorStep = step;
    b.bassArmorOn = step > 0.0001;

    b.dryGain = 1.0 - mix;
    b.wetGain = std::pow(10.0, unitValue(kMakeup, makeup) / 20.0) * mix;
    return b;
}

const BlockValues& refreshBlockValues(BlockValueCache& cache, const float* params,
                                      double hostSampleRate) {
    cache.values = blockValuesFor(params, hostSampleRate);
    for (int i = 0; i < kParamCount; ++i) cache.params[i] = params[i];
    cache.hostSampleRate = hostSampleRate;
    cache.valid = true;
    return cache.values;
}
