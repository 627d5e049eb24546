#pragma once
// The format's preset interfaces, declared here from its public
// documentation (the CLAP declarations Debian installs predate them): the
// preset-discovery factory with its provider, indexer and metadata receiver,
// and the plug-in's preset-load extension. Layouts follow the format's ABI,
// checked at the end against the published numbers.
#include <clap/plugin.h>

#include <cstddef>
#include <cstdint>

constexpr const char kPresetDiscoveryFactoryId[] = "clap.preset-discovery-factory/2";
constexpr const char kPresetDiscoveryFactoryIdDraft[] = "clap.preset-discovery-factory/draft-2";  // same ABI
constexpr const char kExtPresetLoad[] = "clap.preset-load/2";
constexpr const char kExtPresetLoadDraft[] = "clap.preset-load.draft/2";  // same ABI

// Where presets live: a file or folder, or inside the plug-in (no location).
constexpr uint32_t kPresetLocationFile = 0;
constexpr uint32_t kPresetLocationPlugin = 1;
constexpr uint32_t kPresetIsFactoryContent = 1u << 0;

struct ClapUniversalPluginId {
    const char* abi;  // "clap"
    const char* id;
};

struct ClapPresetMetadataReceiver {
    void* receiver_data;
    void (CLAP_ABI* on_error)(const ClapPresetMetadataReceiver*, int32_t os_error, const char* message);
    // False: the provider stops calling this receiver.
    bool (CLAP_ABI* begin_preset)(const ClapPresetMetadataReceiver*, const char* name, const char* load_key);
    void (CLAP_ABI* add_plugin_id)(const ClapPresetMetadataReceiver*, const ClapUniversalPluginId* plugin_id);
    void (CLAP_ABI* set_soundpack_id)(const ClapPresetMetadataReceiver*, const char* soundpack_id);
    void (CLAP_ABI* set_flags)(const ClapPresetMetadataReceiver*, uint32_t flags);
    void (CLAP_ABI* add_creator)(const ClapPresetMetadataReceiver*, const char* creator);
    void (CLAP_ABI* set_description)(const ClapPresetMetadataReceiver*, const char* description);
    void (CLAP_ABI* set_timestamps)(const ClapPresetMetadataReceiver*, uint64_t creation_time,
                                    uint64_t modification_time);
    void (CLAP_ABI* add_feature)(const ClapPresetMetadataReceiver*, const char* feature);
    void (CLAP_ABI* add_extra_info)(const ClapPresetMetadataReceiver*, const char* key, const char* value);
};

struct ClapPresetFiletype {
    const char* name;
    const char* description;
    const char* file_extension;
};

struct ClapPresetLocation {
    uint32_t flags;
    const char* name;
    uint32_t kind;
    const char* location;  // null for presets inside the plug-in
};

struct ClapPresetSoundpack {
    uint32_t flags;
    const char* id;
    const char* name;
    const char* description;
    const char* homepage_url;
    const char* vendor;
    const char* image_path;
    uint64_t release_timestamp;
};

struct ClapPresetProviderDescriptor {
    clap_version_t clap_version;
    const char* id;
    const char* name;
    const char* vendor;
};

struct ClapPresetProvider {
    const ClapPresetProviderDescriptor* desc;
    void* provider_data;
    // Declares the provider's locations, file types and sound packs to its indexer.
    bool (CLAP_ABI* init)(const ClapPresetProvider*);
    void (CLAP_ABI* destroy)(const ClapPresetProvider*);
    bool (CLAP_ABI* get_metadata)(const ClapPresetProvider*, uint32_t location_kind, const char* location,
                         const ClapPresetMetadataReceiver* receiver);
    const void* (CLAP_ABI* get_extension)(const ClapPresetProvider*, const char* extension_id);
};

struct ClapPresetIndexer {
    clap_version_t clap_version;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    void* indexer_data;
    bool (CLAP_ABI* declare_filetype)(const ClapPresetIndexer*, const ClapPresetFiletype*);
    bool (CLAP_ABI* declare_location)(const ClapPresetIndexer*, const ClapPresetLocation*);
    bool (CLAP_ABI* declare_soundpack)(const ClapPresetIndexer*, const ClapPresetSoundpack*);
    const void* (CLAP_ABI* get_extension)(const ClapPresetIndexer*, const char* extension_id);
};

// Every call thread-safe.
struct ClapPresetDiscoveryFactory {
    uint32_t (CLAP_ABI* count)(const ClapPresetDiscoveryFactory*);
    const ClapPresetProviderDescriptor* (CLAP_ABI* get_descriptor)(const ClapPresetDiscoveryFactory*, uint32_t index);
    const ClapPresetProvider* (CLAP_ABI* create)(const ClapPresetDiscoveryFactory*, const ClapPresetIndexer*,
                                        const char* provider_id);
};

// The plug-in's extension: loads a preset the provider described (main thread).
struct ClapPluginPresetLoad {
    bool (CLAP_ABI* from_location)(const clap_plugin_t*, uint32_t location_kind, const char* location,
                                   const char* load_key);
};

// The host's side: told of a failed load, or of the preset now loaded.
struct ClapHostPresetLoad {
    void (CLAP_ABI* on_error)(const clap_host_t*, uint32_t location_kind, const char* location, const char* load_key,
                     int32_t os_error, const char* message);
    void (CLAP_ABI* loaded)(const clap_host_t*, uint32_t location_kind, const char* location, const char* load_key);
};

// The published 1.2.10 layout of every structure above, in bytes, for the
// 64-bit targets we build (the numbers are the format's, not derived from
// these declarations): a field moved, missed or mistyped fails the build.
static_assert(sizeof(void*) == 8 && sizeof(clap_version_t) == 12, "the layouts below are the 64-bit ones");
#define DQ_AT(type, field, at) static_assert(offsetof(type, field) == (at), #type "::" #field)
static_assert(sizeof(ClapUniversalPluginId) == 16);
DQ_AT(ClapUniversalPluginId, id, 8);
static_assert(sizeof(ClapPresetMetadataReceiver) == 88);
DQ_AT(ClapPresetMetadataReceiver, on_error, 8);
DQ_AT(ClapPresetMetadataReceiver, begin_preset, 16);
DQ_AT(ClapPresetMetadataReceiver, add_plugin_id, 24);
DQ_AT(ClapPresetMetadataReceiver, set_soundpack_id, 32);
DQ_AT(ClapPresetMetadataReceiver, set_flags, 40);
DQ_AT(ClapPresetMetadataReceiver, add_creator, 48);
DQ_AT(ClapPresetMetadataReceiver, set_description, 56);
DQ_AT(ClapPresetMetadataReceiver, set_timestamps, 64);
DQ_AT(ClapPresetMetadataReceiver, add_feature, 72);
DQ_AT(ClapPresetMetadataReceiver, add_extra_info, 80);
static_assert(sizeof(ClapPresetFiletype) == 24);
DQ_AT(ClapPresetFiletype, description, 8);
DQ_AT(ClapPresetFiletype, file_extension, 16);
static_assert(sizeof(ClapPresetLocation) == 32);
DQ_AT(ClapPresetLocation, name, 8);
DQ_AT(ClapPresetLocation, kind, 16);
DQ_AT(ClapPresetLocation, location, 24);
static_assert(sizeof(ClapPresetSoundpack) == 64);
DQ_AT(ClapPresetSoundpack, id, 8);
DQ_AT(ClapPresetSoundpack, name, 16);
DQ_AT(ClapPresetSoundpack, description, 24);
DQ_AT(ClapPresetSoundpack, homepage_url, 32);
DQ_AT(ClapPresetSoundpack, vendor, 40);
DQ_AT(ClapPresetSoundpack, image_path, 48);
DQ_AT(ClapPresetSoundpack, release_timestamp, 56);
static_assert(sizeof(ClapPresetProviderDescriptor) == 40);
DQ_AT(ClapPresetProviderDescriptor, id, 16);
DQ_AT(ClapPresetProviderDescriptor, name, 24);
DQ_AT(ClapPresetProviderDescriptor, vendor, 32);
static_assert(sizeof(ClapPresetProvider) == 48);
DQ_AT(ClapPresetProvider, provider_data, 8);
DQ_AT(ClapPresetProvider, init, 16);
DQ_AT(ClapPresetProvider, destroy, 24);
DQ_AT(ClapPresetProvider, get_metadata, 32);
DQ_AT(ClapPresetProvider, get_extension, 40);
static_assert(sizeof(ClapPresetIndexer) == 88);
DQ_AT(ClapPresetIndexer, name, 16);
DQ_AT(ClapPresetIndexer, vendor, 24);
DQ_AT(ClapPresetIndexer, url, 32);
DQ_AT(ClapPresetIndexer, version, 40);
DQ_AT(ClapPresetIndexer, indexer_data, 48);
DQ_AT(ClapPresetIndexer, declare_filetype, 56);
DQ_AT(ClapPresetIndexer, declare_location, 64);
DQ_AT(ClapPresetIndexer, declare_soundpack, 72);
DQ_AT(ClapPresetIndexer, get_extension, 80);
static_assert(sizeof(ClapPresetDiscoveryFactory) == 24);
DQ_AT(ClapPresetDiscoveryFactory, get_descriptor, 8);
DQ_AT(ClapPresetDiscoveryFactory, create, 16);
static_assert(sizeof(ClapPluginPresetLoad) == 8);
static_assert(sizeof(ClapHostPresetLoad) == 16);
DQ_AT(ClapHostPresetLoad, loaded, 8);
#undef DQ_AT
