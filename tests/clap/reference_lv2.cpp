// The LV2 build as reference, loaded by lilv from LV2_PATH.
#include <lilv/lilv.h>

#include "lv2_ports.h"
#include "reference_build.h"

struct ReferenceBuild {
    LilvWorld* world;
    LilvNode* uri;
    LilvInstance* instance;
    float controls[kParamCount];
    float meter;
};

const char* referenceName() { return "the LV2 build"; }

ReferenceBuild* openReference(float rate) {
    ReferenceBuild* r = new ReferenceBuild{};
    r->world = lilv_world_new();
    lilv_world_load_all(r->world);
    r->uri = lilv_new_uri(r->world, kLv2PluginUri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(r->world), r->uri);
    r->instance = plugin ? lilv_plugin_instantiate(plugin, rate, nullptr) : nullptr;
    if (!r->instance) {
        closeReference(r);
        return nullptr;
    }
    for (uint32_t i = 0; i < kParamCount; ++i) {
        r->controls[i] = portValueFromNormalised(static_cast<ParamIndex>(i), kParamTable[i].defaultValue);
        lilv_instance_connect_port(r->instance, i, &r->controls[i]);
    }
    lilv_instance_connect_port(r->instance, kMeterPort, &r->meter);
    lilv_instance_activate(r->instance);
    return r;
}

void closeReference(ReferenceBuild* r) {
    if (r->instance) lilv_instance_free(r->instance);
    lilv_node_free(r->uri);
    lilv_world_free(r->world);
    delete r;
}

float setReference(ReferenceBuild* r, int32_t index, float v) {
    const ParamIndex i = static_cast<ParamIndex>(index);
    r->controls[index] = portValueFromNormalised(i, v);
    return normalisedFromPortValue(i, r->controls[index]);
}

void processReference(ReferenceBuild* r, const float* const* in, float* const* out, int32_t frames) {
    for (int c = 0; c < 2; ++c) {
        lilv_instance_connect_port(r->instance, kAudioInPorts[c], const_cast<float*>(in[c]));
        lilv_instance_connect_port(r->instance, kAudioOutPorts[c], out[c]);
    }
    lilv_instance_run(r->instance, static_cast<uint32_t>(frames));
}

float referenceMeter(const ReferenceBuild* r) { return r->meter; }
