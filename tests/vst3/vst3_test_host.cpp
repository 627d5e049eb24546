#include "vst3_test_host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <tuple>

namespace {

template <class Interface> struct Table : v3_funknown {
    Interface methods;
};
template <class T> T* of(void* self) { return static_cast<T*>(self); }

v3_result V3_API query(void* self, const v3_tuid iid, void** obj) {
    const bool known = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, of<HostObject>(self)->iid);
    *obj = known ? self : nullptr;
    if (known) ++of<HostObject>(self)->refs;
    return known ? v3_result{V3_OK} : static_cast<v3_result>(V3_NO_INTERFACE);
}
uint32_t V3_API ref(void* self) { return ++of<HostObject>(self)->refs; }
uint32_t V3_API unref(void* self) { return --of<HostObject>(self)->refs; }

// Read and write: at most `chunk` bytes a call.
v3_result V3_API move(void* self, void* buffer, int32_t want, int32_t* moved, bool reading) {
    HostStream* s = of<HostStream>(self);
    size_t n = std::min(static_cast<size_t>(std::max(want, 0)), static_cast<size_t>(s->chunk));
    if (reading) n = std::min(n, s->bytes.size() - s->at);
    *moved = s->refuse ? 0 : static_cast<int32_t>(n);
    if (s->refuse) return V3_FALSE;
    uint8_t* b = static_cast<uint8_t*>(buffer);
    if (reading) std::memcpy(b, s->bytes.data() + s->at, n), s->at += n;
    else s->bytes.insert(s->bytes.end(), b, b + n);
    return V3_OK;
}
v3_result V3_API read(void* s, void* b, int32_t n, int32_t* done) { return move(s, b, n, done, true); }
v3_result V3_API write(void* s, void* b, int32_t n, int32_t* done) { return move(s, b, n, done, false); }
v3_result V3_API seek(void*, int64_t, int32_t, int64_t*) { return V3_FALSE; }
v3_result V3_API tell(void*, int64_t*) { return V3_FALSE; }
const Table<v3_bstream> kStream = {{query, ref, unref}, {read, write, seek, tell}};

v3_param_id V3_API queueId(void* self) { return of<HostQueue>(self)->id; }
int32_t V3_API pointCount(void* self) { return static_cast<int32_t>(of<HostQueue>(self)->points.size()); }
v3_result V3_API point(void* self, int32_t i, int32_t* offset, double* value) {
    if (i < 0 || i >= pointCount(self)) return V3_FALSE;
    std::tie(*offset, *value) = of<HostQueue>(self)->points[i];
    return V3_OK;
}
v3_result V3_API addPoint(void* self, int32_t offset, double value, int32_t* index) {
    *index = pointCount(self);
    of<HostQueue>(self)->points.emplace_back(offset, value);
    return V3_OK;
}
const Table<v3_param_value_queue> kQueue = {{query, ref, unref}, {queueId, pointCount, point, addPoint}};

int32_t V3_API queueCount(void* self) { return static_cast<int32_t>(of<HostChanges>(self)->queues.size()); }
v3_param_value_queue** V3_API queueAt(void* self, int32_t i) {
    return i >= 0 && i < queueCount(self) ? of<HostChanges>(self)->queues[i].as<v3_param_value_queue>() : nullptr;
}
v3_param_value_queue** V3_API addQueue(void* self, v3_param_id* id, int32_t* index) {
    *index = queueCount(self);
    return of<HostChanges>(self)->add(*id).as<v3_param_value_queue>();
}
const Table<v3_param_changes> kChanges = {{query, ref, unref}, {queueCount, queueAt, addQueue}};

v3_result record(void* self, const char* what, v3_param_id id, double value = -1.0) {
    char text[64];
    std::snprintf(text, sizeof text, value < 0.0 ? "%s %u" : "%s %u %.9g", what, id, value);
    of<HostHandler>(self)->calls.push_back(text);
    if (auto once = std::exchange(of<HostHandler>(self)->whileAnswering, nullptr)) once();
    return V3_OK;
}
v3_result V3_API beginEdit(void* self, v3_param_id id) { return record(self, "begin", id); }
v3_result V3_API performEdit(void* self, v3_param_id id, double v) { return record(self, "perform", id, v); }
v3_result V3_API endEdit(void* self, v3_param_id id) { return record(self, "end", id); }
v3_result V3_API restart(void* self, int32_t flags) { return record(self, "restart", static_cast<v3_param_id>(flags)); }
const Table<v3_component_handler> kHandler = {{query, ref, unref}, {beginEdit, performEdit, endEdit, restart}};

v3_result V3_API resizeView(void* self, v3_plugin_view** view, v3_view_rect* rect) {
    of<HostFrame>(self)->requests.push_back(*rect);
    if (auto once = std::exchange(of<HostFrame>(self)->whileAnswering, nullptr)) once();
    return of<HostFrame>(self)->accept ? v3_cpp_obj(view)->on_size(view, rect) : v3_result{V3_FALSE};
}
const v3_plugin_frame_cpp kFrame = {{query, ref, unref}, {resizeView}};

template <class T> T* procedure(HMODULE library, const char* name) {
    return reinterpret_cast<T*>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

HostStream::HostStream() { vtable = &kStream, iid = v3_bstream_iid; }
HostQueue::HostQueue() { vtable = &kQueue, iid = v3_param_value_queue_iid; }
HostChanges::HostChanges() { vtable = &kChanges, iid = v3_param_changes_iid; }
HostHandler::HostHandler() { vtable = &kHandler, iid = v3_component_handler_iid; }
HostFrame::HostFrame() { vtable = &kFrame, iid = v3_plugin_frame_iid; }

HostQueue& HostChanges::add(v3_param_id id, std::vector<std::pair<int32_t, double>> points) {
    HostQueue& q = queues.emplace_back();
    q.id = id, q.points = std::move(points);
    return q;
}

const HostQueue* HostChanges::find(v3_param_id id) const {
    for (const HostQueue& q : queues)
        if (q.id == id) return &q;
    return nullptr;
}

std::string bundleBesideProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path);
    return program.substr(0, program.find_last_of("\\/") + 1) + "DorlinQuillet.vst3";
}

Vst3Module loadBundle() {
    Vst3Module m;
    m.library = LoadLibraryA((bundleBesideProgram() + "\\Contents\\x86_64-win\\DorlinQuillet.vst3").c_str());
    auto init = procedure<bool()>(m.library, "InitDll");
    auto entry = procedure<void*()>(m.library, "GetPluginFactory");
    if (init && init() && entry) m.factory = static_cast<v3_plugin_factory**>(entry());
    return m;
}

void unloadBundle(Vst3Module& m) {
    if (m.factory) v3_cpp_obj_unref(m.factory);
    if (auto exit = procedure<bool()>(m.library, "ExitDll")) exit();
    FreeLibrary(m.library);
    m = Vst3Module{};
}

Plugin createPlugin(v3_plugin_factory** factory, double rate) {
    Plugin p;
    v3_class_info info;
    v3_cpp_obj(factory)->get_class_info(factory, 0, &info);
    v3_cpp_obj(factory)->create_instance(factory, info.class_id, v3_component_iid, reinterpret_cast<void**>(&p.component));
    if (!p.component) return p;
    v3_cpp_obj_initialize(p.component, nullptr);
    queryOf(p.component, v3_audio_processor_iid, reinterpret_cast<void**>(&p.processor));
    queryOf(p.component, v3_edit_controller_iid, reinterpret_cast<void**>(&p.controller));
    v3_process_setup setup{V3_REALTIME, V3_SAMPLE_32, 4096, rate};
    p.proc()->setup_processing(p.processor, &setup);
    p.comp()->set_active(p.component, 1);
    p.proc()->set_processing(p.processor, 1);
    return p;
}

void releasePlugin(Plugin& p) {
    if (p.processor) p.proc()->set_processing(p.processor, 0), v3_cpp_obj_unref(p.processor);
    if (p.controller) v3_cpp_obj_unref(p.controller);
    if (p.component) p.comp()->set_active(p.component, 0), v3_cpp_obj_terminate(p.component), v3_cpp_obj_unref(p.component);
    p = Plugin{};
}

v3_result processBlock(const Plugin& p, const float* l, const float* r, float* outL, float* outR, int32_t frames,
                       HostChanges* input, HostChanges* output, uint64_t* silence) {
    float* in[2] = {const_cast<float*>(l), const_cast<float*>(r)};
    float* out[2] = {outL, outR};
    v3_audio_bus_buffers inBus{2, 0, {in}}, outBus{2, silence ? *silence : 3u, {out}};
    v3_process_data data{};
    data.symbolic_sample_size = V3_SAMPLE_32;
    data.nframes = frames;
    data.num_input_buses = data.num_output_buses = 1;
    data.inputs = &inBus, data.outputs = &outBus;
    data.input_params = input ? input->as<v3_param_changes>() : nullptr;
    data.output_params = output ? output->as<v3_param_changes>() : nullptr;
    const v3_result result = p.proc()->process(p.processor, &data);
    if (silence) *silence = outBus.channel_silence_bitset;
    return result;
}
