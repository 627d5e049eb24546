#pragma once
// A minimal VST 2 host for tools and tests: loads a plug-in DLL, creates
// instances through its exported entry with a recording audioMaster, and calls
// the AEffect exactly as a DAW does.
#include <windows.h>

#include <string>
#include <vector>

#include "../vst2/vst2_interface.h"

struct HostCall {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

// Every audioMaster call made by any plug-in instance, in order.
std::vector<HostCall>& recordedHostCalls();
intptr_t recordingAudioMaster(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt);

typedef AEffect* (*PluginEntryProc)(audioMasterCallback audioMaster);

struct LoadedPlugin {
    HMODULE module = nullptr;
    PluginEntryProc entry = nullptr;     // VSTPluginMain
    PluginEntryProc mainAlias = nullptr; // main
};

// Path of DorlinQuillet.dll beside the running program.
std::string pluginPathBesideProgram();
LoadedPlugin loadPlugin(const std::string& path);
void unloadPlugin(LoadedPlugin& plugin);

// Thin wrappers over the AEffect callbacks.
intptr_t dispatch(AEffect* e, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                  void* ptr = nullptr, float opt = 0.0f);
void closeEffect(AEffect* e);
