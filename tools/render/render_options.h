#pragma once
// Command line of the offline render host, parsed into a plain record.
#include <string>
#include <vector>

struct ParameterSetting {
    std::string name;  // as the plug-in reports it through effGetParamName
    float value;       // normalised, 0..1
};

struct RenderOptions {
    std::string pluginPath;
    std::string inputPath;   // raw 32-bit float stereo interleaved
    std::string outputPath;  // same format
    double sampleRate = 44100.0;
    int blockSize = 512;
    bool infoOnly = false;
    bool useAccumulatingProcess = false;  // the `process` slot instead of `processReplacing`
    bool hostBypass = false;
    bool showProgress = false;
    bool showUsage = false;
    std::vector<ParameterSetting> settings;
};

// Fills `options`; on a mistake returns false with one sentence in `error` that
// says what is wrong and what to do.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error);
const char* renderUsage();
