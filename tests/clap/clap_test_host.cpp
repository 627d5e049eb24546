#include "clap_test_host.h"

#include <algorithm>
#include <cstring>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

thread_local bool onAudioThread = false;

enum class Needs { kAnyThread, kMainThread, kNotAudioThread };

bool isMainThread(const TestHost& t) { return !onAudioThread && std::this_thread::get_id() == t.mainThread; }

TestHost& hostOf(const clap_host_t* h, const char* call = "", Needs needs = Needs::kAnyThread) {
    TestHost& t = *static_cast<TestHost*>(h->host_data);
    const bool wrong = (needs == Needs::kMainThread && !isMainThread(t)) ||
                       (needs == Needs::kNotAudioThread && onAudioThread);
    if (wrong) {
        std::lock_guard<std::mutex> lock(t.faultsLock);
        t.threadFaults.push_back(std::string(call) + (onAudioThread ? " on the audio thread" : " off the main thread"));
    }
    return t;
}
void ignored(const clap_host_t* h) { hostOf(h); }
bool refused(const clap_host_t* h) { return hostOf(h), false; }

const void* hostExtension(const clap_host_t* h, const char* id) {
    TestHost& t = hostOf(h);
    if (!id) return nullptr;
    t.asked.push_back(id);
    if (t.alsoOffers.first == id) return t.alsoOffers.second;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return t.offersParams ? &t.params : nullptr;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &t.state;
    if (std::strcmp(id, CLAP_EXT_THREAD_CHECK) == 0) return &t.threadCheck;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return t.offersTimer ? &t.timer : nullptr;
    return std::strcmp(id, CLAP_EXT_GUI) == 0 ? &t.gui : nullptr;
}

// How many bytes a stream call moves, or -1 for its failure.
int64_t streamStep(Stream& s, uint64_t asked, uint64_t available) {
    if (s.callsBeforeError == 0) return -1;
    if (s.callsBeforeError > 0) --s.callsBeforeError;
    return static_cast<int64_t>(std::min(std::min(asked, s.chunk), available));
}

int64_t streamWrite(const clap_ostream_t* stream, const void* buffer, uint64_t size) {
    Stream& s = *static_cast<Stream*>(stream->ctx);
    const int64_t n = streamStep(s, size, UINT64_MAX);
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    if (n > 0) s.bytes.insert(s.bytes.end(), bytes, bytes + n);
    return n < 0 || s.answer < 0 ? n : s.answer;
}

int64_t streamRead(const clap_istream_t* stream, void* buffer, uint64_t size) {
    Stream& s = *static_cast<Stream*>(stream->ctx);
    const int64_t n = streamStep(s, size, s.bytes.size() - s.readAt);
    if (n > 0) std::memcpy(buffer, s.bytes.data() + s.readAt, static_cast<size_t>(n));
    s.readAt += static_cast<size_t>(n > 0 ? n : 0);
    return n < 0 || s.answer < 0 ? n : s.answer;
}

}  // namespace

TestHost::TestHost()
    : host{CLAP_VERSION_INIT, this, "Quillet test host", "Dorlin Audio Technologies", "", "1.0", hostExtension,
           ignored, [](const clap_host_t* h) { ++hostOf(h).processRequests; }, ignored},
      params{[](const clap_host_t* h, clap_param_rescan_flags flags) {
                 hostOf(h, "params.rescan", Needs::kMainThread).rescans.push_back(flags);
             },
             [](const clap_host_t* h, clap_id, clap_param_clear_flags) { hostOf(h, "params.clear", Needs::kMainThread); },
             [](const clap_host_t* h) {
                 ++hostOf(h, "params.request_flush", Needs::kNotAudioThread).flushRequests;
                 if (auto once = std::exchange(hostOf(h).whileAnswering, nullptr)) once();
             }},
      gui{ignored,
          [](const clap_host_t* h, uint32_t width, uint32_t height) {
              hostOf(h).resizeRequests.push_back({width, height});
              if (auto once = std::exchange(hostOf(h).whileAnswering, nullptr)) once();
              return true;
          },
          refused, refused, [](const clap_host_t* h, bool) { hostOf(h); }},
      threadCheck{[](const clap_host_t* h) { return isMainThread(hostOf(h)); },
                  [](const clap_host_t*) { return onAudioThread; }},
      state{[](const clap_host_t* h) { ++hostOf(h, "state.mark_dirty", Needs::kMainThread).dirtyMarks; }},
      timer{[](const clap_host_t* h, uint32_t, clap_id* id) {
                TestHost& t = hostOf(h, "timer_support.register_timer", Needs::kMainThread);
                t.timers.push_back(*id = 40 + static_cast<clap_id>(t.timers.size()));
                return true;
            },
            [](const clap_host_t* h, clap_id id) {
                std::vector<clap_id>& t = hostOf(h, "timer_support.unregister_timer", Needs::kMainThread).timers;
                const size_t before = t.size();
                t.erase(std::remove(t.begin(), t.end(), id), t.end());
                return t.size() < before;
            }} {}

TestHost::~TestHost() {
    EXPECT_TRUE(threadFaults.empty()) << threadFaults.size() << " calls on the wrong thread, the first: "
                                      << (threadFaults.empty() ? "" : threadFaults[0]);
}

AudioThread::AudioThread() : was(onAudioThread) { onAudioThread = true; }
AudioThread::~AudioThread() { onAudioThread = was; }

AnyEvent paramValue(uint32_t time, clap_id id, double value) {
    AnyEvent e{};
    e.value = {{sizeof(clap_event_param_value_t), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0},
               id, nullptr, -1, -1, -1, -1, value};
    return e;
}

InputEvents::InputEvents(std::vector<AnyEvent> e)
    : events(std::move(e)),
      list{this, [](const clap_input_events_t* l) { return uint32_t(static_cast<InputEvents*>(l->ctx)->events.size()); },
           [](const clap_input_events_t* l, uint32_t i) -> const clap_event_header_t* {
               const std::vector<AnyEvent>& all = static_cast<InputEvents*>(l->ctx)->events;
               return i < all.size() ? &all[i].header : nullptr;
           }} {}

OutputEvents::OutputEvents()
    : list{this, [](const clap_output_events_t* l, const clap_event_header_t* e) {
               OutputEvents& o = *static_cast<OutputEvents*>(l->ctx);
               ++o.offered;
               const bool gesture = e && (e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || e->type == CLAP_EVENT_PARAM_GESTURE_END);
               if (!e || o.events.size() >= o.capacity || e->size > sizeof(AnyEvent) || (gesture && !o.takesGestures))
                   return false;
               std::memcpy(&o.events.emplace_back(), e, e->size);
               return true;
           }} {}

Stream::Stream(std::vector<uint8_t> data, uint64_t chunk)
    : bytes(std::move(data)), chunk(chunk), in{this, streamRead}, out{this, streamWrite} {}

bool StereoSignal::sameOutput(const StereoSignal& o) const {
    const size_t bytes = outLeft.size() * sizeof(float);
    return outLeft.size() == o.outLeft.size() && std::memcmp(outLeft.data(), o.outLeft.data(), bytes) == 0 &&
           std::memcmp(outRight.data(), o.outRight.data(), bytes) == 0;
}

clap_process_status process(const TestPlugin& p, StereoSignal& s, size_t from, uint32_t frames,
                            const clap_input_events_t* events, const clap_output_events_t* out) {
    static InputEvents none;
    static OutputEvents sink;
    sink.events.clear();
    float* in[2] = {s.left.data() + from, s.right.data() + from};
    float* outs[2] = {s.outLeft.data() + from, s.outRight.data() + from};
    clap_audio_buffer_t input{in, nullptr, 2, 0, 0}, output{outs, nullptr, 2, 0, 0};
    const clap_process_t call{-1, frames, nullptr, &input, &output, 1, 1, events ? events : &none.list,
                              out ? out : &sink.list};
    AudioThread audio;
    return p.plugin->process(p.plugin, &call);
}

double valueOf(const TestPlugin& p, clap_id id) {
    double v = -1.0;
    return p.params->get_value(p.plugin, id, &v) ? v : -1.0;
}

std::vector<double> valuesOf(const TestPlugin& p) {
    std::vector<double> v;
    for (clap_id id = 0; id < kParamCount; ++id) v.push_back(valueOf(p, id));
    v.push_back(valueOf(p, kMeterId));
    return v;
}

void setByFlush(const TestPlugin& p, clap_id id, double value) {
    InputEvents in({paramValue(0, id, value)});
    OutputEvents out;
    const bool was = onAudioThread;
    onAudioThread = p.active;
    p.params->flush(p.plugin, &in.list, &out.list);
    onAudioThread = was;
}

void ClapTest::SetUp() {
#if defined(_WIN32)  // the module beside the program
    char path[MAX_PATH];
    std::string file(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    file = file.substr(0, file.find_last_of("\\/") + 1) + "DorlinQuillet.clap";
    module = LoadLibraryA(file.c_str());
    if (module) entry = reinterpret_cast<const clap_plugin_entry_t*>(GetProcAddress(HMODULE(module), "clap_entry"));
#else
    const std::string file = DQ_CLAP_MODULE;
    module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module) entry = static_cast<const clap_plugin_entry_t*>(dlsym(module, "clap_entry"));
#endif
    ASSERT_TRUE(entry && entry->init(file.c_str())) << file;
    factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    ASSERT_NE(factory, nullptr);
    plugin = create();
}

void ClapTest::TearDown() {
    destroy(plugin);
    if (entry) entry->deinit();
#if defined(_WIN32)
    if (module) FreeLibrary(HMODULE(module));
#else
    if (module) dlclose(module);
#endif
}

TestPlugin ClapTest::create(TestHost& by) {
    TestPlugin t{factory->create_plugin(factory, &by.host, factory->get_plugin_descriptor(factory, 0)->id)};
    if (!t.plugin || !t.plugin->init(t.plugin)) {
        ADD_FAILURE() << "no instance";
        destroy(t);
        return t;
    }
    auto extension = [&](const char* id) { return t.plugin->get_extension(t.plugin, id); };
    t.params = static_cast<const clap_plugin_params_t*>(extension(CLAP_EXT_PARAMS));
    t.state = static_cast<const clap_plugin_state_t*>(extension(CLAP_EXT_STATE));
    t.gui = static_cast<const clap_plugin_gui_t*>(extension(CLAP_EXT_GUI));
    return t;
}
