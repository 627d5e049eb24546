#include "render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kLargestBlock = 1 << 20;

// The whole text must be one finite decimal number.
bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool parseSetting(const std::string& text, ParameterSetting& setting, std::string& error) {
    const size_t eq = text.rfind('=');
    if (eq == std::string::npos || eq == 0) {
        error = "--set needs NAME=VALUE, got '" + text +
                "'; write for example --set Threshold=0.3 or --set \"Threshold=-24 dB\"";
        return false;
    }
    setting.name = text.substr(0, eq);
    setting.text = text.substr(eq + 1);
    if (!splitNumberAndUnit(setting.text, setting.displayNumber, setting.unit)) {
        error = "the value '" + setting.text + "' for " + setting.name +
                " is not a number; give a normalised value from 0 to 1, or a value with the "
                "parameter's unit such as \"-24 dB\"";
        return false;
    }
    if (setting.unit.empty()) {
        const double value = setting.displayNumber;
        if (value < 0.0 || value > 1.0) {
            error = "the value " + setting.text + " for " + setting.name +
                    " is outside 0..1; give a normalised value from 0 to 1, or a value with the "
                    "parameter's unit such as \"-24 dB\"";
            return false;
        }
        setting.normalised = static_cast<float>(value);
        return true;
    }
    setting.isDisplayValue = true;
    return true;
}

}  // namespace

bool splitNumberAndUnit(const std::string& text, double& number, std::string& unit) {
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    number = std::strtod(start, &end);
    if (end == start || errno != 0 || !std::isfinite(number)) return false;
    const size_t first = text.find_first_not_of(" \t", static_cast<size_t>(end - start));
    const size_t last = text.find_last_not_of(" \t");
    unit = first == std::string::npos ? std::string() : text.substr(first, last + 1 - first);
    return true;
}

const char* renderUsage() {
    return "usage: render_host --plugin DLL --info\n"
           "       render_host --plugin DLL --in IN.raw --out OUT.raw --rate HZ\n"
           "                   [--block N] [--process] [--bypass] [--set NAME=VALUE]...\n"
           "       render_host --plugin DLL --serve FOLDER [same options]\n"
           "                   (jobs \"render HZ\" on stdin, each FOLDER/in.raw to FOLDER/out.raw\n"
           "                   through a fresh instance; answers on stdout)\n"
           "Raw files hold 32-bit float stereo interleaved frames. VALUE is normalised (0..1),\n"
           "or a number with the parameter's unit as the plug-in shows it (\"-24 dB\", 4:1).\n";
}

bool parseRenderOptions(const std::vector<std::string>& args, RenderOptions& o,
                        std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--plugin" || a == "--in" || a == "--out" || a == "--rate" ||
                                a == "--block" || a == "--set" || a == "--serve";
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value; see --help";
            return false;
        }
        if (a == "--plugin") {
            o.pluginPath = args[++i];
        } else if (a == "--in") {
            o.inputPath = args[++i];
        } else if (a == "--out") {
            o.outputPath = args[++i];
        } else if (a == "--serve") {
            o.serveFolder = args[++i];
        } else if (a == "--rate") {
            double rate = 0.0;
            if (!parseNumber(args[++i], rate) || rate <= 0.0 || rate > 10e6) {
                error = "the sample rate '" + args[i] +
                        "' is not a rate in hertz; give for example --rate 48000";
                return false;
            }
            o.sampleRate = rate;
        } else if (a == "--block") {
            double block = 0.0;
            if (!parseNumber(args[++i], block) || block < 1 || block > kLargestBlock ||
                block != std::floor(block)) {
                error = "the block size '" + args[i] + "' is not a whole number from 1 to " +
                        std::to_string(kLargestBlock) + "; give for example --block 512";
                return false;
            }
            o.blockSize = static_cast<int>(block);
        } else if (a == "--set") {
            ParameterSetting s;
            if (!parseSetting(args[++i], s, error)) return false;
            o.settings.push_back(s);
        } else if (a == "--info") {
            o.infoOnly = true;
        } else if (a == "--process") {
            o.useAccumulatingProcess = true;
        } else if (a == "--bypass") {
            o.hostBypass = true;
        } else if (a == "--help" || a == "-h") {
            o.showUsage = true;
            return true;
        } else {
            error = "unknown option '" + a + "'; see --help";
            return false;
        }
    }
    if (o.pluginPath.empty()) {
        error = "no plug-in given; add --plugin PATH-TO.dll";
        return false;
    }
    if (!o.infoOnly && o.serveFolder.empty() && (o.inputPath.empty() || o.outputPath.empty())) {
        error = "nothing to render; add --in and --out raw files, --serve FOLDER, or --info";
        return false;
    }
    return true;
}
