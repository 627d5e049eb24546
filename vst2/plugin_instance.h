#pragma once
// One plug-in instance and the process-wide values all instances share.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "../core/plugin_core.h"
#include "../editor/editor_module.h"
#include "vst2_interface.h"

struct Editor;

struct PluginInstance {
    AEffect effect;  // first member: the AEffect and the instance share one address
    audioMasterCallback audioMaster;
    // Editor, host main thread only: the open editor (null while closed), the
    // rectangle effEditGetRect hands out, the scale the host announced (0
    // until it does), the scale the last editor was drawn at (0 before the
    // first), and the size being asked of the host while it answers.
    Editor* editor;
    ERect editorRect;
    double hostScale;
    double lastEditorScale;
    bool askingHost;
    int32_t askedWidth, askedHeight;
    // Parameters, host rate and bypass, the engine and its meter.
    PluginCore core;
};


inline PluginInstance* instanceOf(AEffect* effect) {
    return effect ? static_cast<PluginInstance*>(effect->object) : nullptr;
}

void destroyInstance(PluginInstance* instance);
// Host main thread: effEditGetRect, effEditOpen, effEditClose, effEditIdle,
// and the host's announced content scale.
const ERect* editorRectFor(PluginInstance* instance);
int openInstanceEditor(PluginInstance* instance, HWND parent);
void hostAnnouncesScale(PluginInstance* instance, float scale);
void closeInstanceEditor(PluginInstance* instance);
void idleInstanceEditor(PluginInstance* instance);
void pluginProcess(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
float pluginGetParameter(AEffect* effect, int32_t index);
void pluginSetParameter(AEffect* effect, int32_t index, float value);
intptr_t pluginDispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                          void* ptr, float opt);
int writeParamName(const PluginInstance* instance, int32_t index, char* text);
int writeParamLabel(const PluginInstance* instance, int32_t index, char* text);
int writeParamDisplay(const PluginInstance* instance, int32_t index, char* text);
