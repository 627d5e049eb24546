// Library entry, the exported plug-in entry, instance teardown and the audio
// callback.
#include <windows.h>

#include <new>

#include "../editor/editor.h"
#include "../core/product_identity.h"
#include "plugin_instance.h"

static void fillEffect(PluginInstance* p) {
    AEffect& e = p->effect;
    e = AEffect{};
    e.magic = kEffectMagic;
    e.dispatcher = pluginDispatcher;
    e.process = pluginProcess;
    e.setParameter = pluginSetParameter;
    e.getParameter = pluginGetParameter;
    e.numPrograms = 1;
    e.numParams = kParamCount;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsHasEditor | effFlagsCanReplacing;
    e.object = p;
    e.uniqueID = kVst2UniqueId;
    e.version = kVendorVersion;
    e.processReplacing = pluginProcess;
}

// Host main thread, once per instance.
extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    if (!audioMaster) return nullptr;
    PluginInstance* p = new (std::nothrow) PluginInstance{};
    if (!p) return nullptr;
    p->audioMaster = audioMaster;
    initCore(p->core);  // includes the coefficients for the fallback rate
    acquireEditorModule();
    fillEffect(p);
    return &p->effect;
}

// Host main thread, for effClose.
void destroyInstance(PluginInstance* p) {
    closeInstanceEditor(p);
    releaseEditorModule();
    delete p;
}

// Audio thread: the block as the host cut it.
void pluginProcess(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames) {
    PluginInstance* p = instanceOf(effect);
    if (!p || !inputs || !outputs) return;
    processCore(p->core, inputs, outputs, sampleFrames);
}
