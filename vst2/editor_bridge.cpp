// The instance's side of its editor: the host's edit calls for a knob drag,
// the editor's size and scale as the host sees them, and the editor's
// opening and closing.
#include "../editor/display_scale.h"
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

// A host that asks effEditGetRect while it answers hears the size asked for.
bool requestSize(void* context, int32_t width, int32_t height) {
    PluginInstance* p = static_cast<PluginInstance*>(context);
    if (!p->audioMaster) return false;
    p->askingHost = true;
    p->askedWidth = width;
    p->askedHeight = height;
    const bool agreed = p->audioMaster(&p->effect, audioMasterSizeWindow, width, height, nullptr, 0.0f) != 0;
    p->askingHost = false;
    return agreed;
}

// Before any editor: the scale the host announced, else the one the last
// editor was drawn at, else the system's.
double scaleForNextEditor(const PluginInstance* p) {
    if (hostGaveScale(p->hostScale)) return p->hostScale;
    if (p->lastEditorScale > 0) return p->lastEditorScale;
    return displayScaleFor(nullptr);
}

int16_t asRectSide(int32_t pixels) {
    return static_cast<int16_t>(pixels < 0 ? 0 : pixels > INT16_MAX ? INT16_MAX : pixels);
}

}  // namespace

const ERect* editorRectFor(PluginInstance* p) {
    int32_t width = 0, height = 0;
    if (p->askingHost) {
        width = p->askedWidth;
        height = p->askedHeight;
    } else if (p->editor) {
        editorSize(p->editor, &width, &height);
    } else {
        panelSizeAt(scaleForNextEditor(p), &width, &height);
    }
    p->editorRect = ERect{0, 0, asRectSide(height), asRectSide(width)};
    return &p->editorRect;
}

// An instance has at most one editor: a second open closes the first. The
// editor is told the size effEditGetRect gives now, the frame the host made.
int openInstanceEditor(PluginInstance* p, HWND parent) {
    closeInstanceEditor(p);
    p->core.editorCallbacks = EditorCallbacks{p, beginEdit, automate, endEdit, requestSize};
    const ERect told = *editorRectFor(p);
    const EditorHost host = editorHostFor(p->core, "VST2");
    p->editor = openEditorOn(host, parent, told.right, told.bottom, p->hostScale, nullptr);
    return p->editor ? 1 : 0;
}

void closeInstanceEditor(PluginInstance* p) {
    if (p->editor) p->lastEditorScale = editorScale(p->editor);
    closeEditor(p->editor);
    p->editor = nullptr;
}

void idleInstanceEditor(PluginInstance* p) { editorIdle(p->editor); }

// Any factor is taken: clamped to [1, 3], NaN read as 1.
void hostAnnouncesScale(PluginInstance* p, float scale) {
    p->hostScale = clampScale(scale);
    if (p->editor) setEditorScale(p->editor, p->hostScale);
}
