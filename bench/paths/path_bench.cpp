// What each speed path of the engine buys: the engine with every path, and
// with one path switched off (or one arithmetic rewrite undone), timed in turns
// pass after pass on the same frames, best pass each, at blocks 1, 32 and 512.
// Prints per case the cost in ns per frame and its ratio to the full engine.
// Builds natively and with mingw-w64 (run under Wine).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "engine_paths.h"
#include "engine_state.h"
#include "signals.h"

SpeedPaths gSpeedPaths;

namespace {

using Process = void (*)(EngineState&, const BlockControls&, const float* const*, float* const*, int32_t);

struct Variant {
    const char* name;
    Process process;
    SpeedPaths paths;
    bool sameBits;  // a block-level choice: must give today's bits
};

std::vector<Variant> variants() {
    std::vector<Variant> v;
    auto add = [&](const char* name, Process p, auto change, bool same) {
        SpeedPaths s;
        change(s);
        v.push_back({name, p, s, same});
    };
    add("all paths", pathsToday::processBlock, [](SpeedPaths&) {}, true);
    add("restructured engine", ::processBlock, [](SpeedPaths&) {}, true);
    add("restructured, AVX2 passes", ::processBlock, [](SpeedPaths& s) { s.isa = 1; }, true);
    add("restructured, baseline passes", ::processBlock, [](SpeedPaths& s) { s.isa = 0; }, true);
    add("no one-frame path", pathsToday::processBlock, [](SpeedPaths& s) { s.oneFrame = false; }, true);
    add("no short-block loop", pathsToday::processBlock, [](SpeedPaths& s) { s.shortBlock = false; }, true);
    add("no one-frame, no short-block", pathsToday::processBlock,
        [](SpeedPaths& s) { s.oneFrame = s.shortBlock = false; }, true);
    add("no chunked passes", pathsToday::processBlock, [](SpeedPaths& s) { s.chunked = false; }, true);
    add("plain loop only", pathsToday::processBlock,
        [](SpeedPaths& s) { s.chunked = s.oneFrame = false; }, true);
    add("plain loop, always guarded", pathsToday::processBlock,
        [](SpeedPaths& s) { s.chunked = s.oneFrame = s.guardSkip = false; }, true);
    add("passes: baseline build", pathsToday::processBlock, [](SpeedPaths& s) { s.isa = 0; }, true);
    add("passes: AVX2 build", pathsToday::processBlock, [](SpeedPaths& s) { s.isa = 1; }, true);
    add("no block-value cache", pathsToday::processBlock, [](SpeedPaths& s) { s.blockCache = false; }, true);
    add("no guard skip", pathsToday::processBlock, [](SpeedPaths& s) { s.guardSkip = false; }, true);
    add("no below-threshold skip", pathsToday::processBlock, [](SpeedPaths& s) { s.thresholdSkip = false; }, true);
    add("no vector minimum", pathsToday::processBlock, [](SpeedPaths& s) { s.simdSmallest = false; }, true);
    add("one build for armor and glue", pathsRuntimeOptions::processBlock, [](SpeedPaths&) {}, true);
    add("held peak divided", pathsHeldDivision::processBlock, [](SpeedPaths&) {}, false);
    add("control values written out", pathsWrittenControls::processBlock, [](SpeedPaths&) {}, false);
    add("gain computer written out", pathsWrittenGain::processBlock, [](SpeedPaths&) {}, false);
    add("meter by runtime log10", pathsRuntimeLog10::processBlock, [](SpeedPaths&) {}, false);
    return v;
}

double runOnce(const Variant& v, const BenchSignal& s, int32_t block, EngineState& state, StereoBuffer& out) {
    gSpeedPaths = v.paths;
    selectEngineInstructionSet(v.paths.isa);
    initEngineState(state);
    BlockControls controls{};
    std::memcpy(controls.params, s.params, sizeof controls.params);
    controls.hostSampleRate = kBenchRate;
    const auto start = std::chrono::steady_clock::now();
    for (int64_t at = 0; at < s.frames(); at += block) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(block, s.frames() - at));
        const float* in[2] = {s.left.data() + at, s.right.data() + at};
        float* outs[2] = {out.left.data() + at, out.right.data() + at};
        v.process(state, controls, in, outs, n);
    }
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(end - start).count() / double(s.frames());
}

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::vector<Variant> all = variants();
    const BenchSignal signals[3] = {musicSignal(), heavySignal(), silentTailSignal()};
    // Three block sizes, 1, 32 and 512 unless given as "a,b,c" after the pass count.
    int32_t blocks[3] = {1, 32, 512};
    if (argc > 2) std::sscanf(argv[2], "%d,%d,%d", &blocks[0], &blocks[1], &blocks[2]);
    auto state = std::make_unique<EngineState>();
    StereoBuffer out, reference;
    std::vector<double> best(all.size() * 9, INFINITY);
    bool identical = true;
    for (int pass = 0; pass < passes; ++pass) {
        for (int si = 0; si < 3; ++si) {
            sizeLike(signals[si], out);
            for (int bi = 0; bi < 3; ++bi) {
                for (size_t vi = 0; vi < all.size(); ++vi) {
                    double& slot = best[vi * 9 + size_t(si * 3 + bi)];
                    slot = std::min(slot, runOnce(all[vi], signals[si], blocks[bi], *state, out));
                    if (pass == 0 && vi == 0) reference = out;
                    if (pass == 0 && all[vi].sameBits)
                        identical = identical &&
                                    std::memcmp(out.left.data(), reference.left.data(), out.left.size() * 4) == 0 &&
                                    std::memcmp(out.right.data(), reference.right.data(), out.right.size() * 4) == 0;
                }
            }
        }
    }
    std::printf("%-30s", "ns per frame (ratio to all)");
    for (const BenchSignal& s : signals)
        for (int32_t b : blocks) std::printf(" | %s %4d      ", s.name.c_str(), b);
    std::printf("\n");
    for (size_t vi = 0; vi < all.size(); ++vi) {
        std::printf("%-30s", all[vi].name);
        for (int c = 0; c < 9; ++c) std::printf(" | %6.2f (%4.2fx)", best[vi * 9 + c], best[vi * 9 + c] / best[c]);
        std::printf("\n");
    }
    std::printf("block-level variants give today's bits: %s\n", identical ? "yes" : "NO");
    return identical ? 0 : 1;
}
