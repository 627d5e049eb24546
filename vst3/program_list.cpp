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
    // Hosts show it as their preset menu, not among the controls.
    info->flags = V3_PARAM_IS_LIST | V3_PARAM_PROGRAM_CHANGE | V3_PARAM_IS_HIDDEN;
}

int32_t presetAtNormalised(double normalised) {
    if (!(normalised > 0.0)) return 0;
    if (normalised >= 1.0) return kPresetCount - 1;
    return static_cast<int32_t>(std::lround(normalised * (kPresetCount - 1)));
}

double normalisedOfPreset(int32_t preset) { return static_cast<double>(preset) / (kPresetCount - 1); }

double programNormalised(int32_t program) { return isPresetIndex(program) ? normalisedOfPreset(program) : 0.0; }

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
    instance->program.store(preset);
    if (v3_component_handler** h = instance->handler)
        v3_cpp_obj(h)->restart_component(h, V3_RESTART_PARAM_VALUES_CHANGED);
}

int32_t takeProgramChange(v3_param_changes** changes, std::atomic<int32_t>& selected,
                          ParameterChange (&out)[kPresetParamCount]) {
    if (!changes || !*changes) return 0;
    const int32_t queues = v3_cpp_obj(changes)->get_param_count(changes);
    for (int32_t q = 0; q < queues; ++q) {
        v3_param_value_queue** queue = v3_cpp_obj(changes)->get_param_data(changes, q);
        if (!queue || !*queue || v3_cpp_obj(queue)->get_param_id(queue) != kProgramChangeId) continue;
        int32_t offset = 0;
        double value = 0.0;
        const int32_t last = v3_cpp_obj(queue)->get_point_count(queue) - 1;
        if (last < 0 || v3_cpp_obj(queue)->get_point(queue, last, &offset, &value) != V3_OK) return 0;
        const int32_t preset = presetAtNormalised(value);
        if (preset == selected.load()) return 0;
        selected.store(preset);
        return presetChanges(preset, offset, out);
    }
    return 0;
}
