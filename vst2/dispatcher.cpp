// The host dispatcher.
#include <cstring>

#include "plugin_instance.h"
#include "../core/product_identity.h"

static intptr_t writeNameString(void* ptr, const char* text) {
    if (!ptr) return 0;
    char* out = static_cast<char*>(ptr);
    memset(out, 0, kNameStringBytes);
    memcpy(out, text, strlen(text));
    return 1;
}

static intptr_t canDo(const void* ptr) {
    if (!ptr) return 0;
    const char* what = static_cast<const char*>(ptr);
    if (strcmp(what, "hasCockosExtensions") == 0) return static_cast<intptr_t>(0xBEEF0000u);
    if (strcmp(what, "1in2out") == 0) return 1;
    if (strcmp(what, "2in2out") == 0) return 1;
    return 0;
}

// Host main thread, one caller at a time.
intptr_t pluginDispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                          void* ptr, float opt) {
    PluginInstance* p = instanceOf(effect);
    if (!p) return 0;
    char* text = static_cast<char*>(ptr);
    switch (static_cast<uint32_t>(opcode)) {
    case effClose: destroyInstance(p); return 0;
    case effGetParamLabel: return writeParamLabel(p, index, text);
    case effGetParamDisplay: return writeParamDisplay(p, index, text);
    case effGetParamName: return writeParamName(p, index, text);
    case effSetSampleRate:
        setSampleRate(p->core, opt);
        return 0;
    case effEditGetRect:
        if (ptr) *static_cast<const ERect**>(ptr) = editorRectFor(p);
        return 1;
    case effEditOpen: return openInstanceEditor(p, static_cast<HWND>(ptr));
    case effEditClose: closeInstanceEditor(p); return 1;
    case effEditIdle: idleInstanceEditor(p); return 0;
    case effGetPlugCategory: return kPlugCategEffect;
    case effSetBypass: setHostBypass(p->core, value != 0); return 1;
    case effGetEffectName: return writeNameString(ptr, kProductName);
    case effGetVendorString: return writeNameString(ptr, kVendorName);
    case effGetProductString: return writeNameString(ptr, kProductString);
    case effGetVendorVersion: return kVendorVersion;
    case effCanDo: return canDo(ptr);
    case effVendorSpecific:
        if (index != kVendorPresonus || value != kVendorContentScale) return 0;
        hostAnnouncesScale(p, opt);
        return 1;
    default: return 0;  // effOpen and every unhandled opcode
    }
}
