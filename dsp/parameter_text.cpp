#include "parameter_text.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "parameters.h"
void writeDisplayText(int32_t index, float v, char* out, size_t size) {
    if (!isParamIndex(index) || size == 0) { if (size) out[0] = 0; return; }
    snprintf(out, size, kParamTable[index].format, static_cast<double>(displayValue(index, clampParameter(v))));
}
void writeValueText(int32_t index, float v, char* out, size_t size) {
    char t[64];
    writeDisplayText(index, v, t, sizeof t);
    snprintf(out, size, "%s %s", t, isParamIndex(index) ? kParamTable[index].label : "");
}
bool parseValueText(int32_t index, const char* text, float* normalised) {
    if (!isParamIndex(index) || !text) return false;
    char* end = nullptr;
    const double unit = strtod(text, &end);
    if (end == text || !std::isfinite(unit)) return false;
    while (*end == ' ') ++end;
    const char* label = kParamTable[index].label;
    if (*end && std::strcmp(end, label) != 0) return false;
    *normalised = static_cast<float>(normalisedFromUnit(static_cast<ParamIndex>(index), unit));
    return true;
}
