#include "editor_host.h"

#include "plugin_core.h"

namespace {

PluginCore& coreOf(void* context) { return *static_cast<PluginCore*>(context); }

float readParameter(void* context, int32_t index) { return parameter(coreOf(context), index); }

float readMeter(void* context) { return gainReductionMeter(coreOf(context)); }

void beginEdit(void* context, int32_t index) {
    const EditGestures& g = coreOf(context).gestures;
    if (g.begin) g.begin(g.context, index);
}

void setAndAutomate(void* context, int32_t index, float value) {
    PluginCore& core = coreOf(context);
    setParameter(core, index, value);
    const EditGestures& g = core.gestures;
    if (g.perform) g.perform(g.context, index, parameter(core, index));
}

void endEdit(void* context, int32_t index) {
    const EditGestures& g = coreOf(context).gestures;
    if (g.end) g.end(g.context, index);
}

}  // namespace

EditorHost editorHostFor(PluginCore& core) {
    return EditorHost{&core, readParameter, readMeter, beginEdit, setAndAutomate, endEdit};
}
