// The VST 2 DLL as reference, loaded beside the program as a host loads it.
// The format has no meter output: the meter is that of the core the DLL is
// built from, driven alike.
#include <vector>

#include "../../core/plugin_core.h"
#include "reference_build.h"
#include "vst_host.h"

struct ReferenceBuild {
    LoadedPlugin dll;
    AEffect* effect;
    PluginCore meter;
};

const char* referenceName() { return "the VST 2 DLL"; }

ReferenceBuild* openReference(float rate) {
    ReferenceBuild* r = new ReferenceBuild{loadPlugin(pluginPathBesideProgram()), nullptr, {}};
    r->effect = r->dll.entry ? r->dll.entry(recordingAudioMaster) : nullptr;
    if (!r->effect) {
        closeReference(r);
        return nullptr;
    }
    dispatch(r->effect, effSetSampleRate, 0, 0, nullptr, rate);
    initCore(r->meter);
    setSampleRate(r->meter, rate);
    return r;
}

void closeReference(ReferenceBuild* r) {
    if (r->effect) closeEffect(r->effect);
    unloadPlugin(r->dll);
    delete r;
}

float setReference(ReferenceBuild* r, int32_t index, float v) {
    r->effect->setParameter(r->effect, index, v);
    setParameter(r->meter, index, v);
    return r->effect->getParameter(r->effect, index);
}

void processReference(ReferenceBuild* r, const float* const* in, float* const* out, int32_t frames) {
    r->effect->processReplacing(r->effect, const_cast<float**>(in), const_cast<float**>(out), frames);
    std::vector<float> scratch(2 * static_cast<size_t>(frames > 0 ? frames : 0));
    float* meterOut[2] = {scratch.data(), scratch.data() + scratch.size() / 2};
    processCore(r->meter, in, meterOut, frames);
}

float referenceMeter(const ReferenceBuild* r) {
    return gainReductionMeter(r->meter);
}
