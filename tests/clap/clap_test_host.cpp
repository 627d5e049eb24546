#include "clap_test_host.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

std::string clapModulePath() {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1) + "DorlinQuillet.clap";
#else
    return DQ_CLAP_MODULE;
#endif
}

ClapModule loadClapModule(const std::string& path) {
    ClapModule m;
#if defined(_WIN32)
    HMODULE h = LoadLibraryA(path.c_str());
    m.handle = h;
    if (h) m.entry = reinterpret_cast<const clap_plugin_entry_t*>(GetProcAddress(h, "clap_entry"));
#else
    m.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m.handle) m.entry = static_cast<const clap_plugin_entry_t*>(dlsym(m.handle, "clap_entry"));
#endif
    return m;
}

void unloadClapModule(ClapModule& m) {
#if defined(_WIN32)
    if (m.handle) FreeLibrary(static_cast<HMODULE>(m.handle));
#else
    if (m.handle) dlclose(m.handle);
#endif
    m = ClapModule{};
}

const clap_plugin_factory_t* pluginFactory(const ClapModule& m) {
    return m.entry ? static_cast<const clap_plugin_factory_t*>(m.entry->get_factory(CLAP_PLUGIN_FACTORY_ID)) : nullptr;
}

namespace {

TestHost& hostOf(const clap_host_t* h) {
    TestHost& t = *static_cast<TestHost*>(h->host_data);
    if (std::this_thread::get_id() != t.mainThread) ++t.callsOffMainThread;
    return t;
}

const void* hostExtension(const clap_host_t* h, const char* id) {
    const TestHost& t = *static_cast<const TestHost*>(h->host_data);
    if (!id) return nullptr;
    if (t.offersParams && std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &t.params;
    if (t.offersGui && std::strcmp(id, CLAP_EXT_GUI) == 0) return &t.gui;
    return nullptr;
}

void requestRestart(const clap_host_t* h) { ++hostOf(h).restartRequests; }
void requestProcess(const clap_host_t* h) { ++hostOf(h).processRequests; }
void requestCallback(const clap_host_t* h) { ++hostOf(h).callbackRequests; }
void rescan(const clap_host_t* h, clap_param_rescan_flags) { hostOf(h); }
void clear(const clap_host_t* h, clap_id, clap_param_clear_flags) { hostOf(h); }
void requestFlush(const clap_host_t* h) { ++hostOf(h).flushRequests; }
void resizeHintsChanged(const clap_host_t* h) { hostOf(h); }
bool requestResize(const clap_host_t* h, uint32_t width, uint32_t height) {
    TestHost& t = hostOf(h);
    t.resizeRequests.push_back({width, height});
    return t.acceptsResize;
}
bool requestShowOrHide(const clap_host_t* h) { return hostOf(h), false; }
void closed(const clap_host_t* h, bool) { hostOf(h); }

uint32_t inputSize(const clap_input_events_t* list) {
    return static_cast<uint32_t>(static_cast<const InputEvents*>(list->ctx)->events.size());
}
const clap_event_header_t* inputAt(const clap_input_events_t* list, uint32_t index) {
    const InputEvents& e = *static_cast<const InputEvents*>(list->ctx);
    return index < e.events.size() ? &e.events[index].header : nullptr;
}

bool outputPush(const clap_output_events_t* list, const clap_event_header_t* event) {
    OutputEvents& o = *static_cast<OutputEvents*>(list->ctx);
    if (!event || o.events.size() >= o.capacity || event->size > sizeof(AnyEvent)) return false;
    AnyEvent copy{};
    std::memcpy(&copy, event, event->size);
    o.events.push_back(copy);
    return true;
}

// How many bytes a stream call moves, or its failure.
template <class Stream> int64_t streamStep(Stream& s, uint64_t asked, uint64_t available, int64_t* report) {
    if (s.callsBeforeError == 0) return -1;
    if (s.callsBeforeError > 0) --s.callsBeforeError;
    const uint64_t n = std::min(std::min(asked, s.chunk), available);
    *report = s.answer >= 0 ? s.answer : static_cast<int64_t>(n);
    return static_cast<int64_t>(n);
}

int64_t streamWrite(const clap_ostream_t* stream, const void* buffer, uint64_t size) {
    OutputStream& s = *static_cast<OutputStream*>(stream->ctx);
    int64_t report;
    const int64_t n = streamStep(s, size, UINT64_MAX, &report);
    if (n < 0) return -1;
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    s.bytes.insert(s.bytes.end(), bytes, bytes + n);
    return report;
}

int64_t streamRead(const clap_istream_t* stream, void* buffer, uint64_t size) {
    InputStream& s = *static_cast<InputStream*>(stream->ctx);
    int64_t report;
    const int64_t n = streamStep(s, size, s.bytes.size() - s.at, &report);
    if (n < 0) return -1;
    std::memcpy(buffer, s.bytes.data() + s.at, static_cast<size_t>(n));
    s.at += static_cast<size_t>(n);
    return report;
}

}  // namespace

void initTestHost(TestHost& t) {
    t.host = clap_host_t{CLAP_VERSION_INIT, &t, "Quillet test host", "Dorlin Audio Technologies", "", "1.0",
                         hostExtension, requestRestart, requestProcess, requestCallback};
    t.params = clap_host_params_t{rescan, clear, requestFlush};
    t.gui = clap_host_gui_t{resizeHintsChanged, requestResize, requestShowOrHide, requestShowOrHide, closed};
    t.mainThread = std::this_thread::get_id();
}

AnyEvent paramValue(uint32_t time, clap_id id, double value) {
    AnyEvent e{};
    e.value = clap_event_param_value_t{{sizeof(clap_event_param_value_t), time, CLAP_CORE_EVENT_SPACE_ID,
                                        CLAP_EVENT_PARAM_VALUE, 0},
                                       id, nullptr, -1, -1, -1, -1, value};
    return e;
}

InputEvents::InputEvents() : list{this, inputSize, inputAt} {}
OutputEvents::OutputEvents() : list{this, outputPush} {}
OutputStream::OutputStream() : stream{this, streamWrite} {}
InputStream::InputStream(std::vector<uint8_t> data) : bytes(std::move(data)), stream{this, streamRead} {}

template <class T> const T* extension(const clap_plugin_t* p, const char* id) {
    return static_cast<const T*>(p->get_extension(p, id));
}

TestPlugin createTestPlugin(const ClapModule& module, TestHost& host) {
    TestPlugin t;
    const clap_plugin_factory_t* factory = pluginFactory(module);
    if (!factory) return t;
    const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, 0);
    t.plugin = d ? factory->create_plugin(factory, &host.host, d->id) : nullptr;
    if (!t.plugin) return t;
    if (!t.plugin->init(t.plugin)) {
        t.plugin->destroy(t.plugin);
        t.plugin = nullptr;
        return t;
    }
    t.params = extension<clap_plugin_params_t>(t.plugin, CLAP_EXT_PARAMS);
    t.state = extension<clap_plugin_state_t>(t.plugin, CLAP_EXT_STATE);
    t.ports = extension<clap_plugin_audio_ports_t>(t.plugin, CLAP_EXT_AUDIO_PORTS);
    t.latency = extension<clap_plugin_latency_t>(t.plugin, CLAP_EXT_LATENCY);
    t.gui = extension<clap_plugin_gui_t>(t.plugin, CLAP_EXT_GUI);
    return t;
}

void destroyTestPlugin(TestPlugin& t) {
    if (t.plugin) t.plugin->destroy(t.plugin);
    t = TestPlugin{};
}

clap_process_status processStereo(const TestPlugin& p, const float* const* in, float* const* out, uint32_t frames,
                                  const clap_input_events_t* events, const clap_output_events_t* outEvents) {
    static InputEvents none;
    static OutputEvents sink;
    sink.events.clear();
    clap_audio_buffer_t input{const_cast<float**>(in), nullptr, 2, 0, 0};
    clap_audio_buffer_t output{const_cast<float**>(out), nullptr, 2, 0, 0};
    const clap_process_t process{-1, frames, nullptr, &input, &output, 1, 1,
                                 events ? events : &none.list, outEvents ? outEvents : &sink.list};
    return p.plugin->process(p.plugin, &process);
}

double valueOf(const TestPlugin& p, clap_id id) {
    double v = -1.0;
    return p.params->get_value(p.plugin, id, &v) ? v : -1.0;
}

void setValueByFlush(const TestPlugin& p, clap_id id, double value) {
    InputEvents in;
    OutputEvents out;
    in.events.push_back(paramValue(0, id, value));
    p.params->flush(p.plugin, &in.list, &out.list);
}
