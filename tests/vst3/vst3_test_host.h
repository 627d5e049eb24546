#pragma once
// A small VST 3 host for the tests: loads the bundle as a host does, makes
// instances through its factory, and plays the host's side of the interfaces
// (stream, parameter changes, component handler, view frame), each object
// counting the references the plug-in holds.
#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "travesty/audio_processor.h"
#include "travesty/component.h"
#include "travesty/edit_controller.h"
#include "travesty/factory.h"
#include "travesty/message.h"

struct Vst3Module {
    HMODULE library = nullptr;
    v3_plugin_factory** factory = nullptr;
};
std::string bundleBesideProgram();  // <program dir>/DorlinQuillet.vst3
Vst3Module loadBundle();            // LoadLibrary, InitDll, GetPluginFactory
void unloadBundle(Vst3Module& module);

// The three faces of one instance, a reference each.
struct Plugin {
    v3_component** component = nullptr;
    v3_audio_processor** processor = nullptr;
    v3_edit_controller** controller = nullptr;
    v3_component* comp() const { return v3_cpp_obj(component); }
    v3_audio_processor* proc() const { return v3_cpp_obj(processor); }
    v3_edit_controller* ctrl() const { return v3_cpp_obj(controller); }
};
// Initialized, set up at `rate` for blocks up to 4096, active and processing.
Plugin createPlugin(v3_plugin_factory** factory, double rate = 44100.0);
void releasePlugin(Plugin& plugin);

inline v3_result queryOf(void* object, const v3_tuid iid, void** out) {
    return (*static_cast<v3_funknown**>(object))->query_interface(object, iid, out);
}

// The host's objects: their function table first; `refs` counts the test's own reference too.
struct HostObject {
    const void* vtable;
    const uint8_t* iid;
    std::atomic<int> refs{1};
    std::function<void()> whileAnswering;  // once, inside the next call the plug-in makes to it
    template <class T> T** as() { return reinterpret_cast<T**>(this); }
};

// Moves at most `chunk` bytes a call; `refuse` fails every call.
struct HostStream : HostObject {
    std::vector<uint8_t> bytes;
    size_t at = 0;
    int32_t chunk = 1 << 30;
    bool refuse = false;
    HostStream();
};

struct HostQueue : HostObject {
    v3_param_id id = 0;
    std::vector<std::pair<int32_t, double>> points;
    HostQueue();
};

// One block's parameter changes, sent to the plug-in or added by it.
struct HostChanges : HostObject {
    std::deque<HostQueue> queues;
    HostChanges();
    HostQueue& add(v3_param_id id, std::vector<std::pair<int32_t, double>> points = {});
    const HostQueue* find(v3_param_id id) const;
};

struct HostHandler : HostObject {
    std::vector<std::string> calls;  // "begin 3", "perform 3 0.5", "end 3", "restart 4" (the flags)
    HostHandler();
};

// Takes a view's size requests, telling the view its new size, or refuses them.
struct HostFrame : HostObject {
    bool accept = true;
    std::vector<v3_view_rect> requests;
    HostFrame();
};

// One process call with stereo 32-bit buffers (none where null); the
// output's silence flags go in as `silence` (all silent when null) and come back there.
v3_result processBlock(const Plugin& p, const float* l, const float* r, float* outL, float* outR, int32_t frames,
                       HostChanges* input = nullptr, HostChanges* output = nullptr, uint64_t* silence = nullptr);
