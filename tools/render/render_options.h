#pragma once
// Command line of the offline render host, parsed into a plain record.
#include <string>
#include <vector>

// One --set NAME=VALUE. A bare number is a normalised value; a number followed
// by a unit ("-24 dB", "4:1", "10 ms") is a value as the plug-in displays it,
// resolved against the plug-in's own texts once it is loaded.
struct ParameterSetting {
    std::string name;      // as the plug-in reports it through effGetParamName
    std::string text;      // the value as given
    bool isDisplayValue = false;
    float normalised = 0;  // 0..1, for a bare number
    double displayNumber = 0;  // the number of a display value
    std::string unit;          // the unit of a display value, as given
};

struct RenderOptions {
    std::string pluginPath;
    std::string inputPath;   // raw 32-bit float stereo interleaved
    std::string outputPath;  // same format
    std::string serveFolder; // --serve: render jobs asked for on stdin, raw files in this folder
    double sampleRate = 44100.0;
    int blockSize = 512;
    bool infoOnly = false;
    bool useAccumulatingProcess = false;  // the `process` slot instead of `processReplacing`
    bool hostBypass = false;
    bool showUsage = false;
    std::vector<ParameterSetting> settings;
};

// Fills `options`; on a mistake returns false with one sentence in `error` that
// says what is wrong and what to do.
bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error);
const char* renderUsage();

// The number at the start of `text` (after blanks) and what follows it, trimmed;
// false when the text does not start with a finite number.
bool splitNumberAndUnit(const std::string& text, double& number, std::string& unit);
