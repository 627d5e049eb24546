// The automation-density program (see ../automation_runner.h) built by
// mingw-w64 with the DLL's compiler, runtime and flags, the core linked
// statically, run under Wine. Every case takes its turn pass after pass, so a
// busy moment of a shared machine cannot favour one of them; each keeps its
// best pass. Prints one JSON line per case with the ratio to the program
// without automation.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "automation_runner.h"
#include "parameters.h"

int main() {
    constexpr int kPasses = 15;
    const BenchSignal signal = musicSignal();
    std::vector<AutomationProgram> programs{automationProgram(signal, kThreshold, 0)};
    for (int32_t param : {kThreshold, kAttack, kMix})
        for (int32_t every : {1, 8, 32, 128}) programs.push_back(automationProgram(signal, param, every));
    std::vector<double> best(programs.size(), INFINITY);
    CoreRunner runner;
    StereoBuffer out;
    sizeLike(signal, out);
    using Clock = std::chrono::steady_clock;
    for (int pass = 0; pass < kPasses; ++pass)
        for (size_t i = 0; i < programs.size(); ++i) {
            const Clock::time_point start = Clock::now();
            runner.run(signal, programs[i], out);
            const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
            best[i] = std::min(best[i], ns / static_cast<double>(signal.frames()));
        }
    for (size_t i = 0; i < programs.size(); ++i)
        std::printf("{\"engine\": \"automation\", \"param\": %d, \"every\": %d, \"ns_per_frame\": %.4f, "
                    "\"ratio\": %.4f}\n",
                    programs[i].parameter, programs[i].every, best[i], best[i] / best[0]);
    return 0;
}
