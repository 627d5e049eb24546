// The parameter callbacks and the host text writers.
#include <cstring>

#include "../dsp/parameter_text.h"
#include "plugin_instance.h"

// Any host thread.
float pluginGetParameter(AEffect* effect, int32_t index) {
    PluginInstance* p = instanceOf(effect);
    return p ? parameter(p->core, index) : 0.0f;
}

// Any host thread, often the audio thread: only stores the value, never
// calls the window system. An open editor finds the change on its own thread.
void pluginSetParameter(AEffect* effect, int32_t index, float value) {
    PluginInstance* p = instanceOf(effect);
    if (p) setParameter(p->core, index, value);
}

int writeParamName(const PluginInstance*, int32_t index, char* text) {
    if (!isParamIndex(index) || !text) return 0;
    strncpy(text, kParamTable[index].name, kParamNameBytes);
    return 1;
}

int writeParamLabel(const PluginInstance*, int32_t index, char* text) {
    if (!isParamIndex(index) || !text) return 0;
    strncpy(text, kParamTable[index].label, kParamLabelBytes);
    return 1;
}

int writeParamDisplay(const PluginInstance* p, int32_t index, char* text) {
    if (!isParamIndex(index) || !text) return 0;
    const float v = parameter(p->core, index);
    writeDisplayText(index, v, text, kParamDisplayBytes);
    return 1;
}
