// The parameters as hosts see them: the nine of the table at their normalised
// values (0 to 1, so a host's linear lane and slider follow the panel's own
// curve), shown and read in units with the VST 2 shell's texts, and the
// gain-reduction meter, read-only, in dB. Main thread, but flush (see
// clap_instance.h).
#include <clap/ext/params.h>

#include <cmath>
#include <cstdio>

#include "../dsp/parameter_text.h"
#include "clap_instance.h"
#include "param_ids.h"

namespace {

// Where each parameter sits in a host's tree of controls.
const char* moduleOf(int32_t index) {
    switch (index) {
    case kMakeup:
    case kMix:
    case kBypass: return "Output";
    default: return "Compressor";
    }
}

uint32_t paramCount(const clap_plugin_t*) { return kClapParamCount; }

bool paramInfo(const clap_plugin_t*, uint32_t at, clap_param_info_t* info) {
    if (!info || at >= kClapParamCount) return false;
    *info = clap_param_info_t{};
    if (at == static_cast<uint32_t>(kParamCount)) {
        info->id = kMeterParamId;
        info->flags = CLAP_PARAM_IS_READONLY;
        std::snprintf(info->name, sizeof info->name, "%s", kGainReductionMeter.name);
        std::snprintf(info->module, sizeof info->module, "Meter");
        info->min_value = kGainReductionMeter.minimum;
        info->max_value = kGainReductionMeter.maximum;
        return true;
    }
    const ParamSpec& row = kParamTable[at];
    info->id = at;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (isHostBypass(static_cast<int32_t>(at))) info->flags |= CLAP_PARAM_IS_BYPASS | CLAP_PARAM_IS_STEPPED;
    std::snprintf(info->name, sizeof info->name, "%s", row.name);
    std::snprintf(info->module, sizeof info->module, "%s", moduleOf(static_cast<int32_t>(at)));
    info->max_value = 1.0;
    info->default_value = row.defaultValue;
    return true;
}

bool paramValue(const clap_plugin_t* plugin, clap_id id, double* value) {
    const ClapInstance* p = instanceOf(plugin);
    if (!p || !value) return false;
    if (id == kMeterParamId) {
        *value = gainReductionMeter(p->core);
        return true;
    }
    const int32_t index = settableIndexOf(id);
    if (index < 0) return false;
    *value = parameter(p->core, index);
    return true;
}

bool valueToText(const clap_plugin_t*, clap_id id, double value, char* display, uint32_t size) {
    if (!display || size == 0 || std::isnan(value)) return false;
    if (id == kMeterParamId) {
        writeMeterText(static_cast<float>(value), true, display, size);
        return true;
    }
    const int32_t index = settableIndexOf(id);
    if (index < 0) return false;
    writeListText(index, static_cast<float>(value), true, display, size);
    return true;
}

bool textToValue(const clap_plugin_t*, clap_id id, const char* display, double* value) {
    const int32_t index = settableIndexOf(id);
    float normalised;
    if (index < 0 || !display || !value || !parseListText(index, display, &normalised)) return false;
    *value = normalised;
    return true;
}

void flush(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out) {
    ClapInstance* p = instanceOf(plugin);
    if (!p) return;
    beginBlock(p->core, nullptr, nullptr, 0);  // the changes apply at once
    addHostEvents(*p, in);
    endBlock(p->core);
    sendGestures(*p, out);
}

}  // namespace

const clap_plugin_params_t kClapParams = {paramCount, paramInfo, paramValue, valueToText, textToValue, flush};
