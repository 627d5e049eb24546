#pragma once
// Checks on the engine's state that the soak and the fuzzer share.
#include <cmath>

#include "engine_state.h"

// The recursive state between blocks: finite, and never subnormal, so no
// later block pays for denormal arithmetic whatever its size. Returns the
// first offending field and its value, or null.
inline const char* uncleanStateField(const EngineState& s, double* value) {
    const AnalysisState& a = s.analysis;
    const struct {
        const char* name;
        double value;
    } fields[] = {{"programLevel", a.programLevel},
                  {"curvatureSmoothed", a.curvatureSmoothed},
                  {"peakReference", a.peakReference},
                  {"programAverage", a.programAverage},
                  {"fastLevel", a.fastLevel},
                  {"curvatureScale", a.curvatureScale},
                  {"curvature", a.curvature},
                  {"wobblePhase", a.wobblePhase},
                  {"curvatureHistory[0]", a.curvatureHistory[0]},
                  {"curvatureHistory[1]", a.curvatureHistory[1]},
                  {"curvatureHistory[2]", a.curvatureHistory[2]},
                  {"curvatureHistory[3]", a.curvatureHistory[3]},
                  {"detectorEnvelope", s.detectorEnvelope},
                  {"bassArmorState[0]", s.bassArmorState[0]},
                  {"bassArmorState[1]", s.bassArmorState[1]}};
    for (const auto& f : fields) {
        const int kind = std::fpclassify(f.value);
        if (kind != FP_NORMAL && kind != FP_ZERO) {
            *value = f.value;
            return f.name;
        }
    }
    return nullptr;
}
