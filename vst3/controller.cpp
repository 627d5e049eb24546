// IEditController: the parameters for the host, the component handler that
// hears of the editor's edits, and the editor view.
#include <cstring>

#include "parameter_info.h"
#include "program_list.h"
#include "state_stream.h"
#include "view.h"
#include "vst3_instance.h"

namespace {

// The component's state, handed to the controller side: the same blob into
// the same core (hosts that never call this lose nothing).
v3_result V3_API setComponentState(void* self, v3_bstream** stream) { return loadState(*instanceOf(self), stream); }

// The controller keeps nothing of its own beyond the component's state.
v3_result V3_API setControllerState(void*, v3_bstream** stream) { return stream ? kResultOk : kInvalidArgument; }
v3_result V3_API getControllerState(void*, v3_bstream** stream) { return stream ? kResultOk : kInvalidArgument; }

// The parameters, then the program change (program_list.h) last.
int32_t V3_API getParameterCount(void*) { return kVst3ParameterCount + 1; }

v3_result V3_API getParameterInfo(void*, int32_t position, v3_param_info* info) {
    if (position == kVst3ParameterCount && info) return fillProgramChangeInfo(info), kResultOk;
    return fillParameterInfo(position, info) ? kResultOk : kInvalidArgument;
}

v3_result V3_API getParameterString(void*, v3_param_id id, double normalised, v3_str_128 out) {
    if (id == kProgramChangeId && out) return writeProgramText(normalised, out), kResultOk;
    return writeParameterText(id, normalised, out) ? kResultOk : kInvalidArgument;
}

v3_result V3_API getParameterValue(void*, v3_param_id id, int16_t* text, double* normalised) {
    if (id == kProgramChangeId) return readProgramText(text, normalised) ? kResultOk : kResultFalse;
    return readParameterText(id, text, normalised) ? kResultOk : kResultFalse;
}

// The program change's plain value is the preset's position in the list.
double V3_API toPlain(void*, v3_param_id id, double normalised) {
    if (id == kProgramChangeId) return presetAtNormalised(normalised);
    return plainFromNormalised(id, normalised);
}
double V3_API toNormalised(void*, v3_param_id id, double plain) {
    if (id == kProgramChangeId) return normalisedOfPreset(presetAtNormalised(plain / (kPresetCount - 1)));
    return normalisedFromPlain(id, plain);
}

double V3_API getParameterNormalised(void* self, v3_param_id id) {
    if (id == kProgramChangeId) return programNormalised(instanceOf(self)->program.load());
    const PluginCore& core = instanceOf(self)->core;
    if (id == kGainReductionId) return meterNormalised(gainReductionMeter(core));
    return parameter(core, paramIndexOf(id));
}

// The host's value for a parameter: the same store the processor reads, as
// the VST 2 shell's setParameter.
v3_result V3_API setParameterNormalised(void* self, v3_param_id id, double normalised) {
    if (id == kProgramChangeId) return selectProgram(instanceOf(self), normalised), kResultOk;
    const int32_t index = paramIndexOf(id);
    if (index < 0) return kInvalidArgument;
    setParameter(instanceOf(self)->core, index, narrowToFloat(normalised));
    return kResultOk;
}

v3_result V3_API setComponentHandler(void* self, v3_component_handler** handler) {
    holdReference(instanceOf(self)->handler, handler);
    return kResultOk;
}

v3_plugin_view** V3_API createView(void* self, const char* name) {
    if (!name || std::strcmp(name, "editor") != 0) return nullptr;
    return createEditorView(instanceOf(self));
}

// The editor's knob drags, on the host's main thread, as the host's edits.
v3_component_handler** handlerOf(void* context) { return static_cast<Vst3Instance*>(context)->handler; }

void beginEdit(void* context, int32_t index) {
    if (v3_component_handler** h = handlerOf(context)) v3_cpp_obj(h)->begin_edit(h, static_cast<v3_param_id>(index));
}

void performEdit(void* context, int32_t index, float normalised) {
    if (v3_component_handler** h = handlerOf(context))
        v3_cpp_obj(h)->perform_edit(h, static_cast<v3_param_id>(index), normalised);
}

void endEdit(void* context, int32_t index) {
    if (v3_component_handler** h = handlerOf(context)) v3_cpp_obj(h)->end_edit(h, static_cast<v3_param_id>(index));
}

bool requestSize(void* context, int32_t width, int32_t height) {
    Vst3View* view = static_cast<Vst3Instance*>(context)->attachedView;
    return view && requestViewSize(view, width, height);
}

}  // namespace

EditorCallbacks editorCallbacksFor(Vst3Instance* instance) {
    return EditorCallbacks{instance, beginEdit, performEdit, endEdit, requestSize};
}

const v3_edit_controller_cpp kControllerVtable = {
    {queryInstance, refInstance, unrefInstance},
    {initializeInstance, terminateInstance},
    {setComponentState, setControllerState, getControllerState, getParameterCount, getParameterInfo,
     getParameterString, getParameterValue, toPlain, toNormalised, getParameterNormalised, setParameterNormalised,
     setComponentHandler, createView},
};
