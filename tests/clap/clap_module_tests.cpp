// The CLAP module through its binary interface, as a host drives it: entry,
// factory, ports, parameters and their texts, processing with events, state.
#include <algorithm>
#include <cmath>
#include <string>

#include "clap_fixture.h"
#include "parameter_text.h"
#include "product_identity.h"

namespace {

using ClapEntryTest = ClapTest;
using ClapParamsTest = ClapTest;
using ClapProcessTest = ClapTest;

TEST_F(ClapEntryTest, OnePluginWithItsIdentityAndBalancedInitCalls) {
    const clap_plugin_entry_t& e = *module.entry;
    EXPECT_TRUE(clap_version_is_compatible(e.clap_version));
    // SetUp's init counts too; each deinit undoes one, a spare one does nothing.
    EXPECT_TRUE(e.init(""));
    e.deinit(), e.deinit(), e.deinit();
    EXPECT_TRUE(e.init(nullptr));
    EXPECT_EQ(e.get_factory(nullptr), nullptr);
    EXPECT_EQ(e.get_factory("clap.plugin-factory.other"), nullptr);
    const clap_plugin_factory_t* f = pluginFactory(module);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->get_plugin_count(f), 1u);
    EXPECT_EQ(f->get_plugin_descriptor(f, 1), nullptr);
    const clap_plugin_descriptor_t* d = f->get_plugin_descriptor(f, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(clap_version_is_compatible(d->clap_version));
    EXPECT_STREQ(d->id, kClapPluginId);
    EXPECT_STREQ(d->name, kProductName);
    EXPECT_STREQ(d->vendor, kVendorName);
    EXPECT_STREQ(d->version, "1.0.0");
    EXPECT_GT(std::strlen(d->description), 10u);
    for (const char* blankOrSet : {d->url, d->manual_url, d->support_url}) EXPECT_NE(blankOrSet, nullptr);
    std::vector<std::string> features;
    for (const char* const* f = d->features; *f; ++f) features.push_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "compressor", "stereo"}));

    clap_host_t old = host.host;
    old.clap_version.major = 0;
    for (const auto& [h, id] : {std::pair<const clap_host_t*, const char*>{&host.host, "example.other"},
                                {&host.host, nullptr}, {nullptr, kClapPluginId}, {&old, kClapPluginId}})
        EXPECT_EQ(f->create_plugin(f, h, id), nullptr) << (id ? id : "null id");
    e.deinit();
}

TEST_F(ClapEntryTest, OneStereoPairInPlaceWithoutLatency) {
    ASSERT_NE(plugin.ports, nullptr);
    ASSERT_NE(plugin.latency, nullptr);
    for (bool input : {true, false}) {
        EXPECT_EQ(plugin.ports->count(plugin.plugin, input), 1u);
        clap_audio_port_info_t info;
        ASSERT_TRUE(plugin.ports->get(plugin.plugin, 0, input, &info));
        EXPECT_EQ(info.id, 0u);
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_EQ(info.flags, uint32_t{CLAP_AUDIO_PORT_IS_MAIN}) << "32-bit only";
        EXPECT_STREQ(info.port_type, CLAP_PORT_STEREO);
        EXPECT_EQ(info.in_place_pair, 0u);
        EXPECT_GT(std::strlen(info.name), 0u);
        EXPECT_FALSE(plugin.ports->get(plugin.plugin, 1, input, &info));
        EXPECT_FALSE(plugin.ports->get(plugin.plugin, 0, input, nullptr));
    }
    EXPECT_EQ(plugin.latency->get(plugin.plugin), 0u);
}

TEST_F(ClapParamsTest, NineAutomatableNormalisedParametersAndAReadOnlyMeter) {
    ASSERT_NE(plugin.params, nullptr);
    ASSERT_EQ(plugin.params->count(plugin.plugin), 10u);
    for (uint32_t i = 0; i < 10; ++i) {
        clap_param_info_t info;
        ASSERT_TRUE(plugin.params->get_info(plugin.plugin, i, &info));
        EXPECT_GT(std::strlen(info.module), 0u);
        EXPECT_EQ(info.min_value, 0.0);
        if (i == kParamCount) {
            EXPECT_EQ(info.id, 100u);
            EXPECT_EQ(info.flags, uint32_t{CLAP_PARAM_IS_READONLY});
            EXPECT_STREQ(info.name, "Gain Reduction");
            EXPECT_EQ(info.max_value, 24.0);
            EXPECT_EQ(valueOf(plugin, 100), 0.0);
            continue;
        }
        EXPECT_EQ(info.id, i) << "ids are the table's indices, fixed forever";
        EXPECT_STREQ(info.name, kParamTable[i].name);
        EXPECT_EQ(info.max_value, 1.0);
        EXPECT_EQ(info.default_value, double(kParamTable[i].defaultValue));
        EXPECT_EQ(valueOf(plugin, i), double(kParamTable[i].defaultValue));
        const uint32_t bypassFlags = i == kBypass ? CLAP_PARAM_IS_BYPASS | CLAP_PARAM_IS_STEPPED : 0u;
        EXPECT_EQ(info.flags, CLAP_PARAM_IS_AUTOMATABLE | bypassFlags) << info.name;
    }
    clap_param_info_t info;
    EXPECT_FALSE(plugin.params->get_info(plugin.plugin, 10, &info));
    EXPECT_FALSE(plugin.params->get_info(plugin.plugin, 0, nullptr));
    double v;
    for (clap_id unknown : {9u, 99u, 101u, CLAP_INVALID_ID}) EXPECT_FALSE(plugin.params->get_value(plugin.plugin, unknown, &v));
    EXPECT_FALSE(plugin.params->get_value(plugin.plugin, 0, nullptr));
}

// Texts in units, as the VST 2 shell shows them, and back: the text of any
// value reads back to a value with the same text; the unit may be left out.
TEST_F(ClapParamsTest, TextsInUnitsBothWaysAndGarbageRefused) {
    const clap_plugin_params_t& p = *plugin.params;
    char text[256], shell[64];
    for (int32_t i = 0; i < kParamCount; ++i) {
        for (double v : {0.0, 0.1, 0.25, 0.3, 0.5, 0.77, 1.0}) {
            ASSERT_TRUE(p.value_to_text(plugin.plugin, i, v, text, sizeof text));
            writeDisplayText(i, static_cast<float>(v), shell, sizeof shell);
            EXPECT_EQ(std::string(text).rfind(shell, 0), 0u) << text << " against " << shell;
            EXPECT_NE(std::strstr(text, kParamTable[i].label), nullptr) << text;
            double back = -1.0, bare = -1.0;
            ASSERT_TRUE(p.text_to_value(plugin.plugin, i, text, &back)) << text;
            ASSERT_TRUE(p.text_to_value(plugin.plugin, i, shell, &bare)) << shell;
            EXPECT_EQ(back, bare) << text;
            char again[256];
            p.value_to_text(plugin.plugin, i, back, again, sizeof again);
            EXPECT_STREQ(again, text);
        }
        for (const char* garbage : {"", " ", "abc", "12 parsecs", "nan", "inf", "1e999", "--3", "5 5"}) {
            double unchanged = -1.0;
            EXPECT_FALSE(p.text_to_value(plugin.plugin, i, garbage, &unchanged)) << garbage;
        }
    }
    double v = -1.0;
    EXPECT_TRUE(p.text_to_value(plugin.plugin, kThreshold, "-24 dB", &v));
    EXPECT_NEAR(v, 12.0 / 36.0, 1e-6);
    EXPECT_TRUE(p.text_to_value(plugin.plugin, kAttack, "10 ms", &v));
    EXPECT_NEAR(v * v * 29.9 + 0.1, 10.0, 1e-4) << "Attack's quadratic curve";
    EXPECT_TRUE(p.text_to_value(plugin.plugin, kThreshold, "-99 dB", &v));
    EXPECT_EQ(v, 0.0) << "beyond the range: its end";
    EXPECT_FALSE(p.text_to_value(plugin.plugin, kThreshold, "-18 ms", &v)) << "another parameter's unit";
    EXPECT_FALSE(p.text_to_value(plugin.plugin, kThreshold, nullptr, &v));
    EXPECT_FALSE(p.text_to_value(plugin.plugin, kThreshold, "-18", nullptr));

    ASSERT_TRUE(p.value_to_text(plugin.plugin, 100, 3.25, text, sizeof text));
    EXPECT_STREQ(text, "3.2 dB");
    EXPECT_FALSE(p.text_to_value(plugin.plugin, 100, "3 dB", &v)) << "the meter is read-only";
    for (clap_id unknown : {9u, 99u, CLAP_INVALID_ID}) {
        EXPECT_FALSE(p.value_to_text(plugin.plugin, unknown, 0.5, text, sizeof text));
        EXPECT_FALSE(p.text_to_value(plugin.plugin, unknown, "1", &v));
    }
    EXPECT_FALSE(p.value_to_text(plugin.plugin, 0, std::nan(""), text, sizeof text));
    EXPECT_FALSE(p.value_to_text(plugin.plugin, 0, 0.5, nullptr, 10));
    EXPECT_FALSE(p.value_to_text(plugin.plugin, 0, 0.5, text, 0));
    char tiny[4] = {'x', 'x', 'x', 'x'};
    EXPECT_TRUE(p.value_to_text(plugin.plugin, 0, 0.5, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "-18") << "cut to the buffer, terminated";
}

// Events at frames inside one block sound exactly as the host cutting the
// block at those frames and setting the values in between, however many
// there are (more than the plug-in takes in one engine call, too).
TEST_F(ClapProcessTest, InBlockEventsSoundAsTheHostCuttingTheBlock) {
    TestPlugin cut = createTestPlugin(module, host);
    ASSERT_NE(cut.plugin, nullptr);
    struct Change {
        uint32_t at;
        clap_id id;
        double value;
    };
    std::vector<std::vector<Change>> cases = {
        {{0, kThreshold, 0.1}, {37, kRatio, 0.9}, {37, kMix, 0.5}, {400, kBypass, 1.0}, {401, kBypass, 0.0}},
        {{511, kMakeup, 1.0}},
    };
    std::vector<Change> dense;  // Attack moved at every frame, Release at every third
    for (uint32_t f = 0; f < 512; ++f) {
        dense.push_back({f, kAttack, f / 512.0});
        if (f % 3 == 0) dense.push_back({f, kRelease, 1.0 - f / 512.0});
    }
    cases.push_back(dense);
    for (const std::vector<Change>& changes : cases) {
        StereoSignal whole(1024, 2.0f), pieces(1024, 2.0f);
        for (TestPlugin* p : {&plugin, &cut}) {
            p->plugin->deactivate(p->plugin);
            setAll(*p, kHardSetting);
            activate(*p);
        }
        InputEvents events;
        for (const Change& c : changes) events.events.push_back(paramValue(c.at, c.id, c.value));
        whole.at(0);
        ASSERT_EQ(processStereo(plugin, whole.in, whole.out, 512, &events.list), CLAP_PROCESS_CONTINUE);
        whole.at(512);
        processStereo(plugin, whole.in, whole.out, 512);
        uint32_t done = 0;
        for (size_t i = 0; i <= changes.size(); ++i) {
            const uint32_t to = i < changes.size() ? changes[i].at : 1024;
            for (uint32_t end : {std::min(to, 512u), to}) {  // the host's own blocks end at 512
                if (end <= done) continue;
                pieces.at(done);
                processStereo(cut, pieces.in, pieces.out, end - done);
                done = end;
            }
            if (i < changes.size()) setValueByFlush(cut, changes[i].id, changes[i].value);
        }
        EXPECT_TRUE(sameBits(whole.outLeft, pieces.outLeft)) << changes.size() << " changes";
        EXPECT_TRUE(sameBits(whole.outRight, pieces.outRight)) << changes.size() << " changes";
        EXPECT_EQ(valueOf(plugin, 100), valueOf(cut, 100));
        EXPECT_FALSE(sameBits(whole.left, whole.outLeft));
    }
    destroyTestPlugin(cut);
}

// The meter reaches the host as the plug-in's own event whenever it moved,
// and the host reads the same value from the parameter.
TEST_F(ClapProcessTest, MeterIsReportedAfterEachBlockItMoves) {
    activate(plugin);
    StereoSignal s(4096, 2.0f);
    OutputEvents out;
    for (size_t at = 0; at < 4096; at += 512) {
        out.events.clear();
        s.at(at);
        processStereo(plugin, s.in, s.out, 512, nullptr, &out.list);
        ASSERT_EQ(out.events.size(), 1u);
        const clap_event_param_value_t& e = out.events[0].value;
        EXPECT_EQ(e.header.type, CLAP_EVENT_PARAM_VALUE);
        EXPECT_EQ(e.param_id, 100u);
        EXPECT_EQ(e.header.flags & CLAP_EVENT_DONT_RECORD, uint32_t{CLAP_EVENT_DONT_RECORD});
        EXPECT_EQ(e.value, valueOf(plugin, 100));
        EXPECT_GT(e.value, 0.0);
    }
    out.events.clear();
    out.capacity = 0;
    s.at(0);
    processStereo(plugin, s.in, s.out, 512, nullptr, &out.list);
    out.capacity = SIZE_MAX;
    processStereo(plugin, s.in, s.out, 0, nullptr, &out.list);
    ASSERT_EQ(out.events.size(), 1u) << "a meter the host could not take is sent again";
    EXPECT_EQ(out.events[0].value.value, valueOf(plugin, 100));
}

}  // namespace
