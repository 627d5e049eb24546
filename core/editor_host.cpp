#include "editor_host.h"

#include "plugin_core.h"

namespace {

PluginCore& coreOf(void* context) { return *static_cast<PluginCore*>(context); }

float readParameter(void* context, int32_t index) { return parameter(coreOf(context), index); }

float readMeter(void* context) { return gainReductionMeter(coreOf(context)); }

void beginEdit(void* context, int32_t index) {
    const EditorCallbacks& g = coreOf(context).editorCallbacks;
    if (g.begin) g.begin(g.context, index);
}

void setAndAutomate(void* context, int32_t index, float value) {
    PluginCore& core = coreOf(context);
    setParameter(core, index, value);
    const EditorCallbacks& g = core.editorCallbacks;
    if (g.perform) g.perform(g.context, index, parameter(core, index));
}

void endEdit(void* context, int32_t index) {
    const EditorCallbacks& g = coreOf(context).editorCallbacks;
    if (g.end) g.end(g.context, index);
}

bool requestSize(void* context, int32_t width, int32_t height) {
    const EditorCallbacks& c = coreOf(context).editorCallbacks;
    return c.requestSize && c.requestSize(c.context, width, height);
}

}  // namespace

EditorHost editorHostFor(PluginCore& core, const char* formatName) {
    return EditorHost{&core, formatName, readParameter, readMeter, beginEdit, setAndAutomate, endEdit, requestSize};
}
