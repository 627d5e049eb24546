#pragma once
// Shared by the LV2 and DLL trace programs, which must see the same blocks:
//   TRACE BLOCK RATE IN.raw OUT.raw METERS.raw V0 ... V8
// raw files are interleaved float32 stereo; V are the nine normalised values.
// METERS gets the meter (float32) after every block.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "parameters.h"

struct TraceArgs {
    int32_t block;
    float rate;
    const char *in, *out, *meters;
    float params[kParamCount];
};

inline bool parseTraceArgs(int argc, char** argv, TraceArgs& a) {
    if (argc != 6 + kParamCount) {
        std::fprintf(stderr, "usage: %s BLOCK RATE IN.raw OUT.raw METERS.raw V0 ... V8\n", argv[0]);
        return false;
    }
    a = {std::atoi(argv[1]), std::strtof(argv[2], nullptr), argv[3], argv[4], argv[5], {}};
    for (int i = 0; i < kParamCount; ++i) a.params[i] = std::strtof(argv[6 + i], nullptr);
    return a.block > 0;
}

// process(in, out, frames) runs one block and returns the meter after it.
template <class Process> bool writeTrace(const TraceArgs& a, Process process) {
    std::vector<float> left, right, meters;
    float frame[2];
    FILE* f = std::fopen(a.in, "rb");
    while (f && std::fread(frame, sizeof frame, 1, f) == 1) {
        left.push_back(frame[0]);
        right.push_back(frame[1]);
    }
    if (!f || std::fclose(f) != 0) return false;
    std::vector<float> outL(left.size()), outR(left.size());
    for (size_t at = 0; at < left.size(); at += static_cast<size_t>(a.block)) {
        const int32_t n = static_cast<int32_t>(std::min<size_t>(a.block, left.size() - at));
        const float* in[2] = {&left[at], &right[at]};
        float* out[2] = {&outL[at], &outR[at]};
        meters.push_back(process(in, out, n));
    }
    FILE* o = std::fopen(a.out, "wb");
    for (size_t i = 0; o && i < outL.size(); ++i) {
        const float pair[2] = {outL[i], outR[i]};
        std::fwrite(pair, sizeof pair, 1, o);
    }
    FILE* m = std::fopen(a.meters, "wb");
    if (m) std::fwrite(meters.data(), sizeof(float), meters.size(), m);
    const bool ok = o && m && !std::ferror(o) && !std::ferror(m);
    if (o) std::fclose(o);
    if (m) std::fclose(m);
    return ok;
}
