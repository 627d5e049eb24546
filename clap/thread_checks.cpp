// The extensions as the host gets them: each entry point checks its thread
// (see thread_checks.h), then runs the extension's own. Main thread, but
// params flush: on the audio thread while active, else on the main thread.
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>

#include <cstring>

#include "preset_discovery.h"
#include "thread_checks.h"

namespace {

using Plugin = const clap_plugin_t*;

const clap_plugin_audio_ports_t kCheckedAudioPorts = {
    [](Plugin p, bool input) { return expectMainThread(p), kClapAudioPorts.count(p, input); },
    [](Plugin p, uint32_t at, bool input, clap_audio_port_info_t* info) {
        return expectMainThread(p), kClapAudioPorts.get(p, at, input, info);
    }};

const clap_plugin_latency_t kCheckedLatency = {[](Plugin p) { return expectMainThread(p), kClapLatency.get(p); }};

const clap_plugin_params_t kCheckedParams = {
    [](Plugin p) { return expectMainThread(p), kClapParams.count(p); },
    [](Plugin p, uint32_t at, clap_param_info_t* info) { return expectMainThread(p), kClapParams.get_info(p, at, info); },
    [](Plugin p, clap_id id, double* value) { return expectMainThread(p), kClapParams.get_value(p, id, value); },
    [](Plugin p, clap_id id, double value, char* text, uint32_t size) {
        return expectMainThread(p), kClapParams.value_to_text(p, id, value, text, size);
    },
    [](Plugin p, clap_id id, const char* text, double* value) {
        return expectMainThread(p), kClapParams.text_to_value(p, id, text, value);
    },
    [](Plugin p, const clap_input_events_t* in, const clap_output_events_t* out) {
        const ClapInstance* instance = instanceOf(p);
        if (instance && instance->active) expectAudioThread(p);
        else expectMainThread(p);
        kClapParams.flush(p, in, out);
    }};

const clap_plugin_state_t kCheckedState = {
    [](Plugin p, const clap_ostream_t* s) { return expectMainThread(p), kClapState.save(p, s); },
    [](Plugin p, const clap_istream_t* s) { return expectMainThread(p), kClapState.load(p, s); }};

const ClapPluginPresetLoad kCheckedPresetLoad = {
    [](Plugin p, uint32_t kind, const char* location, const char* key) {
        return expectMainThread(p), kClapPresetLoad.from_location(p, kind, location, key);
    }};

#if !defined(DQ_CLAP_NO_GUI)
const clap_plugin_gui_t kCheckedGui = {
    [](Plugin p, const char* api, bool floating) { return expectMainThread(p), kClapGui.is_api_supported(p, api, floating); },
    [](Plugin p, const char** api, bool* floating) { return expectMainThread(p), kClapGui.get_preferred_api(p, api, floating); },
    [](Plugin p, const char* api, bool floating) { return expectMainThread(p), kClapGui.create(p, api, floating); },
    [](Plugin p) { expectMainThread(p), kClapGui.destroy(p); },
    [](Plugin p, double scale) { return expectMainThread(p), kClapGui.set_scale(p, scale); },
    [](Plugin p, uint32_t* w, uint32_t* h) { return expectMainThread(p), kClapGui.get_size(p, w, h); },
    [](Plugin p) { return expectMainThread(p), kClapGui.can_resize(p); },
    [](Plugin p, clap_gui_resize_hints_t* hints) { return expectMainThread(p), kClapGui.get_resize_hints(p, hints); },
    [](Plugin p, uint32_t* w, uint32_t* h) { return expectMainThread(p), kClapGui.adjust_size(p, w, h); },
    [](Plugin p, uint32_t w, uint32_t h) { return expectMainThread(p), kClapGui.set_size(p, w, h); },
    [](Plugin p, const clap_window_t* w) { return expectMainThread(p), kClapGui.set_parent(p, w); },
    [](Plugin p, const clap_window_t* w) { return expectMainThread(p), kClapGui.set_transient(p, w); },
    [](Plugin p, const char* title) { expectMainThread(p), kClapGui.suggest_title(p, title); },
    [](Plugin p) { return expectMainThread(p), kClapGui.show(p); },
    [](Plugin p) { return expectMainThread(p), kClapGui.hide(p); }};

#if !defined(_WIN32)
const clap_plugin_timer_support_t kCheckedTimer = {
    [](Plugin p, clap_id timer) { expectMainThread(p), kClapTimer.on_timer(p, timer); }};
#endif
#endif

}  // namespace

const void* clapExtension(const char* id) {
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &kCheckedAudioPorts;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &kCheckedLatency;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kCheckedParams;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &kCheckedState;
    if (std::strcmp(id, kExtPresetLoad) == 0 || std::strcmp(id, kExtPresetLoadDraft) == 0) return &kCheckedPresetLoad;
#if !defined(DQ_CLAP_NO_GUI)
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &kCheckedGui;
#if !defined(_WIN32)
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &kCheckedTimer;
#endif
#endif
    return nullptr;
}
