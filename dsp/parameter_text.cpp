#include "parameter_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "parameters.h"

namespace {

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The joining rule: a label that is a word ("dB", "ms", "Hz") stands one
// space after the number, a sign (":1", "%") right after it.
const char* unitSeparator(const char* label) {
    const char first = lowerCase(label[0]);
    return first >= 'a' && first <= 'z' ? " " : "";
}

const char* skipSpaces(const char* c) {
    while (*c == ' ' || *c == '\t') ++c;
    return c;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether `text` starts with `label`, letters in any case.
bool startsWithLabel(const char* text, const char* label) {
    for (; *label; ++text, ++label)
        if (lowerCase(*text) != lowerCase(*label)) return false;
    return true;
}

}  // namespace

void writeValueFormat(int32_t index, char* out, size_t size) {
    if (size == 0) return;
    out[0] = '\0';
    if (!isParamIndex(index)) return;
    const ParamSpec& p = kParamTable[index];
    size_t n = 0;
    auto put = [&](const char* text, bool doublePercent) {
        for (; *text; ++text)
            for (int copies = doublePercent && *text == '%' ? 2 : 1; copies > 0; --copies)
                if (n < size) out[n++] = *text;
    };
    put(p.format, false);
    put(unitSeparator(p.label), false);
    put(p.label, true);
    // A cut format could end inside a conversion: none rather than a part.
    out[n < size ? n : 0] = '\0';
}

void writeDisplayText(int32_t index, float normalised, char* out, size_t size) {
    snprintf(out, size, isParamIndex(index) ? kParamTable[index].format : "",
             static_cast<double>(displayValue(index, normalised)));
}

void writeValueText(int32_t index, float normalised, char* out, size_t size) {
    char format[32];
    writeValueFormat(index, format, sizeof format);
    snprintf(out, size, format, static_cast<double>(displayValue(index, normalised)));
}

void writeListText(int32_t index, float normalised, bool withUnit, char* out, size_t size) {
    if (isHostBypass(index) && size > 0)
        snprintf(out, size, "%s", kHostBypassTexts[hostBypassIsOn(normalised) ? 1 : 0]);
    else if (withUnit)
        writeValueText(index, normalised, out, size);
    else
        writeDisplayText(index, normalised, out, size);
}

bool parseListText(int32_t index, const char* text, float* normalised) {
    if (isHostBypass(index) && text && normalised) {
        const char* c = skipSpaces(text);
        for (int step = 0; step < 2; ++step) {
            const char* word = kHostBypassTexts[step];
            if (startsWithLabel(c, word) && *skipSpaces(c + std::strlen(word)) == '\0') {
                *normalised = static_cast<float>(step);
                return true;
            }
        }
    }
    return parseValueText(index, text, normalised);
}

void writeMeterText(float decibels, bool withUnit, char* out, size_t size) {
    char format[16];
    snprintf(format, sizeof format, withUnit ? "%s %s" : "%s", kGainReductionMeter.format, kGainReductionMeter.label);
    snprintf(out, size, format, static_cast<double>(decibels));
}

bool parseValueText(int32_t index, const char* text, float* normalised) {
    if (!isParamIndex(index) || !text || !normalised) return false;
    const char* c = skipSpaces(text);
    const bool negative = *c == '-';
    if (*c == '-' || *c == '+') ++c;
    // A digit or a point must follow: no second sign, no "inf" or "nan".
    if (!isDigit(*c) && !(*c == '.' && isDigit(c[1]))) return false;
    double number = 0.0;
    const auto read = std::from_chars(c, c + std::strlen(c), number, std::chars_format::fixed);
    if (read.ec != std::errc()) return false;
    c = skipSpaces(read.ptr);
    const char* label = kParamTable[index].label;
    if (*label && startsWithLabel(c, label)) c = skipSpaces(c + std::strlen(label));
    if (*c != '\0') return false;

    const ParamIndex param = static_cast<ParamIndex>(index);
    float v = static_cast<float>(normalisedFromUnit(param, negative ? -number : number));
    if (negative && number == 0.0 && v > 0.0f) v = std::nextafter(v, 0.0f);
    *normalised = v;
    return true;
}
