// The instance's side of its editor: the small interface the editor reaches
// the plug-in through, and the editor's opening and closing.
#include "../editor/editor.h"
#include "plugin_instance.h"

namespace {

PluginInstance* instanceOfContext(void* context) { return static_cast<PluginInstance*>(context); }

float parameter(void* context, int32_t index) {
    return instanceOfContext(context)->params[index].load(std::memory_order_relaxed);
}

float meter(void* context) {
    return instanceOfContext(context)->engine.gainReductionMeter.load(std::memory_order_relaxed);
}

void callHost(PluginInstance* p, int32_t opcode, int32_t index, float opt) {
    if (p->audioMaster) p->audioMaster(&p->effect, opcode, index, 0, nullptr, opt);
}

void beginEdit(void* context, int32_t index) { callHost(instanceOfContext(context), audioMasterBeginEdit, index, 0.0f); }

void setAndAutomate(void* context, int32_t index, float value) {
    PluginInstance* p = instanceOfContext(context);
    const float clamped = clampParameter(value);
    p->params[index].store(clamped, std::memory_order_relaxed);
    callHost(p, audioMasterAutomate, index, clamped);
}

void endEdit(void* context, int32_t index) { callHost(instanceOfContext(context), audioMasterEndEdit, index, 0.0f); }

}  // namespace

// An instance has at most one editor: a second open closes the first.
int openInstanceEditor(PluginInstance* p, HWND parent) {
    closeInstanceEditor(p);
    if (!editorClassRegistered) {
        registerEditorClass(moduleHandle);
        editorClassRegistered = true;
    }
    const EditorHost host{p, parameter, meter, beginEdit, setAndAutomate, endEdit};
    p->editor = openEditor(host, moduleHandle, parent, p->editorRect.right, p->editorRect.bottom);
    return p->editor ? 1 : 0;
}

void closeInstanceEditor(PluginInstance* p) {
    closeEditor(p->editor);
    p->editor = nullptr;
}

void idleInstanceEditor(PluginInstance* p) { editorIdle(p->editor); }
