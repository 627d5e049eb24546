// One variant of the engine and core (built with one speed path switched off,
// or with all) timed on the automation-density cases and on plain blocks
// through processBlock and processCore: every case once per pass, best of the
// passes. Prints "case ns_per_frame digest" per case; the digest of the
// output bits and meter shows that every variant computes the same.
//   automation_paths [passes] [case]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "automation_runner.h"
#include "engine_runners.h"
#include "parameters.h"

namespace {

struct Case {
    std::string name;
    int param;  // -1: processBlock, -2: processCore without changes
    int every;
    int block;
};

uint64_t digestOf(const StereoBuffer& out, float meter) {
    uint64_t h = 1469598103934665603ull;
    auto add = [&](float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        h = (h ^ u) * 1099511628211ull;
    };
    for (size_t f = 0; f < out.left.size(); ++f) add(out.left[f]), add(out.right[f]);
    add(meter);
    return h;
}

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::atoi(argv[1]) : 3;
    const char* only = argc > 2 ? argv[2] : nullptr;
    const BenchSignal s = musicSignal();
    StereoBuffer out;
    sizeLike(s, out);
    std::vector<Case> cases = {{"auto-none", kThreshold, 0, 0}};
    const char* names[kParamCount] = {"thr", "", "att", "", "", "", "", "mix", ""};
    for (int p : {kThreshold, kAttack, kMix})
        for (int e : {1, 8, 32}) cases.push_back({std::string(names[p]) + "-" + std::to_string(e), p, e, 0});
    for (int b : {1, 32, 512}) cases.push_back({"block-" + std::to_string(b), -1, 0, b});
    cases.push_back({"core-1", -2, 0, 1});
    std::vector<AutomationProgram> programs;
    for (const Case& c : cases) programs.push_back(automationProgram(s, c.param < 0 ? 0 : c.param, c.every));

    ShippedRunner shipped;
    CoreRunner automated;
    PluginCore* core = new PluginCore;
    initCore(*core);
    auto coreBlocks = [&](int block) {  // a host without in-block changes
        setSampleRate(*core, static_cast<float>(kBenchRate));
        for (int i = 0; i < kParamCount; ++i) setParameter(*core, i, s.params[i]);
        startOver(*core);
        for (int64_t at = 0; at < s.frames(); at += block) {
            const int32_t n = static_cast<int32_t>(std::min<int64_t>(block, s.frames() - at));
            const float* in[2] = {s.left.data() + at, s.right.data() + at};
            float* o[2] = {out.left.data() + at, out.right.data() + at};
            processCore(*core, in, o, n);
        }
        return gainReductionMeter(*core);
    };
    std::vector<double> best(cases.size(), INFINITY);
    std::vector<uint64_t> digest(cases.size(), 0);
    for (int pass = 0; pass < passes; ++pass)
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case& c = cases[i];
            if (only && c.name != only) continue;
            const auto start = std::chrono::steady_clock::now();
            float meter;
            if (c.param == -2) meter = coreBlocks(c.block);
            else if (c.param == -1) shipped.run(s, c.block, out), meter = shipped.meter();
            else automated.run(s, programs[i], out), meter = automated.meter();
            const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
            best[i] = std::min(best[i], ns / static_cast<double>(s.frames()));
            digest[i] = digestOf(out, meter);
        }
    for (size_t i = 0; i < cases.size(); ++i)
        if (!only || cases[i].name == only)
            std::printf("%s %.3f %016llx\n", cases[i].name.c_str(), best[i], static_cast<unsigned long long>(digest[i]));
    delete core;
    return 0;
}
