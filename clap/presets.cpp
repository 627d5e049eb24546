// The factory presets for CLAP hosts: a preset-discovery provider that tells
// a host's browser about them (they live inside the plug-in, each loaded by
// its key), and the preset-load extension that loads one.
#include <cstring>
#include <new>

#include "../core/preset_load.h"
#include "../core/product_identity.h"
#include "clap_instance.h"
#include "preset_discovery.h"

namespace {

const ClapPresetProviderDescriptor kProviderDescriptor = {CLAP_VERSION_INIT, kClapPresetProviderId,
                                                          "Dorlin Quillet factory presets", kVendorName};

const ClapPresetIndexer* indexerOf(const ClapPresetProvider* provider) {
    return static_cast<const ClapPresetIndexer*>(provider->provider_data);
}

bool providerInit(const ClapPresetProvider* provider) {
    const ClapPresetLocation location = {kPresetIsFactoryContent, "Factory Presets", kPresetLocationPlugin, nullptr};
    const ClapPresetIndexer* indexer = indexerOf(provider);
    return indexer->declare_location && indexer->declare_location(indexer, &location);
}

void providerDestroy(const ClapPresetProvider* provider) { delete provider; }

// Optional receiver calls are skipped where the host left them null.
bool providerMetadata(const ClapPresetProvider*, uint32_t kind, const char*, const ClapPresetMetadataReceiver* r) {
    if (kind != kPresetLocationPlugin || !r || !r->begin_preset) return false;
    const ClapUniversalPluginId plugin = {"clap", kClapPluginId};
    for (int32_t p = 0; p < kPresetCount; ++p) {
        if (!r->begin_preset(r, kPresets[p].name, kPresets[p].key)) break;
        if (r->add_plugin_id) r->add_plugin_id(r, &plugin);
        if (r->set_flags) r->set_flags(r, kPresetIsFactoryContent);
        if (r->add_creator) r->add_creator(r, kVendorName);
        if (r->set_description) r->set_description(r, kPresets[p].description);
    }
    return true;
}

const void* providerExtension(const ClapPresetProvider*, const char*) { return nullptr; }

uint32_t providerCount(const ClapPresetDiscoveryFactory*) { return 1; }

const ClapPresetProviderDescriptor* providerDescriptor(const ClapPresetDiscoveryFactory*, uint32_t index) {
    return index == 0 ? &kProviderDescriptor : nullptr;
}

const ClapPresetProvider* createProvider(const ClapPresetDiscoveryFactory*, const ClapPresetIndexer* indexer,
                                         const char* id) {
    if (!indexer || !id || std::strcmp(id, kClapPresetProviderId) != 0) return nullptr;
    return new (std::nothrow) ClapPresetProvider{&kProviderDescriptor, const_cast<ClapPresetIndexer*>(indexer),
                                                 providerInit, providerDestroy, providerMetadata,
                                                 providerExtension};
}

// The host's side of preset-load, under its stable id or, from a host of
// the draft's time, the draft's (the same interface); null without either.
const ClapHostPresetLoad* hostPresetLoad(const clap_host_t* host) {
    if (!host->get_extension) return nullptr;
    const void* load = host->get_extension(host, kExtPresetLoad);
    if (!load) load = host->get_extension(host, kExtPresetLoadDraft);
    return static_cast<const ClapHostPresetLoad*>(load);
}

// Main thread. The host's controls follow the load: it is told to read every
// value again, and (when it asks to know) which preset is now loaded.
bool loadFromLocation(const clap_plugin_t* plugin, uint32_t kind, const char* location, const char* key) {
    ClapInstance* p = instanceOf(plugin);
    if (!p) return false;
    const clap_host_t* host = p->host;
    const ClapHostPresetLoad* hostLoad = hostPresetLoad(host);
    const int32_t preset = kind == kPresetLocationPlugin ? presetIndexOfKey(key) : -1;
    if (!loadPreset(p->core, preset)) {
        if (hostLoad && hostLoad->on_error) hostLoad->on_error(host, kind, location, key, 0, "no such factory preset");
        return false;
    }
    tellHostValuesChanged(*p);
    if (hostLoad && hostLoad->loaded) hostLoad->loaded(host, kind, location, key);
    return true;
}

}  // namespace

const ClapPresetDiscoveryFactory kClapPresetDiscoveryFactory = {providerCount, providerDescriptor, createProvider};
const ClapPluginPresetLoad kClapPresetLoad = {loadFromLocation};
