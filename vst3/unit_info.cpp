// IUnitInfo: one root unit holding the factory presets' program list, which
// hosts show as the plug-in's preset menu.
#include "travesty/unit.h"

#include <cstring>

#include "../dsp/presets.h"
#include "program_list.h"
#include "utf16.h"
#include "vst3_instance.h"

namespace {

constexpr int32_t kRootUnitId = 0;
constexpr int32_t kNoParentUnit = -1;

bool isOurProgram(int32_t listId, int32_t program) { return listId == kProgramListId && isPresetIndex(program); }

int32_t V3_API unitCount(void*) { return 1; }

v3_result V3_API unitInfo(void*, int32_t index, v3_unit_info* info) {
    if (index != 0 || !info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->id = kRootUnitId;
    info->parent_unit_id = kNoParentUnit;
    copyUtf16(info->name, "Root");
    info->program_list_id = kProgramListId;
    return kResultOk;
}

int32_t V3_API programListCount(void*) { return 1; }

v3_result V3_API programListInfo(void*, int32_t index, v3_program_list_info* info) {
    if (index != 0 || !info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->id = kProgramListId;
    copyUtf16(info->name, "Factory Presets");
    info->programCount = kPresetCount;
    return kResultOk;
}

v3_result V3_API programName(void*, int32_t listId, int32_t program, v3_str_128 name) {
    if (!name || !isOurProgram(listId, program)) return kInvalidArgument;
    copyUtf16(name, 128, kPresets[program].name);
    return kResultOk;
}

// No attributes beyond the name; no pitch names (an effect, not an instrument).
v3_result V3_API programInfo(void*, int32_t, int32_t, const char*, v3_str_128) { return kResultFalse; }
v3_result V3_API hasPitchNames(void*, int32_t, int32_t) { return kResultFalse; }
v3_result V3_API pitchName(void*, int32_t, int32_t, int16_t, v3_str_128) { return kResultFalse; }

int32_t V3_API selectedUnit(void*) { return kRootUnitId; }
v3_result V3_API selectUnit(void*, int32_t unitId) { return unitId == kRootUnitId ? kResultOk : kResultFalse; }

v3_result V3_API unitByBus(void*, int32_t, int32_t, int32_t, int32_t, int32_t* unitId) {
    if (!unitId) return kInvalidArgument;
    *unitId = kRootUnitId;
    return kResultOk;
}

// The factory programs are fixed: a host cannot write program data into them.
v3_result V3_API setProgramData(void*, int32_t, int32_t, v3_bstream**) { return kResultFalse; }

}  // namespace

const v3_unit_information_cpp kUnitInfoVtable = {
    {queryInstance, refInstance, unrefInstance},
    {unitCount, unitInfo, programListCount, programListInfo, programName, programInfo, hasPitchNames, pitchName,
     selectedUnit, selectUnit, unitByBus, setProgramData},
};
