// The instance's life: creation, the interface queries every facet answers,
// the shared reference count, and IPluginBase.
#include <new>

#include "../core/state_blob.h"

#include "../editor/editor_module.h"
#include "vst3_instance.h"

Vst3Instance* createInstance() {
    Vst3Instance* p = new (std::nothrow) Vst3Instance{};
    if (!p) return nullptr;
    p->component = Facet{&kComponentVtable, p};
    p->processor = Facet{&kProcessorVtable, p};
    p->controller = Facet{&kControllerVtable, p};
    p->units = Facet{&kUnitInfoVtable, p};
    p->contextRequirements = Facet{&kContextRequirementsVtable, p};
    p->refCount.store(1);
    initCore(p->core);
    p->program.store(kNoProgram);
    p->core.editorCallbacks = editorCallbacksFor(p);
    acquireEditorModule();
    return p;
}

namespace {

// The host has let go of the last reference: an attached view still holds
// one, so the editor is closed by now.
void destroyInstance(Vst3Instance* p) {
    holdReference(p->handler, static_cast<v3_component_handler**>(nullptr));
    releaseEditorModule();
    delete p;
}

Facet* facetFor(Vst3Instance* p, const v3_tuid iid) {
    // FUnknown and IPluginBase always answer with the component, so that the
    // object's identity is one pointer.
    if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_base_iid) ||
        v3_tuid_match(iid, v3_component_iid))
        return &p->component;
    if (v3_tuid_match(iid, v3_audio_processor_iid)) return &p->processor;
    if (v3_tuid_match(iid, v3_edit_controller_iid)) return &p->controller;
    if (v3_tuid_match(iid, v3_unit_information_iid)) return &p->units;
    if (v3_tuid_match(iid, v3_process_context_requirements_iid)) return &p->contextRequirements;
    return nullptr;
}

}  // namespace

v3_result V3_API queryInstance(void* self, const v3_tuid iid, void** obj) {
    Vst3Instance* p = instanceOf(self);
    if (!obj) return kInvalidArgument;
    Facet* facet = p && iid ? facetFor(p, iid) : nullptr;
    *obj = facet;
    if (!facet) return kNoInterface;
    p->refCount.fetch_add(1);
    return kResultOk;
}

uint32_t V3_API refInstance(void* self) { return instanceOf(self)->refCount.fetch_add(1) + 1; }

uint32_t V3_API unrefInstance(void* self) {
    Vst3Instance* p = instanceOf(self);
    const uint32_t left = p->refCount.fetch_sub(1) - 1;
    if (left == 0) destroyInstance(p);
    return left;
}

// The host context is not needed: the instance asks nothing of the host
// application. Hosts that initialize the component and the controller facet
// both get the same answer twice.
v3_result V3_API initializeInstance(void*, v3_funknown**) { return kResultOk; }
v3_result V3_API terminateInstance(void*) { return kResultOk; }
