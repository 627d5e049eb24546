// Times the real DorlinQuillet.dll under Wine: processReplacing at block 512
// (or the block size given as the only argument) on the music-like program, through the exported entry as a host calls it. In the
// same run, with the same compiler and runtime maths library: a plain copy of
// the same frames, the engine linked statically, and the literal transcription.
// Prints one JSON line per measurement (best of 15 passes).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine_runners.h"
#include "vst2_host/vst_host.h"

namespace {

int32_t blockSize = 512;  // set once from the command line
constexpr int kPasses = 15;
using Clock = std::chrono::steady_clock;

double nsPerFrame(Clock::duration d, int64_t frames) {
    return std::chrono::duration<double, std::nano>(d).count() / static_cast<double>(frames);
}

template <class Body>
double timeOnce(int64_t frames, Body body) {
    const Clock::time_point start = Clock::now();
    body();
    return nsPerFrame(Clock::now() - start, frames);
}

void print(const char* engine, const BenchSignal& s, double ns) {
    std::printf("{\"engine\": \"%s\", \"signal\": \"%s\", \"block\": %d, \"ns_per_frame\": %.4f}\n",
                engine, s.name.c_str(), blockSize, ns);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) blockSize = std::max(1, std::atoi(argv[1]));
    LoadedPlugin plugin = loadPlugin(pluginPathBesideProgram());
    if (!plugin.entry) {
        std::fprintf(stderr, "dll_bench: cannot load %s\n", pluginPathBesideProgram().c_str());
        return 1;
    }
    const BenchSignal signal = musicSignal();
    const int64_t frames = signal.frames();
    StereoBuffer out;
    sizeLike(signal, out);

    ShippedRunner shipped;
    LiteralRunner literal;
    StereoBuffer direct;
    sizeLike(signal, direct);

    // The four measurements take turns, pass after pass, so that a busy moment
    // of a shared machine cannot favour one of them; each keeps its best pass.
    double dll = INFINITY, copy = INFINITY, statically = INFINITY, reference = INFINITY;
    for (int pass = 0; pass < kPasses; ++pass) {
        // A fresh instance per pass; only the processReplacing calls are timed.
        AEffect* effect = plugin.entry(recordingAudioMaster);
        if (!effect) return 1;
        dispatch(effect, effOpen);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kBenchRate));
        dispatch(effect, effSetBlockSize, 0, blockSize);
        for (int32_t i = 0; i < kBenchParamCount; ++i) effect->setParameter(effect, i, signal.params[i]);
        dispatch(effect, effMainsChanged, 0, 1);
        dll = std::min(dll, timeOnce(frames, [&] {
            for (int64_t at = 0; at < frames; at += blockSize) {
                const int32_t n = static_cast<int32_t>(std::min<int64_t>(blockSize, frames - at));
                float* in[2] = {const_cast<float*>(signal.left.data()) + at,
                                const_cast<float*>(signal.right.data()) + at};
                float* outs[2] = {out.left.data() + at, out.right.data() + at};
                effect->processReplacing(effect, in, outs, n);
            }
        }));
        dispatch(effect, effMainsChanged, 0, 0);
        closeEffect(effect);

        copy = std::min(copy, timeOnce(frames, [&] {
            for (int64_t at = 0; at < frames; at += blockSize) {
                const size_t n = static_cast<size_t>(std::min<int64_t>(blockSize, frames - at));
                std::memcpy(direct.left.data() + at, signal.left.data() + at, n * sizeof(float));
                std::memcpy(direct.right.data() + at, signal.right.data() + at, n * sizeof(float));
            }
        }));
        reference = std::min(reference, timeOnce(frames, [&] { literal.run(signal, blockSize, direct); }));
        statically = std::min(statically, timeOnce(frames, [&] { shipped.run(signal, blockSize, direct); }));
    }
    print("dll", signal, dll);
    print("copy", signal, copy);
    print("shipped_static", signal, statically);
    print("literal", signal, reference);

    // The DLL's output must be the engine's, linked here directly (`direct`
    // holds the static engine's last pass, `out` the DLL's).
    float maxDifference = 0.0f;
    for (size_t i = 0; i < direct.left.size(); ++i)
        maxDifference = std::max({maxDifference, std::fabs(direct.left[i] - out.left[i]),
                                  std::fabs(direct.right[i] - out.right[i])});
    std::printf("{\"engine\": \"dll_vs_static_max_abs_diff\", \"value\": %.3g}\n", maxDifference);
    unloadPlugin(plugin);
    return 0;
}
