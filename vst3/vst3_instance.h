#pragma once
// One VST 3 plug-in instance. The component, its audio processor and its edit
// controller are one object (the form every major host accepts), which the
// host sees through three interface facets sharing one reference count.
#include <atomic>
#include <cstdint>

#include "travesty/audio_processor.h"
#include "travesty/component.h"
#include "travesty/edit_controller.h"
#include "travesty/unit.h"

#include "../core/plugin_core.h"
#include "../core/product_identity.h"

// The result codes as the format's functions return them (travesty's enum
// holds the COM values as unsigned numbers).
constexpr v3_result kResultOk = V3_OK;
constexpr v3_result kResultFalse = V3_FALSE;
constexpr v3_result kNoInterface = static_cast<v3_result>(V3_NO_INTERFACE);
constexpr v3_result kInvalidArgument = static_cast<v3_result>(V3_INVALID_ARG);
constexpr v3_result kNotImplemented = static_cast<v3_result>(V3_NOT_IMPLEMENTED);

// The class id in this platform's byte layout.
constexpr v3_tuid kClassTuid = V3_ID(kVst3ClassId[0], kVst3ClassId[1], kVst3ClassId[2], kVst3ClassId[3]);

// What a host's interface pointer points at: the interface's function table,
// then the object behind it.
struct Facet {
    const void* vtable;
    void* owner;
};

struct Vst3View;

struct Vst3Instance {
    Facet component;   // FUnknown, IPluginBase, IComponent
    Facet processor;   // IAudioProcessor
    Facet controller;  // IEditController
    Facet units;       // IUnitInfo: the factory presets' program list
    Facet contextRequirements;  // IProcessContextRequirements
    std::atomic<uint32_t> refCount;
    PluginCore core;
    // Main thread: the host's handler for edits (held), and the view whose
    // editor is open (it holds the instance, not the other way round).
    v3_component_handler** handler;
    Vst3View* attachedView;
    // The factory preset last chosen, or kNoProgram (state_blob.h) until one
    // is: set on the main thread (the list, a state) or the audio thread (a
    // program change in a block), saved with the state.
    std::atomic<int32_t> program;
};

extern const v3_component_cpp kComponentVtable;
extern const v3_audio_processor_cpp kProcessorVtable;
extern const v3_edit_controller_cpp kControllerVtable;
extern const v3_unit_information_cpp kUnitInfoVtable;
extern const v3_process_context_requirements_cpp kContextRequirementsVtable;

inline Vst3Instance* instanceOf(void* self) {
    return self ? static_cast<Vst3Instance*>(static_cast<Facet*>(self)->owner) : nullptr;
}

// A new instance holding one reference; null when memory is short.
Vst3Instance* createInstance();
// FUnknown for every facet: interface queries and the shared count (the last
// release frees the instance).
v3_result V3_API queryInstance(void* self, const v3_tuid iid, void** obj);
uint32_t V3_API refInstance(void* self);
uint32_t V3_API unrefInstance(void* self);
// IPluginBase, shared by the component and the controller facets.
v3_result V3_API initializeInstance(void* self, v3_funknown** context);
v3_result V3_API terminateInstance(void* self);

// Keeps the host's object `next` in `slot` with a reference of its own,
// letting go of the one held before (either may be null).
template <class Interface> void holdReference(Interface**& slot, Interface** next) {
    if (next == slot) return;
    if (next) v3_cpp_obj_ref(next);
    if (slot) v3_cpp_obj_unref(slot);
    slot = next;
}

// The editor's edits and size requests, to the host (controller.cpp).
EditorCallbacks editorCallbacksFor(Vst3Instance* instance);
