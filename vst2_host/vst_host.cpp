#include "vst_host.h"

std::vector<HostCall>& recordedHostCalls() {
    static std::vector<HostCall> calls;
    return calls;
}

intptr_t recordingAudioMaster(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt) {
    recordedHostCalls().push_back({effect, opcode, index, value, ptr, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::string pluginPathBesideProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    const size_t slash = dir.find_last_of("\\/");
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    return dir + "DorlinQuillet.dll";
}

LoadedPlugin loadPlugin(const std::string& path) {
    LoadedPlugin p;
    p.module = LoadLibraryA(path.c_str());
    if (!p.module) return p;
    p.entry = reinterpret_cast<PluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(p.module, "VSTPluginMain")));
    p.mainAlias = reinterpret_cast<PluginEntryProc>(
        reinterpret_cast<void*>(GetProcAddress(p.module, "main")));
    return p;
}

void unloadPlugin(LoadedPlugin& p) {
    if (p.module) FreeLibrary(p.module);
    p = LoadedPlugin{};
}

intptr_t dispatch(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                  float opt) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

void closeEffect(AEffect* e) { dispatch(e, effClose); }
