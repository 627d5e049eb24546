// The instance's side of its editor: the host's edit calls for a knob drag,
// and the editor's opening and closing.
#include "../editor/editor.h"
#include "../core/editor_host.h"
#include "plugin_instance.h"

namespace {

void callHost(void* context, int32_t opcode, int32_t index, float opt) {
    PluginInstance* p = static_cast<PluginInstance*>(context);
    if (p->audioMaster) p->audioMaster(&p->effect, opcode, index, 0, nullptr, opt);
}

void beginEdit(void* context, int32_t index) { callHost(context, audioMasterBeginEdit, index, 0.0f); }
void automate(void* context, int32_t index, float value) { callHost(context, audioMasterAutomate, index, value); }
void endEdit(void* context, int32_t index) { callHost(context, audioMasterEndEdit, index, 0.0f); }

}  // namespace

// An instance has at most one editor: a second open closes the first.
int openInstanceEditor(PluginInstance* p, HWND parent) {
    closeInstanceEditor(p);
    registerEditorClassOnce();
    p->core.editorCallbacks = EditorCallbacks{p, beginEdit, automate, endEdit, nullptr};
    p->editor = openEditor(editorHostFor(p->core, "VST2"), moduleHandle, parent, p->editorRect.right, p->editorRect.bottom);
    return p->editor ? 1 : 0;
}

void closeInstanceEditor(PluginInstance* p) {
    closeEditor(p->editor);
    p->editor = nullptr;
}

void idleInstanceEditor(PluginInstance* p) { editorIdle(p->editor); }
