// Correctness check, not a timing: the shipped engine's 32-bit output must stay
// within 1e-6 of the literal transcription on every benchmark program at every
// block size. Prints the largest difference per program; exits 1 when a
// difference exceeds the bound (or is not a number).
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine_runners.h"

namespace {

double maxAbsDifference(const StereoBuffer& a, const StereoBuffer& b) {
    double worst = 0.0;
    for (size_t i = 0; i < a.left.size(); ++i) {
        const double d = std::fmax(std::fabs(double(a.left[i]) - double(b.left[i])),
                                   std::fabs(double(a.right[i]) - double(b.right[i])));
        if (!(d <= worst)) worst = std::isnan(d) ? INFINITY : d;
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv) {
    const bool json = argc > 1 && std::strcmp(argv[1], "--json") == 0;
    constexpr double kBound = 1e-6;
    bool ok = true;
    ShippedRunner shipped;
    LiteralRunner literal;
    for (const BenchSignal& signal : allBenchSignals()) {
        StereoBuffer a, b;
        sizeLike(signal, a);
        sizeLike(signal, b);
        double worst = 0.0;
        for (int32_t block : {1, 32, 512, 4096}) {
            shipped.run(signal, block, a);
            literal.run(signal, block, b);
            const double d = maxAbsDifference(a, b);
            if (json)
                std::printf("{\"signal\": \"%s\", \"block\": %d, \"max_abs_diff\": %.3g, "
                            "\"meter_shipped\": %.6g, \"meter_literal\": %.6g}\n",
                            signal.name.c_str(), block, d, shipped.meter(), literal.meter());
            worst = std::fmax(worst, d);
        }
        // Guard against comparing two pass-throughs: the heavy setting must
        // change the program audibly in the reference.
        bool referenceCompresses = true;
        if (signal.name == "heavy") {
            double change = 0.0;
            for (size_t i = 0; i < b.left.size(); ++i)
                change = std::fmax(change, std::fabs(double(b.left[i]) - double(signal.left[i])));
            referenceCompresses = change > 0.1;
            if (!referenceCompresses) std::printf("heavy: the reference output equals its input\n");
        }
        const bool pass = worst <= kBound && referenceCompresses;
        ok = ok && pass;
        if (!json)
            std::printf("%-6s max |shipped - literal| = %.3g over %lld frames x 4 block sizes: %s\n",
                        signal.name.c_str(), worst, static_cast<long long>(signal.frames()),
                        pass ? "within 1e-6" : "EXCEEDS 1e-6");
    }
    return ok ? 0 : 1;
}
