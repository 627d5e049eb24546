// The factory presets as a CLAP host finds and loads them: the module's
// preset-discovery factory lists each (inside the plug-in, with its key), and
// the preset-load extension sets exactly its values, renders as those values
// set by hand, never touches Bypass and has the host read the values again.
#include <string>

#include "../../clap/preset_discovery.h"
#include "clap_test_host.h"
#include "presets.h"
#include "product_identity.h"

namespace {

// What the indexer and its receiver heard: the locations, then per preset
// "name|key|plugin id|flags|description". (Reached through the host's data
// pointers: no global with a destructor, which the allocation test would see.)
struct Heard {
    std::vector<ClapPresetLocation> locations;
    std::vector<std::string> listed;
};
void add(const ClapPresetMetadataReceiver* r, const std::string& field) {
    static_cast<Heard*>(r->receiver_data)->listed.back() += "|" + field;
}

TEST_F(ClapTest, FactoryPresetsAreDiscoveredAndEachLoadsExactlyItsValues) {
    const auto* discovery =
        static_cast<const ClapPresetDiscoveryFactory*>(entry->get_factory(kPresetDiscoveryFactoryId));
    ASSERT_TRUE(discovery && discovery->count(discovery) == 1);
    Heard heard;
    std::vector<std::string>& listed = heard.listed;
    ClapPresetIndexer indexer{CLAP_VERSION_INIT, "test", "", "", "", &heard, nullptr,
        [](const ClapPresetIndexer* i, const ClapPresetLocation* l) {
            return static_cast<Heard*>(i->indexer_data)->locations.push_back(*l), true;
        },
        nullptr, nullptr};
    EXPECT_EQ(discovery->create(discovery, &indexer, "no.such.provider"), nullptr);
    const char* id = discovery->get_descriptor(discovery, 0)->id;
    const ClapPresetProvider* provider = discovery->create(discovery, &indexer, id);
    ASSERT_TRUE(provider && provider->init(provider) && heard.locations.size() == 1);
    const ClapPresetLocation where = heard.locations[0];
    EXPECT_TRUE(where.kind == kPresetLocationPlugin && !where.location && where.flags == kPresetIsFactoryContent);
    ClapPresetMetadataReceiver receiver{};
    receiver.receiver_data = &heard;
    receiver.begin_preset = [](auto r, const char* name, const char* key) {
        return static_cast<Heard*>(r->receiver_data)->listed.push_back(name), add(r, key), true;
    };
    receiver.add_plugin_id = [](auto r, const ClapUniversalPluginId* i) { add(r, std::string(i->abi) + ":" + i->id); };
    receiver.set_flags = [](auto r, uint32_t flags) { add(r, std::to_string(flags)); };
    receiver.set_description = [](auto r, const char* description) { add(r, description); };
    ASSERT_TRUE(provider->get_metadata(provider, where.kind, where.location, &receiver));
    ASSERT_EQ(listed.size(), static_cast<size_t>(kPresetCount));
    provider->destroy(provider);

    const auto* load =
        static_cast<const ClapPluginPresetLoad*>(plugin.plugin->get_extension(plugin.plugin, kExtPresetLoad));
    ASSERT_NE(load, nullptr);
    StereoSignal byHand(4096), loaded(4096);
    for (int32_t p = 0; p < kPresetCount; ++p) {
        const Preset& preset = kPresets[p];
        EXPECT_EQ(listed[p], std::string(preset.name) + "|" + preset.key + "|clap:" + kClapPluginId + "|1|" +
                                 preset.description);
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
    // Unknown keys, or a preset asked for in a file: refused, nothing changed.
    const std::vector<double> before = valuesOf(plugin);
    host.rescans.clear();
    for (const auto& [kind, key] : {std::pair<uint32_t, const char*>{kPresetLocationPlugin, "no-such-preset"},
                                    {kPresetLocationPlugin, nullptr}, {kPresetLocationFile, kPresets[0].key}})
        EXPECT_FALSE(load->from_location(plugin.plugin, kind, nullptr, key));
    EXPECT_EQ(valuesOf(plugin), before);
    EXPECT_TRUE(host.rescans.empty());
}

}  // namespace
