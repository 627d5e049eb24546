#include "engine_state.h"

void initEngineState(EngineState& s) {
    s.gainReductionMeter.store(0.0f, std::memory_order_relaxed);
    s.analysis = AnalysisState{};
    s.analysis.peakReference = 0.001;
    s.analysis.curvatureScale = 0.02;
    computeRateCoefficients(s.coefficients, 44100.0);
    s.windowCounter = 0;
    s.detectorEnvelope = 0.0;
    s.bassArmorState[0] = 0.0;
    s.bassArmorState[1] = 0.0;
}
