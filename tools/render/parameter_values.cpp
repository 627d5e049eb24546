#include "parameter_values.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "plugin_session.h"
#include "render_error.h"
#include "render_options.h"

namespace {

// Scan points across 0..1: fine enough that a display is monotonic between two
// of them, coarse enough to cost nothing (one set and one text each).
constexpr int kScanSteps = 256;

struct Reading {
    float at;
    std::string text;
    bool numeric;
    double number;
};

Reading readAt(AEffect* e, int32_t index, float v) {
    e->setParameter(e, index, v);
    Reading r{v, hostText(e, effGetParamDisplay, index), false, 0.0};
    std::string unit;
    r.numeric = splitNumberAndUnit(r.text, r.number, unit);
    return r;
}

std::vector<Reading> scanDisplay(AEffect* e, int32_t index) {
    std::vector<Reading> scan;
    for (int k = 0; k <= kScanSteps; ++k)
        scan.push_back(readAt(e, index, static_cast<float>(k) / kScanSteps));
    return scan;
}

// Sets the parameter back to the value it had when the reading started.
struct ParameterKeeper {
    AEffect* e;
    int32_t index;
    float value;
    ParameterKeeper(AEffect* effect, int32_t i) : e(effect), index(i), value(e->getParameter(e, i)) {}
    ~ParameterKeeper() { e->setParameter(e, index, value); }
};

// Half of the last digit the display shows: numbers closer than this read the same.
double halfStep(const std::string& text) {
    const size_t dot = text.find('.');
    int digits = 0;
    if (dot != std::string::npos)
        while (dot + 1 + digits < text.size() && std::isdigit(static_cast<unsigned char>(text[dot + 1 + digits])))
            ++digits;
    return 0.5 * std::pow(10.0, -digits) * (1.0 + 1e-9);
}

// The display text with the label after it, as a person would write it.
std::string withUnit(AEffect* e, int32_t index, const std::string& text) {
    std::string label = hostText(e, effGetParamLabel, index);
    label.erase(0, label.find_first_not_of(' '));
    label.erase(label.find_last_not_of(' ') + 1);
    if (label.empty()) return text;
    return text + (std::isalpha(static_cast<unsigned char>(label[0])) ? " " : "") + label;
}

// How far a reading's number lies above the target. Displays show "-0.0" just
// below zero and "0.0" at it, so a minus zero counts as a hair below plus zero.
double offset(const Reading& r, double target) {
    const double d = r.number - target;
    if (d != 0.0 || r.number != 0.0 || std::signbit(r.number) == std::signbit(target)) return d;
    return std::signbit(r.number) ? -1e-300 : 1e-300;
}

// Between two neighbouring values whose numbers lie on either side of `target`,
// the value whose number is nearest the target.
Reading bisect(AEffect* e, int32_t index, Reading a, Reading b, double target) {
    const double sign = b.number > a.number ? 1.0 : -1.0;
    for (int i = 0; i < 64; ++i) {
        const float mid = a.at + (b.at - a.at) * 0.5f;
        if (mid == a.at || mid == b.at) break;
        const Reading m = readAt(e, index, mid);
        if (!m.numeric) break;
        (sign * offset(m, target) < 0.0 ? a : b) = m;
    }
    return std::fabs(offset(a, target)) < std::fabs(offset(b, target)) ? a : b;
}

// The edge, between `outside` (another text) and `inside` (the text wanted), where the text changes.
float textEdge(AEffect* e, int32_t index, float outside, float inside, const std::string& text) {
    for (int i = 0; i < 64; ++i) {
        const float mid = outside + (inside - outside) * 0.5f;
        if (mid == outside || mid == inside) break;
        (readAt(e, index, mid).text == text ? inside : outside) = mid;
    }
    return inside;
}

// The middle of the values around `found` that show the same text.
float middleOfSameText(AEffect* e, int32_t index, const std::vector<Reading>& scan,
                       const Reading& found) {
    const Reading* before = nullptr;  // the nearest scan points that show another text
    const Reading* after = nullptr;
    for (const Reading& r : scan) {
        if (r.text == found.text) continue;
        if (r.at < found.at) before = &r;
        if (r.at > found.at && !after) after = &r;
    }
    const float low = before ? textEdge(e, index, before->at, found.at, found.text) : 0.0f;
    const float high = after ? textEdge(e, index, after->at, found.at, found.text) : 1.0f;
    const float middle = low + (high - low) * 0.5f;
    return readAt(e, index, middle).text == found.text ? middle : found.at;
}

}  // namespace

std::string parameterUnit(AEffect* e, int32_t index) {
    std::string label = hostText(e, effGetParamLabel, index);
    label.erase(0, label.find_first_not_of(' '));
    label.erase(label.find_last_not_of(' ') + 1);
    if (!label.empty()) return label;
    double number = 0.0;
    std::string unit;
    splitNumberAndUnit(hostText(e, effGetParamDisplay, index), number, unit);
    return unit;
}

bool sameUnit(const std::string& a, const std::string& b) {
    auto squeeze = [](const std::string& s) {
        std::string out;
        for (char c : s)
            if (c != ' ' && c != '\t') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    return squeeze(a) == squeeze(b);
}

std::string displayRange(AEffect* e, int32_t index) {
    ParameterKeeper keep(e, index);
    const std::vector<Reading> scan = scanDisplay(e, index);
    const Reading* low = nullptr;
    const Reading* high = nullptr;
    for (const Reading& r : scan) {
        if (!r.numeric) continue;
        if (!low || r.number < low->number) low = &r;
        if (!high || r.number > high->number) high = &r;
    }
    if (!low) return "";
    return low->text + " .. " + withUnit(e, index, high->text);
}

float normalisedForDisplay(AEffect* e, int32_t index, double target, const std::string& asked) {
    ParameterKeeper keep(e, index);
    const std::vector<Reading> scan = scanDisplay(e, index);
    const Reading* nearest = nullptr;
    for (const Reading& r : scan)
        if (r.numeric && (!nearest || std::fabs(r.number - target) < std::fabs(nearest->number - target)))
            nearest = &r;
    const std::string name = hostText(e, effGetParamName, index);
    if (!nearest)
        throwRenderError(kExitUsage,
                         "%s shows no numbers (it reads '%s'); give it a normalised value from 0 to 1",
                         name.c_str(), scan.front().text.c_str());
    Reading found = *nearest;
    for (size_t k = 0; k + 1 < scan.size(); ++k) {
        const Reading& a = scan[k];
        const Reading& b = scan[k + 1];
        if (!a.numeric || !b.numeric || a.number == b.number) continue;
        if (target < std::min(a.number, b.number) || target > std::max(a.number, b.number)) continue;
        found = bisect(e, index, a, b, target);
        break;
    }
    if (std::fabs(found.number - target) > halfStep(found.text))
        throwRenderError(kExitUsage,
                         "%s reaches only %s, not %s (nearest: %s); give a value in that range",
                         name.c_str(), displayRange(e, index).c_str(), asked.c_str(),
                         withUnit(e, index, found.text).c_str());
    return middleOfSameText(e, index, scan, found);
}
