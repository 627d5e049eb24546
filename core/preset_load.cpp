#include "preset_load.h"

int32_t presetChanges(int32_t preset, int32_t offset, ParameterChange* out) {
    if (!isPresetIndex(preset)) return 0;
    for (int32_t i = 0; i < kPresetParamCount; ++i) out[i] = ParameterChange{offset, i, presetNormalised(preset, i)};
    return kPresetParamCount;
}

bool loadPreset(PluginCore& core, int32_t preset) {
    ParameterChange changes[kPresetParamCount];
    const int32_t count = presetChanges(preset, 0, changes);
    applyChanges(core, changes, count);
    return count > 0;
}
