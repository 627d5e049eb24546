// The factory presets as a CLAP host finds and loads them: the module's
// preset-discovery factory lists each (inside the plug-in, with its key), and
// the preset-load extension sets exactly its values, renders as those values
// set by hand, never touches Bypass and has the host read the values again.
#include <cstring>
#include <string>

#include "../../clap/preset_discovery.h"
#include "clap_test_host.h"
#include "presets.h"
#include "product_identity.h"

namespace {

struct Indexed {
    std::vector<ClapPresetLocation> locations;
    std::vector<std::string> presets;  // "name|key|plugin id|description|flags"
};

Indexed& of(const ClapPresetMetadataReceiver* r) { return *static_cast<Indexed*>(r->receiver_data); }

TEST_F(ClapTest, FactoryPresetsAreDiscoveredAndEachLoadsExactlyItsValues) {
    const auto* discovery =
        static_cast<const ClapPresetDiscoveryFactory*>(entry->get_factory(kPresetDiscoveryFactoryId));
    ASSERT_NE(discovery, nullptr);
    ASSERT_EQ(discovery->count(discovery), 1u);
    const ClapPresetProviderDescriptor* desc = discovery->get_descriptor(discovery, 0);
    Indexed seen;
    ClapPresetIndexer indexer{CLAP_VERSION_INIT, "test", "", "", "", &seen, nullptr,
                              [](const ClapPresetIndexer* i, const ClapPresetLocation* l) {
                                  static_cast<Indexed*>(i->indexer_data)->locations.push_back(*l);
                                  return true;
                              },
                              nullptr, nullptr};
    EXPECT_EQ(discovery->create(discovery, &indexer, "no.such.provider"), nullptr);
    const ClapPresetProvider* provider = discovery->create(discovery, &indexer, desc->id);
    ASSERT_TRUE(provider && provider->init(provider));
    ASSERT_EQ(seen.locations.size(), 1u);
    const ClapPresetLocation where = seen.locations[0];
    EXPECT_TRUE(where.kind == kPresetLocationPlugin && !where.location && where.flags == kPresetIsFactoryContent);
    ClapPresetMetadataReceiver receiver{};
    receiver.receiver_data = &seen;
    receiver.begin_preset = [](const ClapPresetMetadataReceiver* r, const char* name, const char* key) {
        of(r).presets.push_back(std::string(name) + "|" + key);
        return true;
    };
    receiver.add_plugin_id = [](const ClapPresetMetadataReceiver* r, const ClapUniversalPluginId* id) {
        of(r).presets.back() += std::string("|") + id->abi + ":" + id->id;
    };
    receiver.set_description = [](const ClapPresetMetadataReceiver* r, const char* d) {
        of(r).presets.back() += std::string("|") + d;
    };
    receiver.set_flags = [](const ClapPresetMetadataReceiver* r, uint32_t f) {
        of(r).presets.back() += "|" + std::to_string(f);
    };
    ASSERT_TRUE(provider->get_metadata(provider, where.kind, where.location, &receiver));
    ASSERT_EQ(seen.presets.size(), static_cast<size_t>(kPresetCount));
    provider->destroy(provider);

    const auto* load =
        static_cast<const ClapPluginPresetLoad*>(plugin.plugin->get_extension(plugin.plugin, kExtPresetLoad));
    ASSERT_NE(load, nullptr);
    StereoSignal byHand(4096), loaded(4096);
    for (int32_t p = 0; p < kPresetCount; ++p) {
        const Preset& preset = kPresets[p];
        EXPECT_EQ(seen.presets[p],
                  std::string(preset.name) + "|" + preset.key + "|clap:" + kClapPluginId + "|1|" + preset.description);
        for (bool bypassed : {false, true}) {
            TestHost hand, chooser;
            TestPlugin a = create(hand), b = create(chooser);
            setAll(a, kHardSetting), setAll(b, kHardSetting);
            setByFlush(a, kBypass, bypassed), setByFlush(b, kBypass, bypassed);
            for (clap_id id = 0; id < kPresetParamCount; ++id) setByFlush(a, id, presetNormalised(p, int32_t(id)));
            chooser.rescans.clear();
            ASSERT_TRUE(load->from_location(b.plugin, kPresetLocationPlugin, nullptr, preset.key)) << preset.name;
            EXPECT_EQ(chooser.rescans,
                      std::vector<clap_param_rescan_flags>{CLAP_PARAM_RESCAN_VALUES | CLAP_PARAM_RESCAN_TEXT});
            EXPECT_EQ(valuesOf(b), valuesOf(a)) << preset.name << (bypassed ? ", bypassed" : "");
            activate(a), activate(b);
            process(a, byHand, 0, 4096), process(b, loaded, 0, 4096);
            EXPECT_TRUE(loaded.sameOutput(byHand)) << preset.name;
            destroy(a), destroy(b);
        }
    }
    // Unknown keys, or presets asked for in a file: refused, nothing changed.
    const std::vector<double> before = valuesOf(plugin);
    host.rescans.clear();
    for (const auto& [kind, key] : {std::pair<uint32_t, const char*>{kPresetLocationPlugin, "no-such-preset"},
                                    {kPresetLocationPlugin, nullptr}, {kPresetLocationFile, kPresets[0].key}})
        EXPECT_FALSE(load->from_location(plugin.plugin, kind, nullptr, key));
    EXPECT_EQ(valuesOf(plugin), before);
    EXPECT_TRUE(host.rescans.empty());
}

}  // namespace
