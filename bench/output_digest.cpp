// Prints one 64-bit digest of the engine's output bits and per-block meter
// values for each case: the benchmark programs at several settings and many
// block sizes, hostile input, and automation (parameters moving every block,
// bypass, rate changes). Run it before and after a restructuring of the engine,
// natively and built by mingw-w64 under Wine: equal lines mean equal bits.
// A case that is listed twice must digest the same, so `--check FILE` compares
// with a saved run and exits 1 on any difference.
// Built by mingw-w64: `--x87 24|53|64` sets the thread's x87 precision before
// every engine call (as a host's graphics library may), and `--dll` runs every
// case through DorlinQuillet.dll beside the program as well, its output bits
// compared with the engine's block by block (the VST 2 interface has no meter).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_constants.h"
#include "engine_state.h"
#include "signals.h"

#if defined(_WIN32)
#include "vst2_host/vst_host.h"
#endif

namespace {

// The x87 control word for the engine calls (0: left as it is). Precision
// control is bits 8 and 9: 00 24 bits, 10 53 bits, 11 64 bits.
unsigned short x87Control = 0;
struct X87Precision {
#if defined(__x86_64__) || defined(__i386__)
    unsigned short saved = 0;
    X87Precision() {
        if (!x87Control) return;
        __asm__ __volatile__("fnstcw %0" : "=m"(saved));
        __asm__ __volatile__("fldcw %0" : : "m"(x87Control));
    }
    ~X87Precision() {
        if (x87Control) __asm__ __volatile__("fldcw %0" : : "m"(saved));
    }
#else
    X87Precision() {}  // no x87 elsewhere
#endif
};
unsigned short x87ControlFor(int bits) {
    const unsigned short precision = bits == 24 ? 0x000 : bits == 53 ? 0x200 : 0x300;
    return static_cast<unsigned short>(0x007f | precision);  // exceptions masked, rounding to nearest
}

#if defined(_WIN32)
LoadedPlugin plugin;
size_t dllBlocks = 0, dllBlocksDiffering = 0;
#endif

// `--emit FILE` writes every block's output samples and meter as raw floats;
// `--against FILE` reads such a stream from another build (a pipe will do) and
// prints the largest difference of any output sample and of any meter value.
struct SampleStreams {
    FILE* emit = nullptr;
    FILE* against = nullptr;
    double sampleDifference = 0.0, meterDifference = 0.0;
    bool shortStream = false;
    void add(const float* v, size_t n, double& largest) {
        if (emit) std::fwrite(v, sizeof(float), n, emit);
        if (!against) return;
        for (size_t i = 0; i < n; ++i) {
            float other;
            if (std::fread(&other, sizeof other, 1, against) != 1) {
                shortStream = true;
                return;
            }
            const double d = std::fabs(double(v[i]) - double(other));
            if (d > largest || d != d) largest = d != d ? INFINITY : d;
        }
    }
} streams;

struct Digest {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    void add(const void* p, size_t n) {
        const unsigned char* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    }
};

struct Rig {
    std::unique_ptr<EngineState> state = std::make_unique<EngineState>();
    BlockControls controls{};
    std::atomic<double> hostRate{kFallbackSampleRate};
    Digest digest;
#if defined(_WIN32)
    AEffect* effect = nullptr;
    std::vector<float> dL, dR;
#endif
    explicit Rig(const float* params) {
        initEngineState(*state);
        std::memcpy(controls.params, params, sizeof controls.params);
        controls.hostSampleRate = kFallbackSampleRate;
#if defined(_WIN32)
        if (!plugin.entry) return;
        effect = plugin.entry(recordingAudioMaster);
        dispatch(effect, effOpen);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kFallbackSampleRate));
        dispatch(effect, effSetBlockSize, 0, 4096);
        dispatch(effect, effMainsChanged, 0, 1);
#endif
    }
#if defined(_WIN32)
    ~Rig() {
        if (!effect) return;
        dispatch(effect, effMainsChanged, 0, 0);
        closeEffect(effect);
    }
#endif
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;
    void setRate(float rate) {
        applySampleRate(hostRate, state->coefficients, rate);
        controls.hostSampleRate = hostRate.load();
#if defined(_WIN32)
        if (effect) dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
#endif
    }
    // The same block through the DLL, with the same parameters and bypass.
    void dllBlock(const float* l, const float* r, int32_t n, const std::vector<float>& oL,
                  const std::vector<float>& oR) {
#if defined(_WIN32)
        if (!effect) return;
        for (int i = 0; i < kParamCount; ++i) effect->setParameter(effect, i, controls.params[i]);
        dispatch(effect, effSetBypass, 0, controls.hostBypass ? 1 : 0);
        dL.assign(oL.size(), -7.0f);
        dR.assign(oR.size(), -7.0f);
        float* in[2] = {const_cast<float*>(l), const_cast<float*>(r)};
        float* out[2] = {dL.data(), dR.data()};
        {
            const X87Precision precision;
            effect->processReplacing(effect, in, out, n);
        }
        ++dllBlocks;
        const size_t bytes = sizeof(float) * static_cast<size_t>(n > 0 ? n : 0);
        if (std::memcmp(dL.data(), oL.data(), bytes) != 0 || std::memcmp(dR.data(), oR.data(), bytes) != 0)
            ++dllBlocksDiffering;
#else
        (void)l, (void)r, (void)n, (void)oL, (void)oR;
#endif
    }
    // One block in separate output buffers; output bits and meter into the digest.
    void block(const float* l, const float* r, int32_t n, std::vector<float>& oL, std::vector<float>& oR) {
        oL.assign(static_cast<size_t>(n > 0 ? n : 1), -7.0f);
        oR.assign(oL.size(), -7.0f);
        const float* in[2] = {l, r};
        float* out[2] = {oL.data(), oR.data()};
        {
            const X87Precision precision;
            processBlock(*state, controls, in, out, n);
        }
        dllBlock(l, r, n, oL, oR);
        if (n > 0) {
            digest.add(oL.data(), sizeof(float) * size_t(n));
            digest.add(oR.data(), sizeof(float) * size_t(n));
            streams.add(oL.data(), size_t(n), streams.sampleDifference);
            streams.add(oR.data(), size_t(n), streams.sampleDifference);
        }
        const float meter = state->gainReductionMeter.load();
        digest.add(&meter, sizeof meter);
        streams.add(&meter, 1, streams.meterDifference);
    }
};

// Block sizes 0 .. 700 from a fixed sequence, so every path meets every other.
int32_t mixedBlock(uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    const uint32_t pick = seed >> 24;
    if (pick < 64) return 1;
    if (pick < 96) return static_cast<int32_t>(pick % 5);  // 0 .. 4
    if (pick < 160) return static_cast<int32_t>(1 + (seed >> 8) % 70);
    return static_cast<int32_t>((seed >> 8) % 701);
}

uint64_t runSignal(const std::vector<float>& l, const std::vector<float>& r, const float* params,
                   int32_t blockSize) {
    Rig rig(params);
    std::vector<float> oL, oR;
    uint32_t seed = 7;
    const int64_t frames = static_cast<int64_t>(l.size());
    for (int64_t at = 0; at < frames;) {
        int32_t n = blockSize > 0 ? blockSize : mixedBlock(seed);
        if (n > frames - at) n = static_cast<int32_t>(frames - at);
        rig.block(l.data() + at, r.data() + at, n, oL, oR);
        at += n;
    }
    return rig.digest.h;
}

// Parameters move every block, Bypass and host bypass hold for stretches, the
// host rate changes (below the coefficient floor too), block sizes vary.
uint64_t runAutomated(const BenchSignal& s) {
    Rig rig(s.params);
    std::vector<float> oL, oR;
    uint32_t seed = 99;
    const float rates[5] = {44100.0f, 48000.0f, 4000.0f, 96000.0f, 0.0f};
    for (int64_t at = 0, block = 0; at < s.frames(); ++block) {
        if (block % 400 == 0) rig.setRate(rates[(block / 400) % 5]);
        for (int i = 0; i < kParamCount - 1; ++i)
            rig.controls.params[i] = static_cast<float>(0.5 + 0.5 * std::sin(0.013 * double(block) * (i + 1) + i));
        rig.controls.params[kBypass] = block % 50 == 49 ? 0.8f : 0.0f;
        rig.controls.hostBypass = block % 170 == 3;
        int32_t n = mixedBlock(seed);
        if (n > s.frames() - at) n = static_cast<int32_t>(s.frames() - at);
        rig.block(s.left.data() + at, s.right.data() + at, n, oL, oR);
        at += n;
    }
    return rig.digest.h;
}

// The program with NaN, infinities, huge values, subnormals, tiny values and
// negative zeros sprinkled in, some in runs.
void makeHostile(const BenchSignal& s, std::vector<float>& l, std::vector<float>& r) {
    l = s.left;
    r = s.right;
    const float specials[8] = {std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY, 3e7f,
                               1e-40f, -2e-33f, -0.0f, 1e-30f};
    uint32_t seed = 3;
    for (size_t i = 0; i < l.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        if ((seed >> 20) % 997 == 0) {
            const float v = specials[(seed >> 8) % 8];
            const size_t run = (seed >> 12) % 40;
            for (size_t k = i; k < i + run && k < l.size(); ++k) ((seed & 1) ? l : r)[k] = v;
        }
    }
    // A long tiny tail: the flush-to-zero paths meet input that is not zero.
    for (size_t i = l.size() - 44100; i < l.size(); ++i) l[i] = r[i] = (i % 2 ? 1e-38f : -1e-41f);
}

struct Setting {
    const char* name;
    int index;  // -1: the program's own setting
    float value;
};

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--emit") == 0) streams.emit = std::fopen(argv[i + 1], "wb");
        if (std::strcmp(argv[i], "--against") == 0) streams.against = std::fopen(argv[i + 1], "rb");
        if (std::strcmp(argv[i], "--x87") == 0) x87Control = x87ControlFor(std::atoi(argv[i + 1]));
    }
#if defined(_WIN32)
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--dll") == 0) {
            plugin = loadPlugin(pluginPathBesideProgram());
            if (!plugin.entry) return std::fprintf(stderr, "cannot load %s\n", pluginPathBesideProgram().c_str()), 1;
        }
#endif
    std::vector<std::string> lines;
    auto emit = [&](const std::string& name, uint64_t h) {
        char text[160];
        std::snprintf(text, sizeof text, "%s %016llx", name.c_str(), static_cast<unsigned long long>(h));
        lines.push_back(text);
    };
    const Setting settings[] = {{"own", -1, 0.0f},        {"armor-off", kBassArmor, 0.0f},
                                {"glue-off", kGlue, 0.0f}, {"mix-half", kMix, 0.5f},
                                {"armor-max", kBassArmor, 1.0f}};
    const int32_t blocks[] = {1, 2, 3, 4, 5, 7, 31, 32, 33, 64, 65, 100, 512, 4096, 0};
    for (const BenchSignal& s : allBenchSignals()) {
        for (const Setting& setting : settings) {
            float params[kParamCount];
            std::memcpy(params, s.params, sizeof params);
            if (setting.index >= 0) params[setting.index] = setting.value;
            if (setting.index == kBassArmor && setting.value == 0.0f) params[kGlue] = 0.0f;  // both off
            for (int32_t b : blocks)
                emit(s.name + "/" + setting.name + "/" + (b ? std::to_string(b) : "mixed"),
                     runSignal(s.left, s.right, params, b));
        }
        std::vector<float> l, r;
        makeHostile(s, l, r);
        for (int32_t b : {1, 2, 3, 64, 512, 0})
            emit(s.name + "/hostile/" + (b ? std::to_string(b) : "mixed"), runSignal(l, r, s.params, b));
        emit(s.name + "/automated", runAutomated(s));
    }
    if (streams.emit) std::fclose(streams.emit);
    if (streams.against) {
        std::printf("largest difference: output sample %.9g, meter %.9g dB%s\n", streams.sampleDifference,
                    streams.meterDifference, streams.shortStream ? " (the other stream ended early)" : "");
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--check") == 0) {
        FILE* f = std::fopen(argv[2], "r");
        if (!f) return std::fprintf(stderr, "cannot read %s\n", argv[2]), 1;
        char text[200];
        size_t i = 0, differ = 0;
        while (std::fgets(text, sizeof text, f)) {
            text[std::strcspn(text, "\r\n")] = 0;
            const bool same = i < lines.size() && lines[i] == text;
            if (!same) std::printf("DIFFERS: %s (now %s)\n", text, i < lines.size() ? lines[i].c_str() : "-"), ++differ;
            ++i;
        }
        std::fclose(f);
        std::printf("%zu cases, %zu differ\n", lines.size(), differ + (i != lines.size()));
        bool dllSame = true;
#if defined(_WIN32)
        if (plugin.entry) {
            std::printf("through the DLL: %zu blocks, %zu differ\n", dllBlocks, dllBlocksDiffering);
            dllSame = dllBlocks > 0 && dllBlocksDiffering == 0;
        }
#endif
        return differ == 0 && i == lines.size() && dllSame ? 0 : 1;
    }
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    return 0;
}
