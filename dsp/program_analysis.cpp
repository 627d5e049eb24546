#include "program_analysis.h"

ProgramLevel analyseProgramLevel(AnalysisState& a, int32_t& windowCounter,
                                 const RateCoefficientValues& c, double detectorLevel,
                                 double releaseCoeff) {
    return analyseProgramLevelStep(a, windowCounter, c, detectorLevel, 1.0 - releaseCoeff,
                                   [&a](bool) { return std::sin(a.wobblePhase + kWobblePhaseOffset); });
}
