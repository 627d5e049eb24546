// The engine's own maths against the platform's (glibc natively; the C
// runtime mingw-w64 links into the DLL under Wine), per call, on the inputs
// the engine gives each: 4096 arguments per pass, the functions in turn pass
// after pass, best pass kept. Prints one JSON line per function pair.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "portable_maths.h"

namespace {

using Clock = std::chrono::steady_clock;
volatile double sink;

template <class F>
double nsPerCall(const std::vector<double>& xs, F f) {
    const Clock::time_point start = Clock::now();
    double sum = 0.0;
    for (double x : xs) sum += f(x);
    sink = sum;
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / static_cast<double>(xs.size());
}

struct Pair {
    const char* name;
    std::vector<double> args;
    double (*own)(double);
    double (*platform)(double);
    double bestOwn = INFINITY, bestPlatform = INFINITY;
};

}  // namespace

int main() {
    constexpr int kPasses = 200;
    constexpr int kArgs = 4096;
    std::vector<double> attack, decibels, phase, meterTable;
    for (int i = 0; i < kArgs; ++i) {
        const double u = (i + 0.5) / kArgs;
        attack.push_back(-1.0 / ((0.1 + 29.9 * u * u) * 0.001 * 44100.0));
        decibels.push_back((36.0 * u - 36.0) / 20.0);
        phase.push_back(6.283185307179586 * u + 0.8224670334241132);
        meterTable.push_back(1.0 + u);
    }
    Pair pairs[] = {
        {"exp", attack, portableExp, [](double x) { return std::exp(x); }},
        {"pow10", decibels, portablePowerOfTen, [](double x) { return std::pow(10.0, x); }},
        {"sincos", phase,
         [](double x) {
             const SineCosine sc = portableSineCosine(x);
             return sc.sine + sc.cosine;
         },
         [](double x) { return std::sin(x) + std::cos(x); }},
        {"log10", meterTable, portableLog10, [](double x) { return std::log10(x); }},
    };
    for (int pass = 0; pass < kPasses; ++pass)
        for (Pair& p : pairs) {
            p.bestOwn = std::fmin(p.bestOwn, nsPerCall(p.args, p.own));
            p.bestPlatform = std::fmin(p.bestPlatform, nsPerCall(p.args, p.platform));
        }
    for (const Pair& p : pairs)
        std::printf("{\"function\": \"%s\", \"own_ns\": %.2f, \"platform_ns\": %.2f, \"platform_over_own\": %.2f}\n",
                    p.name, p.bestOwn, p.bestPlatform, p.bestPlatform / p.bestOwn);
    return 0;
}
