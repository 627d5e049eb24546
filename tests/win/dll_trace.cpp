// The DLL's side of the LV2 identity test: one instance driven as a host
// drives it, output and meter written after every block (tests/lv2/trace_io.h).
#include "../../plugin/plugin_instance.h"
#include "../lv2/trace_io.h"
#include "vst_host.h"

int main(int argc, char** argv) {
    TraceArgs a;
    if (!parseTraceArgs(argc, argv, a)) return 2;
    LoadedPlugin plugin = loadPlugin(pluginPathBesideProgram());
    AEffect* e = plugin.entry ? plugin.entry(recordingAudioMaster) : nullptr;
    if (!e) return 1;
    dispatch(e, effSetSampleRate, 0, 0, nullptr, a.rate);
    for (int i = 0; i < kParamCount; ++i) e->setParameter(e, i, a.params[i]);
    const std::atomic<float>& meter = static_cast<PluginInstance*>(e->object)->engine.gainReductionMeter;
    const bool ok = writeTrace(a, [&](const float* const in[2], float* const out[2], int32_t n) {
        e->processReplacing(e, const_cast<float**>(in), const_cast<float**>(out), n);
        return meter.load();
    });
    closeEffect(e);
    unloadPlugin(plugin);
    return ok ? 0 : 1;
}
