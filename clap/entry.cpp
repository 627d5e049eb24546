// The module's entry and its factory of one plug-in. Every call here may come
// on any thread, at any time between the host's init and deinit.
#include <clap/entry.h>
#include <clap/plugin-factory.h>

#include <atomic>
#include <cstring>

#include "../core/product_identity.h"
#include "clap_instance.h"
#include "preset_discovery.h"

namespace {

const char* kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_COMPRESSOR,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};

// Hosts may init and deinit more than once (some scan, then load for use):
// every init counts, a deinit without one is ignored. Nothing needs setting
// up, so the count only keeps the calls balanced.
std::atomic<int32_t> initCount{0};

bool entryInit(const char* /*pluginPath*/) {
    initCount.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void entryDeinit() {
    int32_t n = initCount.load(std::memory_order_relaxed);
    while (n > 0 && !initCount.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) {
    }
}

uint32_t pluginCount(const clap_plugin_factory_t*) { return 1; }

const clap_plugin_descriptor_t* descriptorAt(const clap_plugin_factory_t*, uint32_t index) {
    return index == 0 ? &kClapDescriptor : nullptr;
}

const clap_plugin_t* createPlugin(const clap_plugin_factory_t*, const clap_host_t* host, const char* pluginId) {
    if (!host || !pluginId || std::strcmp(pluginId, kClapPluginId) != 0) return nullptr;
    if (!clap_version_is_compatible(host->clap_version)) return nullptr;
    return createClapInstance(host);
}

const clap_plugin_factory_t kFactory = {pluginCount, descriptorAt, createPlugin};

const void* factory(const char* factoryId) {
    if (!factoryId) return nullptr;
    if (std::strcmp(factoryId, CLAP_PLUGIN_FACTORY_ID) == 0) return &kFactory;
    if (std::strcmp(factoryId, kPresetDiscoveryFactoryId) == 0 ||
        std::strcmp(factoryId, kPresetDiscoveryFactoryIdDraft) == 0)
        return &kClapPresetDiscoveryFactory;
    return nullptr;
}

}  // namespace

const clap_plugin_descriptor_t kClapDescriptor = {
    CLAP_VERSION_INIT, kClapPluginId, kProductName, kVendorName, kVendorUrl, "", "",
    kVersionString, kProductDescription, kFeatures};

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION_INIT, entryInit, entryDeinit, factory};
