#include "program_analysis.h"

#include "portable_maths.h"

ProgramLevel analyseProgramLevel(AnalysisState& a, int32_t& windowCounter,
                                 const RateCoefficientValues& c, double detectorLevel,
                                 double releaseCoeff) {
    const ProgramSnapshot p = advanceProgramLevel(
        a, windowCounter, c, detectorLevel, [&a](bool) { return portableSine(a.wobblePhase + kWobblePhaseOffset); });
    return programControls(p, 1.0 - releaseCoeff);
}
