// Times stereo LV2 compressors in-process on the benchmark programs, the same
// frames and block sizes as the engine benchmark, and prints one JSON line per
// (plug-in, program, block size) with the best per-frame cost of a few passes.
//
//   lv2_bench [--passes N] [--blocks 1,32,512,4096] URI...
//
// Each pass instantiates a fresh plug-in at 44100 Hz, activates it, runs the
// whole program block by block and times only the run calls. The shipped engine
// runs the same program right after each pass, so that the ratio of the two
// comes from the same moments of a machine that other work may share.
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "../../lv2/lv2_ports.h"
#include "engine_runners.h"
#include "signals.h"

namespace {

// Minimal URID map: plug-ins ask once at instantiation, never while running.
struct UridMap {
    std::map<std::string, LV2_URID> ids;
    static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri) {
        auto* self = static_cast<UridMap*>(handle);
        auto it = self->ids.find(uri);
        if (it != self->ids.end()) return it->second;
        const LV2_URID id = static_cast<LV2_URID>(self->ids.size() + 1);
        self->ids.emplace(uri, id);
        return id;
    }
    static const char* unmap(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
        auto* self = static_cast<UridMap*>(handle);
        for (const auto& kv : self->ids)
            if (kv.second == urid) return kv.first.c_str();
        return nullptr;
    }
};

// Settings comparable to ours, by port symbol: the plug-in's default setting
// (threshold -18 dB, ratio about 8, attack about 3 ms, release about 50 ms,
// make-up +5 dB) for the music-like and tail programs, and threshold -36 dB at
// ratio 20 for the heavy program. Ports not listed keep their defaults. darc
// has no make-up control and a normalised ratio (0 to 1).
struct PortSetting {
    const char* uriPrefix;
    const char* symbol;
    float normal;
    float heavy;
};
const PortSetting kSettings[] = {
    {"http://gareus.org/oss/lv2/darc", "threshold", -18.0f, -36.0f},
    {"http://gareus.org/oss/lv2/darc", "Ratio", 0.5f, 1.0f},
    {"http://gareus.org/oss/lv2/darc", "attack", 0.003f, 0.003f},    // s
    {"http://gareus.org/oss/lv2/darc", "release", 0.05f, 0.05f},     // s
    {"http://lsp-plug.in/plugins/lv2/compressor", "al", 0.125893f, 0.0158489f},
    {"http://lsp-plug.in/plugins/lv2/compressor", "cr", 8.0f, 20.0f},
    {"http://lsp-plug.in/plugins/lv2/compressor", "at", 3.0f, 3.0f},  // ms
    {"http://lsp-plug.in/plugins/lv2/compressor", "rt", 50.0f, 50.0f},
    {"http://lsp-plug.in/plugins/lv2/compressor", "mk", 1.77828f, 1.77828f},
    {"http://calf.sourceforge.net/plugins/Compressor", "threshold", 0.125893f, 0.0158489f},
    {"http://calf.sourceforge.net/plugins/Compressor", "ratio", 8.0f, 20.0f},
    {"http://calf.sourceforge.net/plugins/Compressor", "attack", 3.0f, 3.0f},  // ms
    {"http://calf.sourceforge.net/plugins/Compressor", "release", 50.0f, 50.0f},
    {"http://calf.sourceforge.net/plugins/Compressor", "makeup", 1.77828f, 1.77828f},
};

struct Nodes {
    LilvNode* audio;
    LilvNode* control;
    LilvNode* atom;
    LilvNode* cv;
    LilvNode* input;
    LilvNode* output;
};

struct Result {
    double nsPerFrame;
    double shippedNsPerFrame;
    bool ok;
    double levelChangeDb;  // output against input RMS: shows the plug-in really worked
};

double levelChangeDb(const BenchSignal& in, const StereoBuffer& out) {
    double sumIn = 0.0, sumOut = 0.0;
    for (size_t i = 0; i < in.left.size(); ++i) {
        sumIn += double(in.left[i]) * in.left[i] + double(in.right[i]) * in.right[i];
        sumOut += double(out.left[i]) * out.left[i] + double(out.right[i]) * out.right[i];
    }
    return sumIn > 0.0 && sumOut > 0.0 ? 10.0 * std::log10(sumOut / sumIn) : -INFINITY;
}

Result timePlugin(const LilvPlugin* plugin, const Nodes& n,
                  const BenchSignal& signal, int32_t block, int passes, const char* uri) {
    UridMap urids;
    LV2_URID_Map map{&urids, &UridMap::map};
    LV2_URID_Unmap unmap{&urids, &UridMap::unmap};
    const int32_t minBlock = 1;
    const int32_t maxBlock = block;
    const float rate = static_cast<float>(kBenchRate);
    const LV2_URID intType = UridMap::map(&urids, LV2_ATOM__Int);
    const LV2_URID floatType = UridMap::map(&urids, LV2_ATOM__Float);
    const LV2_Options_Option options[] = {
        {LV2_OPTIONS_INSTANCE, 0, UridMap::map(&urids, LV2_BUF_SIZE__minBlockLength),
         sizeof(int32_t), intType, &minBlock},
        {LV2_OPTIONS_INSTANCE, 0, UridMap::map(&urids, LV2_BUF_SIZE__maxBlockLength),
         sizeof(int32_t), intType, &maxBlock},
        {LV2_OPTIONS_INSTANCE, 0, UridMap::map(&urids, LV2_BUF_SIZE__nominalBlockLength),
         sizeof(int32_t), intType, &maxBlock},
        {LV2_OPTIONS_INSTANCE, 0, UridMap::map(&urids, "http://lv2plug.in/ns/ext/parameters#sampleRate"),
         sizeof(float), floatType, &rate},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
    };
    const LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature unmapFeature{LV2_URID__unmap, &unmap};
    const LV2_Feature optionsFeature{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature boundedFeature{LV2_BUF_SIZE__boundedBlockLength, nullptr};
    const LV2_Feature* features[] = {&mapFeature, &unmapFeature, &optionsFeature, &boundedFeature,
                                     nullptr};
    const LV2_URID sequenceType = UridMap::map(&urids, LV2_ATOM__Sequence);
    const LV2_URID chunkType = UridMap::map(&urids, LV2_ATOM__Chunk);

    const uint32_t portCount = lilv_plugin_get_num_ports(plugin);
    std::vector<float> mins(portCount), maxs(portCount), defaults(portCount);
    lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defaults.data());

    std::vector<float> controls(portCount, 0.0f);
    std::vector<std::vector<float>> scratch;  // unused audio and CV ports
    constexpr size_t kAtomCapacity = 8192;
    std::vector<std::vector<uint64_t>> atoms;
    struct AtomPort {
        LV2_Atom* atom;
        bool isOutput;
    };
    std::vector<AtomPort> atomPorts;
    int audioIn = 0, audioOut = 0;
    std::vector<uint32_t> inPorts, outPorts;
    for (uint32_t i = 0; i < portCount; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        const char* symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        if (lilv_port_is_a(plugin, port, n.control)) {
            float v = std::isnan(defaults[i]) ? (std::isnan(mins[i]) ? 0.0f : mins[i]) : defaults[i];
            for (const PortSetting& o : kSettings)
                if (std::strncmp(uri, o.uriPrefix, std::strlen(o.uriPrefix)) == 0 &&
                    std::strcmp(symbol, o.symbol) == 0)
                    v = signal.name == "heavy" ? o.heavy : o.normal;
            // Our own LV2 build runs the program's own setting, as the shipped engine does.
            if (std::strcmp(uri, kLv2PluginUri) == 0 && i < kParamCount)
                v = portValueFromNormalised(static_cast<ParamIndex>(i), signal.params[i]);
            controls[i] = v;
        } else if (lilv_port_is_a(plugin, port, n.audio)) {
            if (lilv_port_is_a(plugin, port, n.input)) {
                inPorts.push_back(i);
                ++audioIn;
            } else {
                outPorts.push_back(i);
                ++audioOut;
            }
        } else if (lilv_port_is_a(plugin, port, n.atom)) {
            atoms.emplace_back(kAtomCapacity / sizeof(uint64_t), 0);
            atomPorts.push_back({reinterpret_cast<LV2_Atom*>(atoms.back().data()),
                                 lilv_port_is_a(plugin, port, n.output)});
        }
    }
    if (audioIn != 2 || audioOut != 2) {
        std::fprintf(stderr, "%s: %d audio inputs and %d outputs, not stereo\n", uri, audioIn,
                     audioOut);
        return {0.0, 0.0, false, 0.0};
    }

    StereoBuffer out;
    sizeLike(signal, out);
    ShippedRunner shipped;
    StereoBuffer shippedOut;
    sizeLike(signal, shippedOut);
    double best = INFINITY;
    double shippedBest = INFINITY;
    for (int pass = 0; pass < passes; ++pass) {
        LilvInstance* instance = lilv_plugin_instantiate(plugin, kBenchRate, features);
        if (!instance) {
            std::fprintf(stderr, "%s: instantiation failed\n", uri);
            return {0.0, 0.0, false, 0.0};
        }
        size_t atomIndex = 0;
        for (uint32_t i = 0; i < portCount; ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
            if (lilv_port_is_a(plugin, port, n.control)) {
                lilv_instance_connect_port(instance, i, &controls[i]);
            } else if (lilv_port_is_a(plugin, port, n.atom)) {
                lilv_instance_connect_port(instance, i, atomPorts[atomIndex++].atom);
            } else if (!lilv_port_is_a(plugin, port, n.audio)) {
                scratch.emplace_back(static_cast<size_t>(block), 0.0f);  // CV and the like
                lilv_instance_connect_port(instance, i, scratch.back().data());
            }
        }
        lilv_instance_activate(instance);

        // Timed like the engine benchmark: the whole program, block by block,
        // the audio ports pointed at the block's frames as a host would do.
        using Clock = std::chrono::steady_clock;
        const int64_t frames = signal.frames();
        float* inL = const_cast<float*>(signal.left.data());
        float* inR = const_cast<float*>(signal.right.data());
        const Clock::time_point start = Clock::now();
        for (int64_t at = 0; at < frames; at += block) {
            const int32_t count = static_cast<int32_t>(std::min<int64_t>(block, frames - at));
            lilv_instance_connect_port(instance, inPorts[0], inL + at);
            lilv_instance_connect_port(instance, inPorts[1], inR + at);
            lilv_instance_connect_port(instance, outPorts[0], out.left.data() + at);
            lilv_instance_connect_port(instance, outPorts[1], out.right.data() + at);
            for (const AtomPort& a : atomPorts) {
                if (a.isOutput) {  // capacity for the plug-in to write into
                    a.atom->size = kAtomCapacity - sizeof(LV2_Atom);
                    a.atom->type = chunkType;
                } else {  // an empty event sequence
                    a.atom->size = sizeof(LV2_Atom_Sequence_Body);
                    a.atom->type = sequenceType;
                    reinterpret_cast<LV2_Atom_Sequence*>(a.atom)->body = {0, 0};
                }
            }
            lilv_instance_run(instance, static_cast<uint32_t>(count));
        }
        const Clock::duration spent = Clock::now() - start;
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
        const double ns = std::chrono::duration<double, std::nano>(spent).count();
        best = std::min(best, ns / static_cast<double>(frames));

        const Clock::time_point shippedStart = Clock::now();
        shipped.run(signal, block, shippedOut);
        const double shippedNs =
            std::chrono::duration<double, std::nano>(Clock::now() - shippedStart).count();
        shippedBest = std::min(shippedBest, shippedNs / static_cast<double>(frames));
    }
    return {best, shippedBest, true, levelChangeDb(signal, out)};
}

std::vector<int32_t> parseBlocks(const char* text) {
    std::vector<int32_t> blocks;
    for (const char* p = text; *p;) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p) break;
        if (v > 0) blocks.push_back(static_cast<int32_t>(v));
        p = *end == ',' ? end + 1 : end;
    }
    return blocks;
}

}  // namespace

int main(int argc, char** argv) {
    int passes = 3;
    std::vector<int32_t> blocks = {1, 32, 512, 4096};
    std::vector<const char*> uris;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--passes") == 0 && i + 1 < argc)
            passes = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--blocks") == 0 && i + 1 < argc)
            blocks = parseBlocks(argv[++i]);
        else if (std::strcmp(argv[i], "--ours") == 0)
            uris.push_back(kLv2PluginUri);  // this plug-in's own LV2 build
        else
            uris.push_back(argv[i]);
    }
    if (uris.empty()) {
        std::fprintf(stderr, "usage: lv2_bench [--passes N] [--blocks 1,32,512,4096] [--ours] URI...\n");
        return 2;
    }

    LilvWorld* world = lilv_world_new();
    lilv_world_load_all(world);
    Nodes n{lilv_new_uri(world, LV2_CORE__AudioPort), lilv_new_uri(world, LV2_CORE__ControlPort),
            lilv_new_uri(world, LV2_ATOM__AtomPort), lilv_new_uri(world, LV2_CORE__CVPort),
            lilv_new_uri(world, LV2_CORE__InputPort), lilv_new_uri(world, LV2_CORE__OutputPort)};
    const std::vector<BenchSignal> signals = allBenchSignals();
    int status = 0;
    for (const char* uri : uris) {
        LilvNode* uriNode = lilv_new_uri(world, uri);
        const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uriNode);
        lilv_node_free(uriNode);
        if (!plugin) {
            std::fprintf(stderr, "%s: not installed\n", uri);
            status = 1;
            continue;
        }
        LilvNode* nameNode = lilv_plugin_get_name(plugin);
        const std::string name = nameNode ? lilv_node_as_string(nameNode) : uri;
        lilv_node_free(nameNode);
        for (const BenchSignal& signal : signals)
            for (int32_t block : blocks) {
                const Result r = timePlugin(plugin, n, signal, block, passes, uri);
                if (!r.ok) {
                    status = 1;
                    continue;
                }
                std::printf("{\"engine\": \"%s\", \"name\": \"%s\", \"signal\": \"%s\", "
                            "\"block\": %d, \"ns_per_frame\": %.4f, \"shipped_ns_per_frame\": %.4f, "
                            "\"level_change_db\": %.2f}\n",
                            std::strcmp(uri, kLv2PluginUri) == 0 ? "ours" : uri, name.c_str(), signal.name.c_str(), block, r.nsPerFrame,
                            r.shippedNsPerFrame, r.levelChangeDb);
                std::fflush(stdout);
            }
    }
    lilv_node_free(n.audio);
    lilv_node_free(n.control);
    lilv_node_free(n.atom);
    lilv_node_free(n.cv);
    lilv_node_free(n.input);
    lilv_node_free(n.output);
    lilv_world_free(world);
    return status;
}
