#pragma once
// The format's preset interfaces, declared here from its public
// documentation (the CLAP declarations Debian installs predate them): the
// preset-discovery factory with its provider, indexer and metadata receiver,
// and the plug-in's preset-load extension. Layouts follow the format's ABI.
#include <clap/plugin.h>

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
