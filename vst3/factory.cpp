// The module's entry points and its plug-in factory: one audio effect class.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <initializer_list>

#include "travesty/factory.h"

#include "../editor/editor_module.h"
#include "class_info.h"
#include "utf16.h"
#include "vst3_instance.h"

namespace {

constexpr int32_t kUnicodeFactory = 1 << 4;

// The factory is static: its count only keeps the host's books.
struct Factory {
    const v3_plugin_factory_cpp* vtable;
    std::atomic<uint32_t> refCount;
};

std::atomic<uint32_t>& countOf(void* self) { return static_cast<Factory*>(self)->refCount; }

void fillPlainInfo(v3_class_info* info) {
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->class_id, kClassTuid, sizeof(v3_tuid));
    info->cardinality = kVst3ManyInstances;
    copyText(info->category, kVst3Category);
    copyText(info->name, kProductName);
}

v3_result V3_API query(void* self, const v3_tuid iid, void** obj) {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!iid) return kNoInterface;
    for (const uint8_t* known : {v3_funknown_iid, v3_plugin_factory_iid, v3_plugin_factory_2_iid,
                                 v3_plugin_factory_3_iid})
        if (v3_tuid_match(iid, known)) {
            countOf(self).fetch_add(1);
            *obj = self;
            return kResultOk;
        }
    return kNoInterface;
}

uint32_t V3_API ref(void* self) { return countOf(self).fetch_add(1) + 1; }
uint32_t V3_API unref(void* self) {
    uint32_t count = countOf(self).load();
    while (count > 0 && !countOf(self).compare_exchange_weak(count, count - 1)) {
    }
    return count > 0 ? count - 1 : 0;
}

v3_result V3_API getFactoryInfo(void*, v3_factory_info* info) {
    if (!info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    copyText(info->vendor, kVendorName);
    copyText(info->url, kVendorUrl);
    info->flags = kUnicodeFactory;
    return kResultOk;
}

int32_t V3_API numClasses(void*) { return 1; }

v3_result V3_API getClassInfo(void*, int32_t index, v3_class_info* info) {
    if (index != 0 || !info) return kInvalidArgument;
    fillPlainInfo(info);
    return kResultOk;
}

v3_result V3_API createInstanceOf(void*, const v3_tuid classId, const v3_tuid iid, void** obj) {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!classId || !iid) return kInvalidArgument;
    if (!v3_tuid_match(classId, kClassTuid)) return kNoInterface;
    Vst3Instance* p = createInstance();
    if (!p) return static_cast<v3_result>(V3_NOMEM);
    const v3_result result = queryInstance(&p->component, iid, obj);
    unrefInstance(&p->component);  // frees it when the query found nothing
    return result;
}

v3_result V3_API getClassInfo2(void*, int32_t index, v3_class_info_2* info) {
    if (index != 0 || !info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    v3_class_info plain;
    fillPlainInfo(&plain);
    std::memcpy(info->class_id, plain.class_id, sizeof(v3_tuid));
    info->cardinality = plain.cardinality;
    std::memcpy(info->category, plain.category, sizeof info->category);
    std::memcpy(info->name, plain.name, sizeof info->name);
    copyText(info->sub_categories, kVst3SubCategories);
    copyText(info->vendor, kVendorName);
    copyText(info->version, kVersionString);
    copyText(info->sdk_version, kVst3InterfaceVersion);
    return kResultOk;
}

v3_result V3_API getClassInfoUtf16(void*, int32_t index, v3_class_info_3* info) {
    if (index != 0 || !info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->class_id, kClassTuid, sizeof(v3_tuid));
    info->cardinality = kVst3ManyInstances;
    copyText(info->category, kVst3Category);
    copyUtf16(info->name, kProductName);
    copyText(info->sub_categories, kVst3SubCategories);
    copyUtf16(info->vendor, kVendorName);
    copyUtf16(info->version, kVersionString);
    copyUtf16(info->sdk_version, kVst3InterfaceVersion);
    return kResultOk;
}

// Nothing is asked of the host: its context is not kept.
v3_result V3_API setHostContext(void*, v3_funknown**) { return kResultOk; }

const v3_plugin_factory_cpp kFactoryVtable = {
    {query, ref, unref},
    {getFactoryInfo, numClasses, getClassInfo, createInstanceOf},
    {getClassInfo2},
    {getClassInfoUtf16, setHostContext},
};

Factory theFactory{&kFactoryVtable, {0}};

}  // namespace

// The module's exports (exports.def). The host takes one reference to the
// factory with each call and releases it when done.
extern "C" void* GetPluginFactory() {
    theFactory.refCount.fetch_add(1);
    return &theFactory;
}

// Nothing to set up or tear down beyond what the module's DllMain does.
extern "C" bool InitDll() { return true; }
extern "C" bool ExitDll() { return true; }
