#pragma once
// One CLAP plug-in instance, and the tables each file of this folder fills.
//
// Threads, as the format assigns them: the entry and factory calls come on
// any thread; init, destroy, activate, deactivate, on_main_thread and every
// audio-ports, latency, params (but flush), state and gui call come on the
// host's main thread, which is also the editor's; start_processing,
// stop_processing, reset and process come on the audio thread; params flush on
// the audio thread while active, else on the main thread. The audio thread
// never allocates, locks or calls the window system.
#include <clap/plugin.h>
#include <clap/ext/params.h>
#include <clap/ext/thread-check.h>

#include "../core/editor_host.h"
#include "../core/plugin_core.h"
#include "gesture_queue.h"

#if defined(_WIN32)
struct Editor;
#else
struct X11Editor;
using Editor = X11Editor;  // the Linux editor window
#endif

struct ClapGui {
    bool created;
    double scale;    // the host's, or kNoHostScale until it sets one
    Editor* editor;  // made in set_parent
    void* window;    // the editor's own (HWND), while it is open
};

struct ClapInstance {
    clap_plugin_t plugin;  // plugin.plugin_data points back here
    const clap_host_t* host;
    const clap_host_params_t* hostParams;  // null when the host lacks the extension
    const struct clap_host_state* hostState;  // asked for only when the host lacks params
    const void* hostGui;                   // const clap_host_gui_t*
    const clap_host_thread_check_t* hostThreadCheck;  // debug builds; null when the host lacks it (or half of it)
    bool initialised;
    bool active;
    bool processing;
    float lastMeterSent;                   // audio thread: the meter as the host last heard it
    GestureQueue gestures;
    ClapGui gui;
    // Linux: the host's timer-support and the timer the gui made in create.
    const void* hostTimer;
    clap_id guiTimer;
    PluginCore core;
};

inline ClapInstance* instanceOf(const clap_plugin_t* plugin) {
    return plugin ? static_cast<ClapInstance*>(plugin->plugin_data) : nullptr;
}

extern const clap_plugin_descriptor_t kClapDescriptor;

// Each file's part of the instance.
const clap_plugin_t* createClapInstance(const clap_host_t* host);
// Null for any id this plug-in lacks; the tables the host gets check their
// threads (thread_checks.cpp).
const void* clapExtension(const char* id);
extern const struct clap_plugin_audio_ports kClapAudioPorts;
extern const struct clap_plugin_latency kClapLatency;
extern const clap_plugin_params_t kClapParams;
extern const struct clap_plugin_state kClapState;
extern const struct clap_plugin_gui kClapGui;
extern const struct clap_plugin_timer_support kClapTimer;  // Linux only: the editor's turn
// The factory presets (presets.cpp): the module's preset-discovery factory
// and the plug-in's preset-load extension.
constexpr const char* kClapPresetProviderId = "example.dorlin-audio.quillet.factory-presets";
extern const struct ClapPresetDiscoveryFactory kClapPresetDiscoveryFactory;
extern const struct ClapPluginPresetLoad kClapPresetLoad;

clap_process_status processClap(ClapInstance& instance, const clap_process_t* process);
// The host's parameter events into the core's change list of the block begun
// (beginBlock): all at once for a flush, at their frames inside a block.
// Host events for the meter, for unknown ids, of other types or spaces, and
// NaN values are ignored.
void addHostEvents(ClapInstance& instance, const clap_input_events_t* in);
// The meter's new value, when it changed since the host last heard it.
void sendMeter(ClapInstance& instance, const clap_output_events_t* out);
// The editor's drags: reported to the host in the next process or flush.
void wireEditorGestures(ClapInstance& instance);
void sendGestures(ClapInstance& instance, const clap_output_events_t* out);
// Main thread, after the plug-in itself changed parameter values (a state or
// preset load): the host is asked to read every value and text again. The
// audio side needs no word: it reads the core's values at its next process
// or flush.
void tellHostValuesChanged(const ClapInstance& instance);
// Closes an open editor (destroy, or a host that never did) and ends the
// gui; the editor's size request, through the host's gui extension.
void destroyClapGui(ClapInstance& instance);
extern bool (*const requestGuiSize)(void* context, int32_t width, int32_t height);
