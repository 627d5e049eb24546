// The DLL's side of the LV2 meter identity test (tests/lv2/trace_io.h).
#include "../../vst2/plugin_instance.h"
#include "../lv2/trace_io.h"
#include "vst_host.h"

int main(int argc, char** argv) {
    TraceArgs a;
    LoadedPlugin plugin = loadPlugin(pluginPathBesideProgram());
    AEffect* e = plugin.entry && parseTrace(argc, argv, a) ? plugin.entry(recordingAudioMaster) : nullptr;
    if (!e) return 2;
    dispatch(e, effSetSampleRate, 0, 0, nullptr, a.rate);
    for (int i = 0; i < kParamCount; ++i) e->setParameter(e, i, a.params[i]);
    const std::atomic<float>& meter = static_cast<PluginInstance*>(e->object)->core.engine.gainReductionMeter;
    return writeTrace(argv, a.block, [&](float** io, int32_t n) {
        e->processReplacing(e, io, io, n);
        return meter.load();
    }) ? 0 : 1;
}
