// The VST 2 DLL as reference, loaded beside the program as a host loads it;
// its meter is read from the instance (the format has no meter output).
#include "../../vst2/plugin_instance.h"
#include "reference_build.h"
#include "vst_host.h"

struct ReferenceBuild {
    LoadedPlugin dll;
    AEffect* effect;
};

const char* referenceName() { return "the VST 2 DLL"; }

ReferenceBuild* openReference(float rate) {
    ReferenceBuild* r = new ReferenceBuild{loadPlugin(pluginPathBesideProgram()), nullptr};
    r->effect = r->dll.entry ? r->dll.entry(recordingAudioMaster) : nullptr;
    if (!r->effect) {
        closeReference(r);
        return nullptr;
    }
    dispatch(r->effect, effSetSampleRate, 0, 0, nullptr, rate);
    return r;
}

void closeReference(ReferenceBuild* r) {
    if (r->effect) closeEffect(r->effect);
    unloadPlugin(r->dll);
    delete r;
}

float setReference(ReferenceBuild* r, int32_t index, float v) {
    r->effect->setParameter(r->effect, index, v);
    return r->effect->getParameter(r->effect, index);
}

void processReference(ReferenceBuild* r, const float* const* in, float* const* out, int32_t frames) {
    r->effect->processReplacing(r->effect, const_cast<float**>(in), const_cast<float**>(out), frames);
}

float referenceMeter(const ReferenceBuild* r) {
    return static_cast<const PluginInstance*>(r->effect->object)->core.engine.gainReductionMeter.load();
}
