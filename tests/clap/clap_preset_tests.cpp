// The factory presets as a CLAP host finds them (the preset-discovery factory) and loads
// them (preset-load): exactly their values, as set by hand, Bypass untouched, host told.
#include <algorithm>
#include <string>

#include "../../clap/preset_discovery.h"
#include "clap_test_host.h"
#include "presets.h"
#include "product_identity.h"

namespace {

// What the indexer and its receiver heard, as text behind the host's data
// pointer: the location, then a line per preset.
std::string& heardBy(void* data) { return *static_cast<std::string*>(data); }
void add(const ClapPresetMetadataReceiver* r, const std::string& field) { heardBy(r->receiver_data) += "|" + field; }

TEST_F(ClapTest, FactoryPresetsAreDiscoveredAndEachLoadsExactlyItsValues) {
    const auto* discovery =
        static_cast<const ClapPresetDiscoveryFactory*>(entry->get_factory(kPresetDiscoveryFactoryId));
    ASSERT_TRUE(discovery && discovery->count(discovery) == 1);
    std::string heard;
    ClapPresetIndexer indexer{CLAP_VERSION_INIT, "test", "", "", "", &heard, nullptr,
        [](const ClapPresetIndexer* i, const ClapPresetLocation* l) {
            heardBy(i->indexer_data) += "kind " + std::to_string(l->kind) + "|" + std::to_string(l->flags);
            return heardBy(i->indexer_data) += l->location ? l->location : "", true;
        },
        nullptr, nullptr};
    EXPECT_EQ(discovery->create(discovery, &indexer, "no.such.provider"), nullptr);
    const char* id = discovery->get_descriptor(discovery, 0)->id;
    const ClapPresetProvider* provider = discovery->create(discovery, &indexer, id);
    ASSERT_TRUE(provider && provider->init(provider));
    ClapPresetMetadataReceiver receiver{};
    receiver.receiver_data = &heard;
    receiver.begin_preset = [](auto r, const char* name, const char* key) {
        return heardBy(r->receiver_data) += std::string("\n") + name, add(r, key), true;
    };
    receiver.add_plugin_id = [](auto r, const ClapUniversalPluginId* i) { add(r, std::string(i->abi) + ":" + i->id); };
    receiver.set_flags = [](auto r, uint32_t flags) { add(r, std::to_string(flags)); };
    receiver.set_description = [](auto r, const char* description) { add(r, description); };
    ASSERT_TRUE(provider->get_metadata(provider, kPresetLocationPlugin, nullptr, &receiver));
    provider->destroy(provider);
    std::string expected = "kind 1|1";  // inside the plug-in, factory content
    for (const Preset& p : kPresets)
        expected += std::string("\n") + p.name + "|" + p.key + "|clap:" + kClapPluginId + "|1|" + p.description;
    EXPECT_EQ(heard, expected);

    const auto* load =
        static_cast<const ClapPluginPresetLoad*>(plugin.plugin->get_extension(plugin.plugin, kExtPresetLoad));
    ASSERT_NE(load, nullptr);
    StereoSignal byHand(4096), loaded(4096);
    for (int32_t p = 0; p < kPresetCount; ++p) {
        const Preset& preset = kPresets[p];
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

// What the plug-in asks of its host: params, its gui's, the thread checks only in a build that checks,
// the state only without params, and at a preset load the host's preset-load, by either id.
TEST_F(ClapTest, AsksTheHostOnlyForWhatItUsesAndPresetLoadUnderEitherId) {
    static int loaded;
    const ClapHostPresetLoad told{nullptr, [](const clap_host_t*, uint32_t, const char*, const char*) { ++loaded; }};
    for (const auto& [offered, params] : {std::pair<const char*, bool>{kExtPresetLoad, true},
                                          {kExtPresetLoadDraft, true}, {"none", false}}) {
        TestHost by;
        by.offersParams = params, by.alsoOffers = {offered, &told};
        TestPlugin p = create(by);
        loaded = 0;
        const auto* load = static_cast<const ClapPluginPresetLoad*>(p.plugin->get_extension(p.plugin, kExtPresetLoad));
        ASSERT_TRUE(load->from_location(p.plugin, kPresetLocationPlugin, nullptr, kPresets[1].key));
        std::vector<std::string> expected = {CLAP_EXT_PARAMS, params ? "" : CLAP_EXT_STATE, p.gui ? CLAP_EXT_GUI : "",
#if !defined(NDEBUG)
                                             CLAP_EXT_THREAD_CHECK,
#endif
                                             kExtPresetLoad, offered == kExtPresetLoad ? "" : kExtPresetLoadDraft};
        expected.erase(std::remove(expected.begin(), expected.end(), ""), expected.end());
        EXPECT_EQ(std::make_pair(by.asked, loaded), std::make_pair(expected, params ? 1 : 0)) << offered;
        destroy(p);
    }
}

}  // namespace
