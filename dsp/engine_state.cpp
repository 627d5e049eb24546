#include "engine_state.h"

#include <limits>

#include "engine_constants.h"

void initEngineState(EngineState& s) {
    s.gainReductionMeter.store(0.0f, std::memory_order_relaxed);
    s.analysis = AnalysisState{};
    s.analysis.peakReference = 0.001;
    s.analysis.curvatureScale = 0.02;
    computeRateCoefficients(s.coefficients, kFallbackSampleRate);
    s.windowCounter = 0;
    s.detectorEnvelope = 0.0;
    s.bassArmorState[0] = 0.0;
    s.bassArmorState[1] = 0.0;
    // NaN keys never match: the first block computes both pairs.
    const double unset = std::numeric_limits<double>::quiet_NaN();
    s.wobble = WobbleOscillator{unset, 0.0, 1.0, unset, 0.0, 1.0};
    s.blockCache = BlockValueCache{};
}
