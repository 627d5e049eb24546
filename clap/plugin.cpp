// The plug-in object: its life (create, init, activate, processing, destroy)
// and its extensions. Threads: see clap_instance.h.
#include <clap/ext/gui.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>

#include <new>

#include "clap_instance.h"
#include "thread_checks.h"
#if defined(_WIN32)
#include "../editor/editor_module.h"
#endif

namespace {

// Main thread. The host may be asked for its extensions only from here on.
bool pluginInit(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    if (!p || p->initialised) return false;
    const clap_host_t* host = p->host;
    if (host->get_extension) {
        p->hostParams = static_cast<const clap_host_params_t*>(host->get_extension(host, CLAP_EXT_PARAMS));
        if (!p->hostParams)
            p->hostState = static_cast<const clap_host_state_t*>(host->get_extension(host, CLAP_EXT_STATE));
#if !defined(DQ_CLAP_NO_GUI)
        p->hostGui = host->get_extension(host, CLAP_EXT_GUI);
#endif
#if !defined(NDEBUG)  // only the builds that check threads ask how
        const auto* check = static_cast<const clap_host_thread_check_t*>(host->get_extension(host, CLAP_EXT_THREAD_CHECK));
        if (check && check->is_main_thread && check->is_audio_thread) p->hostThreadCheck = check;
#endif
    }
    expectMainThread(plugin);
#if defined(_WIN32)
    acquireEditorModule();
#endif
    wireEditorGestures(*p);
    p->initialised = true;
    return true;
}

// Main thread. A host that destroys an active instance (or one with its
// editor open) gets the same as a careful host: editor closed, then freed.
void pluginDestroy(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    if (!p) return;
    expectMainThread(plugin);
    destroyClapGui(*p);
    if (p->initialised) {
#if defined(_WIN32)
        releaseEditorModule();
#endif
    }
    delete p;
}

// Main thread. The rate comes with activation; the compressor starts afresh.
// A second activate without a deactivate is refused and changes nothing.
bool pluginActivate(const clap_plugin_t* plugin, double sampleRate, uint32_t, uint32_t) {
    ClapInstance* p = instanceOf(plugin);
    if (!p || !p->initialised || p->active) return false;
    expectMainThread(plugin);
    setSampleRate(p->core, hostRateAsFloat(sampleRate));
    startOver(p->core);
    p->lastMeterSent = gainReductionMeter(p->core);
    p->active = true;
    return true;
}

void pluginDeactivate(const clap_plugin_t* plugin) {
    expectMainThread(plugin);
    ClapInstance* p = instanceOf(plugin);
    if (p) p->active = p->processing = false;
}

// Audio thread.
bool pluginStartProcessing(const clap_plugin_t* plugin) {
    expectAudioThread(plugin);
    ClapInstance* p = instanceOf(plugin);
    if (!p || !p->active) return false;
    p->processing = true;
    return true;
}

void pluginStopProcessing(const clap_plugin_t* plugin) {
    expectAudioThread(plugin);
    ClapInstance* p = instanceOf(plugin);
    if (p) p->processing = false;
}

// Audio thread: the compressor and meter start afresh; nothing allocates.
void pluginReset(const clap_plugin_t* plugin) {
    expectAudioThread(plugin);
    ClapInstance* p = instanceOf(plugin);
    if (p && p->active) startOver(p->core);
}

clap_process_status pluginProcess(const clap_plugin_t* plugin, const clap_process_t* process) {
    expectAudioThread(plugin);
    ClapInstance* p = instanceOf(plugin);
    return p ? processClap(*p, process) : CLAP_PROCESS_ERROR;
}

// Any thread.
const void* pluginExtension(const clap_plugin_t*, const char* id) { return clapExtension(id); }

// Main thread: nothing is ever scheduled here.
void pluginOnMainThread(const clap_plugin_t* plugin) { expectMainThread(plugin); }

}  // namespace

void tellHostValuesChanged(const ClapInstance& p) {
    if (p.hostParams && p.hostParams->rescan)
        p.hostParams->rescan(p.host, CLAP_PARAM_RESCAN_VALUES | CLAP_PARAM_RESCAN_TEXT);
}

// Any thread (the factory's): nothing of the host is touched yet.
const clap_plugin_t* createClapInstance(const clap_host_t* host) {
    ClapInstance* p = new (std::nothrow) ClapInstance{};
    if (!p) return nullptr;
    p->plugin = clap_plugin_t{&kClapDescriptor, p, pluginInit, pluginDestroy, pluginActivate, pluginDeactivate,
                              pluginStartProcessing, pluginStopProcessing, pluginReset, pluginProcess,
                              pluginExtension, pluginOnMainThread};
    p->host = host;
    p->gui.scale = kNoHostScale;
    initGestureQueue(p->gestures);
    initCore(p->core);
    return &p->plugin;
}
