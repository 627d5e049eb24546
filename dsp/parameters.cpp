#include "parameters.h"

#include <cmath>

double normalisedFromUnit(ParamIndex index, double unit) {
    const ParamSpec& p = kParamTable[index];
    if (std::isnan(unit)) return p.defaultValue;
    double v = (unit - p.offset) / p.scale;
    if (p.curve == UnitCurve::kQuadratic) v = v > 0.0 ? std::sqrt(v) : 0.0;
    return v < 1.0 ? (v > 0.0 ? v : 0.0) : 1.0;
}
