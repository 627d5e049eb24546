#include "view.h"

#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

#include "../core/editor_host.h"
#include "../editor/editor.h"
#include "../editor/editor_module.h"
#include "vst3_instance.h"

struct Vst3View {
    Facet view;   // FUnknown, IPlugView
    Facet scale;  // IPlugViewContentScaleSupport
    std::atomic<uint32_t> refCount;
    Vst3Instance* instance;   // held
    v3_plugin_frame** frame;  // held; null until the host sets one
    Editor* editor;           // while attached
    HWND editorWindow;        // the editor's own window, while attached
    double hostScale;         // the host's content scale, or kNoHostScale
    int32_t width, height;    // the size the host was told
};

namespace {

constexpr const char* kPlatformType = V3_VIEW_PLATFORM_TYPE_HWND;

Vst3View* viewOf(void* self) { return static_cast<Vst3View*>(static_cast<Facet*>(self)->owner); }

void closeViewEditor(Vst3View* v) {
    if (!v->editor) return;
    closeEditor(v->editor);
    v->editor = nullptr;
    v->editorWindow = nullptr;
    if (v->instance->attachedView == v) v->instance->attachedView = nullptr;
}

v3_result V3_API query(void* self, const v3_tuid iid, void** obj) {
    if (!obj) return kInvalidArgument;
    Vst3View* v = viewOf(self);
    *obj = nullptr;
    if (iid && (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_view_iid))) *obj = &v->view;
    if (iid && v3_tuid_match(iid, v3_plugin_view_content_scale_iid)) *obj = &v->scale;
    if (!*obj) return kNoInterface;
    v->refCount.fetch_add(1);
    return kResultOk;
}

uint32_t V3_API ref(void* self) { return viewOf(self)->refCount.fetch_add(1) + 1; }

// The last release closes an editor the host left attached, then lets go of
// the instance (which may be its last reference too).
uint32_t V3_API unref(void* self) {
    Vst3View* v = viewOf(self);
    const uint32_t left = v->refCount.fetch_sub(1) - 1;
    if (left != 0) return left;
    closeViewEditor(v);
    holdReference(v->frame, static_cast<v3_plugin_frame**>(nullptr));
    unrefInstance(&v->instance->component);
    delete v;
    return 0;
}

v3_result V3_API isPlatformTypeSupported(void*, const char* type) {
    return type && std::strcmp(type, kPlatformType) == 0 ? kResultOk : kResultFalse;
}

v3_result V3_API attached(void* self, void* parent, const char* type) {
    Vst3View* v = viewOf(self);
    if (isPlatformTypeSupported(self, type) != kResultOk || v->editor) return kResultFalse;
    if (!parent) return kInvalidArgument;
    HWND window = static_cast<HWND>(parent);
    panelSizeAt(hostGaveScale(v->hostScale) ? v->hostScale : displayScaleFor(window), &v->width, &v->height);
    v->instance->attachedView = v;
    // A content scale the host gave is kept; without one the editor follows the display.
    const EditorHost host = editorHostFor(v->instance->core, "VST3");
    v->editor = openEditorOn(host, window, v->width, v->height, v->hostScale, &v->editorWindow);
    if (!v->editor) {
        v->instance->attachedView = nullptr;
        return kResultFalse;
    }
    return kResultOk;
}

v3_result V3_API removed(void* self) {
    Vst3View* v = viewOf(self);
    if (!v->editor) return kResultFalse;
    closeViewEditor(v);
    return kResultOk;
}

// Keys and the wheel are the host's: the panel only takes the mouse.
v3_result V3_API notHandledWheel(void*, float) { return kResultFalse; }
v3_result V3_API notHandledKey(void*, int16_t, int16_t, int16_t) { return kResultFalse; }
v3_result V3_API onFocus(void*, v3_bool) { return kResultOk; }

v3_result V3_API getSize(void* self, v3_view_rect* rect) {
    if (!rect) return kInvalidArgument;
    const Vst3View* v = viewOf(self);
    *rect = v3_view_rect{0, 0, v->width, v->height};
    return kResultOk;
}

// The host's frame has this size now: the editor window follows it.
v3_result V3_API onSize(void* self, v3_view_rect* rect) {
    Vst3View* v = viewOf(self);
    if (!rect || rect->right - rect->left <= 0 || rect->bottom - rect->top <= 0) return kInvalidArgument;
    v->width = rect->right - rect->left;
    v->height = rect->bottom - rect->top;
    if (v->editor && IsWindow(v->editorWindow))
        SetWindowPos(v->editorWindow, nullptr, 0, 0, v->width, v->height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    return kResultOk;
}

v3_result V3_API setFrame(void* self, v3_plugin_frame** frame) {
    holdReference(viewOf(self)->frame, frame);
    return kResultOk;
}

// The panel's size follows the display scale only, never the user's dragging.
v3_result V3_API canResize(void*) { return kResultFalse; }

v3_result V3_API checkSizeConstraint(void* self, v3_view_rect* rect) {
    if (!rect) return kInvalidArgument;
    const Vst3View* v = viewOf(self);
    rect->right = rect->left + v->width;
    rect->bottom = rect->top + v->height;
    return kResultOk;
}

v3_result V3_API setContentScaleFactor(void* self, float factor) {
    Vst3View* v = viewOf(self);
    if (!(factor > 0.0f) || !std::isfinite(factor)) return kInvalidArgument;
    v->hostScale = factor;
    if (v->editor) setEditorScale(v->editor, factor);  // asks the frame for the new size
    else panelSizeAt(factor, &v->width, &v->height);
    return kResultOk;
}

const v3_plugin_view_cpp kViewVtable = {
    {query, ref, unref},
    {isPlatformTypeSupported, attached, removed, notHandledWheel, notHandledKey, notHandledKey, getSize, onSize,
     onFocus, setFrame, canResize, checkSizeConstraint},
};

const v3_plugin_view_content_scale_cpp kScaleVtable = {
    {query, ref, unref},
    {setContentScaleFactor},
};

}  // namespace

v3_plugin_view** createEditorView(Vst3Instance* instance) {
    Vst3View* v = new (std::nothrow) Vst3View{};
    if (!v) return nullptr;
    v->view = Facet{&kViewVtable, v};
    v->scale = Facet{&kScaleVtable, v};
    v->refCount.store(1);
    v->instance = instance;
    v->hostScale = kNoHostScale;
    refInstance(&instance->component);
    panelSizeAt(1.0, &v->width, &v->height);
    return reinterpret_cast<v3_plugin_view**>(&v->view);
}

bool requestViewSize(Vst3View* v, int32_t width, int32_t height) {
    if (width == v->width && height == v->height) return true;
    if (!v->frame) return false;
    const int32_t oldWidth = v->width, oldHeight = v->height;
    v->width = width;
    v->height = height;
    v3_view_rect rect{0, 0, width, height};
    auto* view = reinterpret_cast<v3_plugin_view**>(&v->view);
    if (v3_cpp_obj(v->frame)->resize_view(v->frame, view, &rect) == kResultOk) return true;
    v->width = oldWidth;
    v->height = oldHeight;
    return false;
}
