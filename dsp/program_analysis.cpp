#include "program_analysis.h"

ProgramLevel analyseProgramLevel(AnalysisState& a, int32_t& windowCounter,
                                 const RateCoefficientValues& c, double detectorLevel,
                                 double releaseCoeff) {
    const ProgramSnapshot p = advanceProgramLevel(
        a, windowCounter, c, detectorLevel, [&a](bool) { return std::sin(a.wobblePhase + kWobblePhaseOffset); });
    return programControls(p, 1.0 - releaseCoeff);
}
