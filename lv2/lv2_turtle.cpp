// Writes the LV2 bundle's manifest.ttl and the plug-in's Turtle from the
// parameter table, so that the ports can never drift from the engine's table.
//
// The factory presets go into presets.ttl, each listed in the manifest.
//
//   lv2_turtle BUNDLE_DIR BINARY_NAME TTL_NAME [UI_BINARY_NAME]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lv2_ports.h"
#include "parameter_text.h"
#include "presets.h"

namespace {

// The units vocabulary's unit for a table label; null for a label it lacks.
const char* vocabularyUnit(const char* label) {
    static const char* const known[][2] = {
        {"dB", "units:db"}, {"ms", "units:ms"}, {"%", "units:pc"}, {"Hz", "units:hz"}};
    for (const auto& row : known)
        if (std::strcmp(label, row[0]) == 0) return row[1];
    return nullptr;
}

// A label the vocabulary lacks (the ratio's ":1") is a unit of the plug-in's
// own, named after the parameter and written from its row.
std::string ownUnitUri(const ParamSpec& p) { return std::string(kLv2PluginUri) + "#" + p.symbol; }

std::string unitFor(const ParamSpec& p) {
    const char* known = vocabularyUnit(p.label);
    return known ? known : "<" + ownUnitUri(p) + ">";
}

// Control ports with a unit: every parameter but the host's bypass switch,
// which is the enable port.
bool hasUnit(int index) { return !isHostBypass(index); }

void writeOwnUnits(FILE* f) {
    for (int i = 0; i < kParamCount; ++i) {
        const ParamSpec& p = kParamTable[i];
        if (!hasUnit(i) || vocabularyUnit(p.label)) continue;
        char render[32];
        writeValueFormat(i, render, sizeof render);
        std::fprintf(f, "<%s>\n\ta units:Unit ;\n\trdfs:label \"%s\" ;\n\tunits:symbol \"%s\" ;\n"
                        "\tunits:render \"%s\" .\n\n",
                     ownUnitUri(p).c_str(), p.symbol, p.label, render);
    }
}

// The shortest decimal (at least one place, so never a Turtle integer) that
// reads back as a float the caller accepts.
template <typename Accept>
std::string shortestDecimal(float value, Accept accept) {
    char text[64];
    for (int decimals = 1; decimals <= 9; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
        if (accept(std::strtof(text, nullptr))) break;
    }
    return text;
}

// The shortest decimal that a host reads back as exactly this float.
std::string decimal(float value) {
    return shortestDecimal(value, [value](float read) { return read == value; });
}

// A port value the plug-in maps back to exactly this normalised value: the
// preset's -16 dB, not the -15.999999 its mapping happens to give.
std::string portDecimal(ParamIndex index, float normalised) {
    return shortestDecimal(portValueFromNormalised(index, normalised),
                           [&](float read) { return normalisedFromPortValue(index, read) == normalised; });
}

void writeControlPort(FILE* f, int i) {
    const ParamIndex index = static_cast<ParamIndex>(i);
    const ParamSpec& p = kParamTable[i];
    std::fprintf(f, "\t[\n\t\ta lv2:InputPort, lv2:ControlPort ;\n\t\tlv2:index %d ;\n", i);
    if (!hasUnit(i)) {
        std::fprintf(f,
                     "\t\tlv2:symbol \"enabled\" ;\n\t\tlv2:name \"Enabled\" ;\n"
                     "\t\tlv2:designation lv2:enabled ;\n\t\tlv2:portProperty lv2:toggled ;\n");
    } else {
        std::fprintf(f, "\t\tlv2:symbol \"%s\" ;\n\t\tlv2:name \"%s\" ;\n\t\tunits:unit %s ;\n",
                     p.symbol, p.name, unitFor(p).c_str());
    }
    // The quadratic curve gives the short times more of the knob's travel; a
    // host's slider does the same on a logarithmic scale.
    if (p.curve == UnitCurve::kQuadratic) std::fputs("\t\tlv2:portProperty pprops:logarithmic ;\n", f);
    // The range's ends are the ends of the normalised range, whichever way the port runs.
    const float a = portValueFromNormalised(index, 0.0f), b = portValueFromNormalised(index, 1.0f);
    std::fprintf(f, "\t\tlv2:default %s ;\n\t\tlv2:minimum %s ;\n\t\tlv2:maximum %s\n\t]",
                 decimal(portValueFromNormalised(index, p.defaultValue)).c_str(),
                 decimal(a < b ? a : b).c_str(), decimal(a < b ? b : a).c_str());
}

void writeAudioPort(FILE* f, uint32_t index, bool input, const char* symbol, const char* name) {
    std::fprintf(f,
                 "\t[\n\t\ta lv2:%s, lv2:AudioPort ;\n\t\tlv2:index %u ;\n\t\tlv2:symbol \"%s\" ;\n"
                 "\t\tlv2:name \"%s\"\n\t]",
                 input ? "InputPort" : "OutputPort", index, symbol, name);
}

// The panel: embedded in the host's window, its work done in the host's idle
// call (it cannot work without either), the meter's port sent to it as well
// as the controls'.
void writeUi(FILE* f) {
    std::fprintf(f,
                 "<%s>\n\ta ui:X11UI ;\n"
                 "\tlv2:requiredFeature ui:idleInterface, ui:parent ;\n"
                 "\tlv2:optionalFeature ui:resize, ui:touch, opts:options, urid:map ;\n"
                 "\tlv2:extensionData ui:idleInterface, ui:resize, opts:interface ;\n"
                 "\topts:supportedOption ui:scaleFactor ;\n"
                 "\tui:portNotification [\n\t\tui:plugin <%s> ;\n\t\tlv2:symbol \"gain_reduction\" ;\n"
                 "\t\tui:protocol ui:floatProtocol\n\t] .\n",
                 kLv2UiUri, kLv2PluginUri);
}

// The release's minor and micro numbers (its major is in the URI), from the
// version string: with them a host that finds two copies keeps the newer.
struct Lv2Version {
    int minor, micro;
};
Lv2Version lv2Version() {
    int major = 0;
    Lv2Version v{0, 0};
    if (std::sscanf(kVersionString, "%d.%d.%d", &major, &v.minor, &v.micro) != 3) {
        std::fprintf(stderr, "lv2_turtle: the version %s is not major.minor.micro\n", kVersionString);
        std::exit(1);
    }
    return v;
}

// A build without the panel (the aarch64 tree) names no UI.
void writePlugin(FILE* f, bool withUi) {
    const Lv2Version v = lv2Version();
    std::fputs("@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
               "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
               "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
               "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
               "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
               "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
               "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
               "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
               "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n",
               f);
    writeOwnUnits(f);
    std::fprintf(f,
                 "<%s>\n\ta lv2:Plugin, lv2:CompressorPlugin, doap:Project ;\n\tdoap:name \"%s\" ;\n"
                 "\tdoap:maintainer [ foaf:name \"%s\" ; foaf:homepage <%s> ] ;\n"
                 "\tdoap:license <%slicence> ;\n"
                 "\tlv2:minorVersion %d ;\n\tlv2:microVersion %d ;\n"
                 "\tlv2:optionalFeature lv2:hardRTCapable ;\n",
                 kLv2PluginUri, kProductName, kVendorName, kVendorUrl, kVendorUrl, v.minor, v.micro);
    if (withUi) std::fprintf(f, "\tui:ui <%s> ;\n", kLv2UiUri);
    std::fputs("\tlv2:port\n", f);
    for (int i = 0; i < kParamCount; ++i) {
        writeControlPort(f, i);
        std::fputs(" ,\n", f);
    }
    std::fprintf(f,
                 "\t[\n\t\ta lv2:OutputPort, lv2:ControlPort ;\n\t\tlv2:index %u ;\n"
                 "\t\tlv2:symbol \"%s\" ;\n\t\tlv2:name \"%s\" ;\n"
                 "\t\tunits:unit %s ;\n\t\tlv2:minimum %s ;\n\t\tlv2:maximum %s\n\t] ,\n",
                 kMeterPort, kGainReductionMeter.symbol, kGainReductionMeter.name,
                 vocabularyUnit(kGainReductionMeter.label), decimal(kGainReductionMeter.minimum).c_str(),
                 decimal(kGainReductionMeter.maximum).c_str());
    writeAudioPort(f, kAudioInPorts[0], true, "in_l", "Left In");
    std::fputs(" ,\n", f);
    writeAudioPort(f, kAudioInPorts[1], true, "in_r", "Right In");
    std::fputs(" ,\n", f);
    writeAudioPort(f, kAudioOutPorts[0], false, "out_l", "Left Out");
    std::fputs(" ,\n", f);
    writeAudioPort(f, kAudioOutPorts[1], false, "out_r", "Right Out");
    std::fputs(" .\n", f);
    if (withUi) {
        std::fputs("\n", f);
        writeUi(f);
    }
}

constexpr const char* kPresetsTtl = "presets.ttl";

std::string presetUri(int32_t preset) { return std::string(kLv2PluginUri) + "/presets#" + kPresets[preset].key; }

struct BundleNames {
    const char* binary;
    const char* ttl;
    const char* uiBinary;
};

// The version is in the manifest too: a host that finds two copies of the
// bundle compares the versions there, before it reads the plug-in's Turtle.
void writeManifest(FILE* f, const BundleNames& n) {
    const Lv2Version v = lv2Version();
    std::fprintf(f,
                 "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                 "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                 "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                 "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n"
                 "<%s>\n\ta lv2:Plugin ;\n\tlv2:minorVersion %d ;\n\tlv2:microVersion %d ;\n"
                 "\tlv2:binary <%s> ;\n\trdfs:seeAlso <%s> .\n",
                 kLv2PluginUri, v.minor, v.micro, n.binary, n.ttl);
    if (n.uiBinary)
        std::fprintf(f, "\n<%s>\n\ta ui:X11UI ;\n\tui:binary <%s> ;\n\trdfs:seeAlso <%s> .\n", kLv2UiUri,
                     n.uiBinary, n.ttl);
    for (int32_t p = 0; p < kPresetCount; ++p)
        std::fprintf(f, "\n<%s>\n\ta pset:Preset ;\n\tlv2:appliesTo <%s> ;\n\trdfs:seeAlso <%s> .\n",
                     presetUri(p).c_str(), kLv2PluginUri, kPresetsTtl);
}

// Each preset's control port values, as a host stores them in the ports: the
// shortest decimal the plug-in reads back as exactly the preset's value. The enable port is no part of a preset.
void writePresets(FILE* f) {
    std::fputs("@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
               "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
               "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n",
               f);
    for (int32_t p = 0; p < kPresetCount; ++p) {
        std::fprintf(f, "\n<%s>\n\ta pset:Preset ;\n\tlv2:appliesTo <%s> ;\n\trdfs:label \"%s\" ;\n"
                        "\trdfs:comment \"%s\" ;\n\tlv2:port",
                     presetUri(p).c_str(), kLv2PluginUri, kPresets[p].name, kPresets[p].description);
        for (int32_t i = 0; i < kPresetParamCount; ++i) {
            const std::string value = portDecimal(static_cast<ParamIndex>(i), presetNormalised(p, i));
            std::fprintf(f, "%s [\n\t\tlv2:symbol \"%s\" ;\n\t\tpset:value %s\n\t]", i ? " ," : "",
                         kParamTable[i].symbol, value.c_str());
        }
        std::fputs(" .\n", f);
    }
}

bool writeFile(const std::string& path, void (*write)(FILE*, const BundleNames&), const BundleNames& names) {
    // Written beside its name and renamed: a failed run leaves no half file.
    const std::string partial = path + ".part";
    FILE* f = std::fopen(partial.c_str(), "w");
    if (!f) return false;
    write(f, names);
    const bool ok = std::fflush(f) == 0 && !std::ferror(f);
    return std::fclose(f) == 0 && ok && std::rename(partial.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: lv2_turtle BUNDLE_DIR BINARY_NAME TTL_NAME [UI_BINARY_NAME]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const BundleNames names{argv[2], argv[3], argc == 5 ? argv[4] : nullptr};
    const bool ok =
        writeFile(dir + "/manifest.ttl", writeManifest, names) &&
        writeFile(dir + "/" + argv[3], [](FILE* f, const BundleNames& n) { writePlugin(f, n.uiBinary != nullptr); }, names) &&
        writeFile(dir + "/" + kPresetsTtl, [](FILE* f, const BundleNames&) { writePresets(f); }, names);
    if (!ok) std::fprintf(stderr, "lv2_turtle: cannot write the Turtle into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
