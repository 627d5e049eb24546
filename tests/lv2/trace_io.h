#pragma once
// Shared by the LV2 and DLL meter traces, which must cut the same blocks:
//   TRACE BLOCK RATE IN.raw METERS.raw V0 ... V8
// IN is interleaved float32 stereo, processed in place; V are the nine
// normalised values; METERS gets the meter (float32) after every block.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "parameters.h"

struct TraceArgs {
    int32_t block;
    float rate;
    float params[kParamCount];
};

inline bool parseTrace(int argc, char** argv, TraceArgs& a) {
    if (argc != 5 + kParamCount) return false;
    a.block = std::atoi(argv[1]);
    a.rate = std::strtof(argv[2], nullptr);
    for (int i = 0; i < kParamCount; ++i) a.params[i] = std::strtof(argv[5 + i], nullptr);
    return a.block > 0;
}

// process(io, frames) runs one block in place and returns the meter after it.
template <class Process> bool writeTrace(char** argv, int32_t block, Process process) {
    std::vector<float> left, right, meters;
    float frame[2];
    FILE* in = std::fopen(argv[3], "rb");
    while (in && std::fread(frame, sizeof frame, 1, in) == 1) {
        left.push_back(frame[0]);
        right.push_back(frame[1]);
    }
    for (size_t at = 0; at < left.size(); at += static_cast<size_t>(block)) {
        float* io[2] = {&left[at], &right[at]};
        meters.push_back(process(io, static_cast<int32_t>(std::min<size_t>(block, left.size() - at))));
    }
    FILE* out = std::fopen(argv[4], "wb");
    const bool ok = in && out && std::fwrite(meters.data(), sizeof(float), meters.size(), out) == meters.size();
    if (in) std::fclose(in);
    return out && std::fclose(out) == 0 && ok;
}
