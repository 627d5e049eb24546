#include "program_list.h"

#include <cmath>
#include <cstring>

#include "../core/preset_load.h"
#include "utf16.h"
#include "vst3_instance.h"

void fillProgramChangeInfo(v3_param_info* info) {
    std::memset(info, 0, sizeof *info);
    info->param_id = kProgramChangeId;
    copyUtf16(info->title, "Factory Preset");
    copyUtf16(info->short_title, "Preset");
    info->step_count = kPresetCount - 1;
    info->unit_id = 0;  // the root unit, whose list it picks from
    info->flags = V3_PARAM_IS_LIST | V3_PARAM_PROGRAM_CHANGE;
}

int32_t presetAtNormalised(double normalised) {
    if (!(normalised > 0.0)) return 0;
    if (normalised >= 1.0) return kPresetCount - 1;
    return static_cast<int32_t>(std::lround(normalised * (kPresetCount - 1)));
}

double normalisedOfPreset(int32_t preset) { return static_cast<double>(preset) / (kPresetCount - 1); }

void writeProgramText(double normalised, v3_str_128 out) {
    copyUtf16(out, 128, kPresets[presetAtNormalised(normalised)].name);
}

bool readProgramText(const int16_t* text, double* normalised) {
    char name[128];
    if (!text || !normalised || !asciiFromUtf16(text, 128, name, sizeof name)) return false;
    for (int32_t p = 0; p < kPresetCount; ++p)
        if (std::strcmp(name, kPresets[p].name) == 0) return *normalised = normalisedOfPreset(p), true;
    return false;
}

void selectProgram(Vst3Instance* instance, double normalised) {
    const int32_t preset = presetAtNormalised(normalised);
    loadPreset(instance->core, preset);
    instance->program.store(normalisedOfPreset(preset));
    if (v3_component_handler** h = instance->handler)
        v3_cpp_obj(h)->restart_component(h, V3_RESTART_PARAM_VALUES_CHANGED);
}

void addProgramChange(v3_param_changes** changes, PluginCore& core, std::atomic<double>& selected) {
    if (!changes || !*changes) return;
    const int32_t queues = v3_cpp_obj(changes)->get_param_count(changes);
    for (int32_t q = 0; q < queues; ++q) {
        v3_param_value_queue** queue = v3_cpp_obj(changes)->get_param_data(changes, q);
        if (!queue || !*queue || v3_cpp_obj(queue)->get_param_id(queue) != kProgramChangeId) continue;
        int32_t offset = 0;
        double value = 0.0;
        const int32_t last = v3_cpp_obj(queue)->get_point_count(queue) - 1;
        if (last < 0 || v3_cpp_obj(queue)->get_point(queue, last, &offset, &value) != V3_OK) return;
        const int32_t preset = presetAtNormalised(value);
        if (preset == presetAtNormalised(selected.load())) return;
        selected.store(normalisedOfPreset(preset));
        ParameterChange presetValues[kPresetParamCount];
        const int32_t count = presetChanges(preset, offset, presetValues);
        for (int32_t i = 0; i < count; ++i) addBlockChange(core, presetValues[i]);
        return;
    }
}
