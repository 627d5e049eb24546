#pragma once
// One plug-in DLL loaded once, and instances of it created, prepared and closed
// the way a DAW does. Failures throw RenderError.
#include <string>
#include <vector>

#include "render_options.h"
#include "vst_host.h"

// What the host answers a plug-in that asks; set before creating an instance.
struct HostContext {
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
};
HostContext& hostContext();

LoadedPlugin loadPluginOrThrow(const std::string& path);

// A fresh instance from the DLL's entry, opened (effOpen) and checked.
AEffect* createEffect(const LoadedPlugin& plugin, const std::string& path);
void requireStereo(AEffect* e, const std::string& path);

// A plug-in's own text for one parameter or for the effect (index 0).
std::string hostText(AEffect* e, int32_t opcode, int32_t index);
// A broken plug-in may claim any number of parameters; no host lists millions.
int32_t listedParameterCount(AEffect* e);

struct ResolvedSetting {
    int32_t index;
    float normalised;
};
// Every --set matched to the plug-in's parameter names, display values turned
// into normalised ones with the plug-in's own texts.
std::vector<ResolvedSetting> resolveSettings(AEffect* e,
                                             const std::vector<ParameterSetting>& settings);

// Rate and block size first, then the parameter values, then bypass: the order a DAW uses.
void prepareEffect(AEffect* e, const std::vector<ResolvedSetting>& settings, bool hostBypass);
