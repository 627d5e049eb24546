#pragma once
// One plug-in instance and the process-wide values all instances share.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "../dsp/engine_state.h"
#include "../dsp/parameters.h"
#include "vst2_interface.h"

struct Editor;

struct PluginInstance {
    AEffect effect;  // first member: the AEffect and the instance share one address
    audioMasterCallback audioMaster;
    // Shared with the audio thread: relaxed atomics, each one aligned value.
    std::atomic<float> params[kParamCount];
    std::atomic<double> hostSampleRate;
    std::atomic<bool> hostBypass;
    // Editor, host main thread only: the open editor (null while closed) and
    // the size it reports to the host.
    Editor* editor;
    ERect editorRect;
    // gainReductionMeter, analysis state, rate coefficients, window counter,
    // envelope and detector filter state, in that order.
    EngineState engine;
};

extern HINSTANCE moduleHandle;
extern int32_t liveInstanceCount;
extern ULONG_PTR gdiplusToken;
extern bool editorClassRegistered;

inline PluginInstance* instanceOf(AEffect* effect) {
    return effect ? static_cast<PluginInstance*>(effect->object) : nullptr;
}

void destroyInstance(PluginInstance* instance);
// Host main thread: effEditOpen, effEditClose, effEditIdle.
int openInstanceEditor(PluginInstance* instance, HWND parent);
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
