#pragma once
// A small CLAP host for the tests: loads a module, makes instances through its
// factory with a host that records what the plug-in asks of it (and on which
// thread), and hands the plug-in event lists, audio buffers and streams of
// the tests' making, well formed or not.
#include <clap/entry.h>
#include <clap/events.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/plugin-factory.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct ClapModule {
    void* handle = nullptr;
    const clap_plugin_entry_t* entry = nullptr;
};

// The module under test: natively the path the build gives, on Windows the
// .clap beside the program.
std::string clapModulePath();
ClapModule loadClapModule(const std::string& path);
void unloadClapModule(ClapModule& module);
const clap_plugin_factory_t* pluginFactory(const ClapModule& module);

struct TestHost {
    clap_host_t host;
    clap_host_params_t params;
    clap_host_gui_t gui;
    bool offersParams = true, offersGui = true;
    bool acceptsResize = true;
    // What the plug-in asked.
    int flushRequests = 0, processRequests = 0, callbackRequests = 0, restartRequests = 0;
    std::vector<std::pair<uint32_t, uint32_t>> resizeRequests;
    std::thread::id mainThread;
    int callsOffMainThread = 0;  // host calls that came on another thread than the main one
};
// Call on the thread that counts as the host's main thread.
void initTestHost(TestHost& host);

// Any event the tests send, in one record.
union AnyEvent {
    clap_event_header_t header;
    clap_event_param_value_t value;
    clap_event_param_gesture_t gesture;
    clap_event_param_mod_t mod;
    clap_event_note_t note;
    clap_event_transport_t transport;
    clap_event_midi_t midi;
};
AnyEvent paramValue(uint32_t time, clap_id id, double value);

struct InputEvents {
    std::vector<AnyEvent> events;
    clap_input_events_t list;
    InputEvents();
    InputEvents(const InputEvents&) = delete;
};

// Keeps a copy of each event pushed; refuses pushes beyond `capacity`.
struct OutputEvents {
    std::vector<AnyEvent> events;
    size_t capacity = SIZE_MAX;
    clap_output_events_t list;
    OutputEvents();
    OutputEvents(const OutputEvents&) = delete;
};

// A stream over memory that moves at most `chunk` bytes a call; after
// `callsBeforeError` calls (when not negative) it fails every call with -1,
// `answer` (when not negative) replaces the count it reports.
struct OutputStream {
    std::vector<uint8_t> bytes;
    uint64_t chunk = UINT64_MAX;
    int64_t callsBeforeError = -1;
    int64_t answer = -1;
    clap_ostream_t stream;
    OutputStream();
    OutputStream(const OutputStream&) = delete;
};
struct InputStream {
    std::vector<uint8_t> bytes;
    size_t at = 0;
    uint64_t chunk = UINT64_MAX;
    int64_t callsBeforeError = -1;
    int64_t answer = -1;
    clap_istream_t stream;
    explicit InputStream(std::vector<uint8_t> data = {});
    InputStream(const InputStream&) = delete;
};

// One instance, made and initialised, with its extensions.
struct TestPlugin {
    const clap_plugin_t* plugin = nullptr;
    const clap_plugin_params_t* params = nullptr;
    const clap_plugin_state_t* state = nullptr;
    const clap_plugin_audio_ports_t* ports = nullptr;
    const clap_plugin_latency_t* latency = nullptr;
    const clap_plugin_gui_t* gui = nullptr;
};
TestPlugin createTestPlugin(const ClapModule& module, TestHost& host);
void destroyTestPlugin(TestPlugin& plugin);

// One process call over stereo buffers (in and out may be the same).
clap_process_status processStereo(const TestPlugin& p, const float* const* in, float* const* out, uint32_t frames,
                                  const clap_input_events_t* events = nullptr,
                                  const clap_output_events_t* outEvents = nullptr);
double valueOf(const TestPlugin& p, clap_id id);
void setValueByFlush(const TestPlugin& p, clap_id id, double value);
