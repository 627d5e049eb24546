// The plug-in object: its life (create, init, activate, processing, destroy)
// and its extensions. Threads: see clap_instance.h.
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>

#include <cstring>
#include <new>

#include "clap_instance.h"
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
        p->hostGui = host->get_extension(host, CLAP_EXT_GUI);
    }
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
    setSampleRate(p->core, hostRateAsFloat(sampleRate));
    startOver(p->core);
    p->lastMeterSent = gainReductionMeter(p->core);
    p->active = true;
    return true;
}

void pluginDeactivate(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    if (p) p->active = p->processing = false;
}

// Audio thread.
bool pluginStartProcessing(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    if (!p || !p->active) return false;
    p->processing = true;
    return true;
}

void pluginStopProcessing(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    if (p) p->processing = false;
}

// Audio thread: the compressor and meter start afresh; nothing allocates.
void pluginReset(const clap_plugin_t* plugin) {
    ClapInstance* p = instanceOf(plugin);
    if (p && p->active) startOver(p->core);
}

clap_process_status pluginProcess(const clap_plugin_t* plugin, const clap_process_t* process) {
    ClapInstance* p = instanceOf(plugin);
    return p ? processClap(*p, process) : CLAP_PROCESS_ERROR;
}

// Any thread.
const void* pluginExtension(const clap_plugin_t*, const char* id) { return clapExtension(id); }

// Main thread: nothing is ever scheduled here.
void pluginOnMainThread(const clap_plugin_t*) {}

}  // namespace

const void* clapExtension(const char* id) {
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &kClapAudioPorts;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &kClapLatency;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kClapParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kClapState;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &kClapGui;
#if !defined(_WIN32)
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &kClapTimer;
#endif
    return nullptr;
}

// Any thread (the factory's): nothing of the host is touched yet.
const clap_plugin_t* createClapInstance(const clap_host_t* host) {
    ClapInstance* p = new (std::nothrow) ClapInstance{};
    if (!p) return nullptr;
    p->plugin = clap_plugin_t{&kClapDescriptor, p, pluginInit, pluginDestroy, pluginActivate, pluginDeactivate,
                              pluginStartProcessing, pluginStopProcessing, pluginReset, pluginProcess,
                              pluginExtension, pluginOnMainThread};
    p->host = host;
    p->gui.scale = 1.0;
    initGestureQueue(p->gestures);
    initCore(p->core);
    return &p->plugin;
}
