// The parameter callbacks and the host text writers.
#include <cstdio>
#include <cstring>

#include "plugin_instance.h"

// Any host thread.
float pluginGetParameter(AEffect* effect, int32_t index) {
    PluginInstance* p = instanceOf(effect);
    if (!p || !isParamIndex(index)) return 0.0f;
    return p->params[index].load(std::memory_order_relaxed);
}

// Any host thread, often the audio thread: only stores the value, never
// calls the window system. An open editor finds the change on its own thread.
void pluginSetParameter(AEffect* effect, int32_t index, float value) {
    PluginInstance* p = instanceOf(effect);
    if (!p || !isParamIndex(index)) return;
    p->params[index].store(clampParameter(value), std::memory_order_relaxed);
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
    const float v = p->params[index].load(std::memory_order_relaxed);
    snprintf(text, kParamDisplayBytes, kParamTable[index].format,
             static_cast<double>(displayValue(index, v)));
    return 1;
}
