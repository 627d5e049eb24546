#pragma once
// Raw 32-bit float stereo interleaved frames from one file through a prepared
// plug-in instance into another file, in host-sized blocks. Failures throw
// RenderError; the output appears only when complete.
#include <functional>
#include <string>

#include "vst_host.h"

struct StreamSettings {
    int32_t blockSize = 512;
    bool useAccumulatingProcess = false;  // the `process` slot instead of `processReplacing`
    std::function<void(long long done, long long total)> progress;  // may be empty
};

void renderRawFile(AEffect* e, const std::string& inputPath, const std::string& outputPath,
                   const StreamSettings& settings);

// Deletes the half-written output of a render cut short (a plug-in crash).
void removeUnfinishedOutput();
