// The LV2 build's side of the meter identity test, loaded by lilv from
// LV2_PATH as a host loads it (arguments: trace_io.h). With --setting P0 ...
// P8, control port values in the parameters' units, it prints the lv2apply
// arguments that set them on one line, and on the next the normalised values
// the plug-in takes from them.
#include <lilv/lilv.h>

#include <cstring>

#include "lv2_ports.h"
#include "trace_io.h"

int main(int argc, char** argv) {
    if (argc == 2 + kParamCount && std::strcmp(argv[1], "--setting") == 0) {
        for (int i = 0; i < kParamCount; ++i)
            std::printf("-c %s %s ", i == kBypass ? "enabled" : kParamTable[i].symbol, argv[2 + i]);
        std::printf("\n");
        for (int i = 0; i < kParamCount; ++i) {
            const float port = std::strtof(argv[2 + i], nullptr);
            std::printf("%.9g ", double(normalisedFromPortValue(static_cast<ParamIndex>(i), port)));
        }
        std::printf("\n");
        return 0;
    }
    TraceArgs a;
    if (!parseTrace(argc, argv, a)) return 2;
    LilvWorld* world = lilv_world_new();
    lilv_world_load_all(world);
    LilvNode* uri = lilv_new_uri(world, kLv2PluginUri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    LilvInstance* instance = plugin ? lilv_plugin_instantiate(plugin, a.rate, nullptr) : nullptr;
    if (!instance) return 1;
    float controls[kParamCount], meter = -1.0f;
    for (uint32_t i = 0; i < kParamCount; ++i) {
        controls[i] = portValueFromNormalised(static_cast<ParamIndex>(i), a.params[i]);
        lilv_instance_connect_port(instance, i, &controls[i]);
    }
    lilv_instance_connect_port(instance, kMeterPort, &meter);
    lilv_instance_activate(instance);
    const bool ok = writeTrace(argv, a.block, [&](float** io, int32_t n) {
        for (int c = 0; c < 2; ++c) {
            lilv_instance_connect_port(instance, kAudioInPorts[c], io[c]);
            lilv_instance_connect_port(instance, kAudioOutPorts[c], io[c]);
        }
        lilv_instance_run(instance, static_cast<uint32_t>(n));
        return meter;
    });
    lilv_instance_free(instance);
    lilv_node_free(uri);
    lilv_world_free(world);
    return ok ? 0 : 1;
}
