#pragma once
// A small CLAP host for the tests: loads the module, makes instances with a
// host that records what the plug-in asks of it, and hands the plug-in event
// lists, audio buffers and streams of the tests' making, well formed or not.
#include <clap/entry.h>
#include <clap/ext/gui.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/thread-check.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "engine_test_signals.h"

constexpr clap_id kMeterId = 100;
// Every parameter away from its default, the compressor working hard.
constexpr float kHardSetting[kParamCount] = {0.2f, 0.6f, 0.4f, 0.35f, 0.3f, 0.45f, 0.3f, 0.85f, 0.0f};

// Checks that each call the plug-in makes into it comes on the thread the
// format names for it, and answers the plug-in's own thread checks: the
// thread that made the host is its main thread, but while an AudioThread is
// in scope on a thread, that thread is the audio thread. A call on the wrong
// thread fails the test.
struct TestHost {
    clap_host_t host;
    clap_host_params_t params;
    clap_host_gui_t gui;
    clap_host_thread_check_t threadCheck;
    clap_host_state_t state;
    bool offersParams = true;
    std::pair<std::string, const void*> alsoOffers;  // one more extension, by id
    std::vector<std::string> asked;                  // every id the plug-in asked for
    int flushRequests = 0, processRequests = 0, dirtyMarks = 0;
    std::vector<clap_param_rescan_flags> rescans;
    std::vector<std::pair<uint32_t, uint32_t>> resizeRequests;
    clap_host_timer_support_t timer;
    bool offersTimer = true;
    std::vector<clap_id> timers;  // registered, not yet unregistered
    std::thread::id mainThread = std::this_thread::get_id();
    std::mutex faultsLock;
    std::vector<std::string> threadFaults;  // "params.rescan off the main thread"
    std::function<void()> whileAnswering;  // once, inside the next flush or resize request
    TestHost();
    TestHost(const TestHost&) = delete;
    ~TestHost();
};
struct AudioThread {
    AudioThread();
    ~AudioThread();
    bool was;
};

union AnyEvent {
    clap_event_header_t header;
    clap_event_param_value_t value;
    clap_event_param_gesture_t gesture;
    uint8_t room[sizeof(clap_event_transport_t)];  // the largest core event
};
AnyEvent paramValue(uint32_t time, clap_id id, double value);

struct InputEvents {
    std::vector<AnyEvent> events;
    clap_input_events_t list;
    explicit InputEvents(std::vector<AnyEvent> e = {});
    InputEvents(const InputEvents&) = delete;
};
// Keeps a copy of each event pushed; refuses pushes beyond `capacity`, and
// gesture events unless it `takesGestures`; counts every push `offered`.
struct OutputEvents {
    std::vector<AnyEvent> events;
    size_t capacity = SIZE_MAX;
    bool takesGestures = true;
    int offered = 0;
    clap_output_events_t list;
    OutputEvents();
    OutputEvents(const OutputEvents&) = delete;
};

// A stream over memory, either way, that moves at most `chunk` bytes a call;
// after `callsBeforeError` calls (when not negative) it fails every call, and
// `answer` (when not negative) replaces the count it reports.
struct Stream {
    std::vector<uint8_t> bytes;
    size_t readAt = 0;
    uint64_t chunk;
    int64_t callsBeforeError = -1, answer = -1;
    clap_istream_t in;
    clap_ostream_t out;
    explicit Stream(std::vector<uint8_t> data = {}, uint64_t chunk = UINT64_MAX);
    Stream(const Stream&) = delete;
};

// A stereo program in two channels, and room for the output.
struct StereoSignal {
    std::vector<float> left, right, outLeft, outRight;
    explicit StereoSignal(size_t frames, float gain = 1.0f) {
        makeProgram(left, right, frames, 48000.0, gain);
        outLeft.assign(frames, -7.0f), outRight.assign(frames, -7.0f);
    }
    bool sameOutput(const StereoSignal& other) const;
};

struct TestPlugin {
    const clap_plugin_t* plugin = nullptr;
    mutable bool active = false;  // by ClapTest::activate: its flush is then an audio-thread call
    const clap_plugin_params_t* params = nullptr;
    const clap_plugin_state_t* state = nullptr;
    const clap_plugin_gui_t* gui = nullptr;
};
// One call over frames [from, from + frames) of the signal, in its own output,
// on the audio thread.
clap_process_status process(const TestPlugin& p, StereoSignal& s, size_t from, uint32_t frames,
                            const clap_input_events_t* events = nullptr, const clap_output_events_t* out = nullptr);
double valueOf(const TestPlugin& p, clap_id id);
std::vector<double> valuesOf(const TestPlugin& p);  // the nine, then the meter
void setByFlush(const TestPlugin& p, clap_id id, double value);

// The module loaded and initialised for each test, a recording host and one instance.
class ClapTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;
    TestPlugin create(TestHost& by);  // through the factory, initialised, with its extensions
    TestPlugin create() { return create(host); }
    void destroy(TestPlugin& p) {
        if (p.plugin) p.plugin->destroy(p.plugin);
        p = TestPlugin{};
    }
    void activate(const TestPlugin& p, double rate = 48000.0) {
        ASSERT_TRUE(p.plugin->activate(p.plugin, rate, 1, 4096));
        p.active = true;
        AudioThread audio;
        ASSERT_TRUE(p.plugin->start_processing(p.plugin));
    }
    void setAll(const TestPlugin& p, const float (&values)[kParamCount]) {
        for (clap_id i = 0; i < kParamCount; ++i) setByFlush(p, i, values[i]);
    }

    void* module = nullptr;
    const clap_plugin_entry_t* entry = nullptr;
    const clap_plugin_factory_t* factory = nullptr;
    TestHost host;
    TestPlugin plugin;
};
