#include "plugin_session.h"

#include "parameter_values.h"
#include "render_error.h"

namespace {

// Host callback opcodes a plug-in may ask during an offline render.
constexpr int32_t audioMasterGetSampleRate = 16;
constexpr int32_t audioMasterGetBlockSize = 17;
constexpr int32_t audioMasterGetCurrentProcessLevel = 23;
constexpr intptr_t kProcessLevelOffline = 4;

// Called on the main thread by the plug-in; it never allocates, so a plug-in
// may also call it from inside its audio callback.
intptr_t offlineAudioMaster(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return static_cast<intptr_t>(hostContext().sampleRate);
    case audioMasterGetBlockSize: return hostContext().blockSize;
    case audioMasterGetCurrentProcessLevel: return kProcessLevelOffline;
    default: return 0;
    }
}

}  // namespace

HostContext& hostContext() {
    static HostContext context;
    return context;
}

LoadedPlugin loadPluginOrThrow(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throwRenderError(kExitPlugin,
                         "plug-in '%s' not found; give the path of a 64-bit VST 2 plug-in DLL",
                         path.c_str());
    // No "cannot load" dialog boxes from the loader.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    LoadedPlugin plugin = loadPlugin(path);
    if (!plugin.module)
        throwRenderError(kExitPlugin,
                         "'%s' is not a loadable 64-bit Windows DLL (Windows error %lu); give the "
                         "path of a 64-bit VST 2 plug-in DLL",
                         path.c_str(), static_cast<unsigned long>(GetLastError()));
    if (!plugin.entry && !plugin.mainAlias)
        throwRenderError(kExitPlugin,
                         "'%s' exports no VSTPluginMain, so it is not a VST 2 plug-in; give the "
                         "path of a VST 2 plug-in DLL",
                         path.c_str());
    return plugin;
}

AEffect* createEffect(const LoadedPlugin& plugin, const std::string& path) {
    // Old plug-ins export their entry only as "main"; DAWs accept both.
    PluginEntryProc entry = plugin.entry ? plugin.entry : plugin.mainAlias;
    AEffect* effect = entry(offlineAudioMaster);
    if (!effect)
        throwRenderError(kExitPlugin,
                         "the plug-in '%s' refused to start (its entry returned no effect); check "
                         "that it is installed completely, or try another plug-in",
                         path.c_str());
    if (effect->magic != kEffectMagic)
        throwRenderError(kExitPlugin,
                         "'%s' returned a record with the wrong magic number 0x%08x; it is not a "
                         "working VST 2 plug-in, give another DLL",
                         path.c_str(), static_cast<unsigned>(effect->magic));
    dispatch(effect, effOpen);
    return effect;
}

void requireStereo(AEffect* e, const std::string& path) {
    if (e->numInputs != 2 || e->numOutputs != 2)
        throwRenderError(kExitPlugin,
                         "the plug-in '%s' has %d inputs and %d outputs; only 2-in 2-out effects "
                         "can be rendered, give a stereo effect plug-in",
                         path.c_str(), e->numInputs, e->numOutputs);
}

std::string hostText(AEffect* e, int32_t opcode, int32_t index) {
    char text[256] = {};  // generous: plug-ins overrun the nominal sizes
    dispatch(e, opcode, index, 0, text);
    text[sizeof text - 1] = 0;
    return text;
}

int32_t listedParameterCount(AEffect* e) {
    return e->numParams < 0 ? 0 : (e->numParams > 10000 ? 10000 : e->numParams);
}

std::vector<ResolvedSetting> resolveSettings(AEffect* e,
                                             const std::vector<ParameterSetting>& settings) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < listedParameterCount(e); ++i)
        names.push_back(hostText(e, effGetParamName, i));
    std::vector<ResolvedSetting> resolved;
    for (const ParameterSetting& s : settings) {
        int32_t found = -1;
        for (int32_t i = 0; i < static_cast<int32_t>(names.size()) && found < 0; ++i)
            if (names[static_cast<size_t>(i)] == s.name) found = i;
        if (found < 0) {
            std::string known;
            for (const std::string& n : names) known += (known.empty() ? "" : ", ") + n;
            throwRenderError(kExitUsage, "the plug-in has no parameter named '%s'; use one of: %s",
                             s.name.c_str(), known.c_str());
        }
        if (!s.isDisplayValue) {
            resolved.push_back({found, s.normalised});
            continue;
        }
        const std::string unit = parameterUnit(e, found);
        if (unit.empty())
            throwRenderError(kExitUsage,
                             "%s has no unit, so '%s' cannot be a value of it; give a normalised "
                             "value from 0 to 1",
                             s.name.c_str(), s.text.c_str());
        if (!sameUnit(unit, s.unit))
            throwRenderError(kExitUsage,
                             "%s is set in %s, not %s; give a value in %s (see --info for its range) "
                             "or a normalised value from 0 to 1",
                             s.name.c_str(), unit.c_str(), s.unit.c_str(), unit.c_str());
        resolved.push_back({found, normalisedForDisplay(e, found, s.displayNumber, s.text)});
    }
    return resolved;
}

void prepareEffect(AEffect* e, const std::vector<ResolvedSetting>& settings, bool hostBypass) {
    dispatch(e, effSetSampleRate, 0, 0, nullptr, static_cast<float>(hostContext().sampleRate));
    dispatch(e, effSetBlockSize, 0, hostContext().blockSize);
    for (const ResolvedSetting& s : settings) e->setParameter(e, s.index, s.normalised);
    if (hostBypass) dispatch(e, effSetBypass, 0, 1);
}
