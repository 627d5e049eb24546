// The CLAP module through its binary interface, as a host drives it: entry,
// factory, ports, parameters and their texts, events inside a block, the meter.
#include <clap/ext/audio-ports.h>
#include <clap/ext/latency.h>

#include <cmath>
#include <string>
#include <tuple>

#include "clap_test_host.h"
#include "parameter_text.h"
#include "product_identity.h"

namespace {

TEST_F(ClapTest, EntryFactoryPortsAndParameters) {
    EXPECT_TRUE(clap_version_is_compatible(entry->clap_version));
    EXPECT_TRUE(entry->init(nullptr)) << "every init counts";
    entry->deinit(), entry->deinit(), entry->deinit();  // the spare one does nothing
    for (const char* other : {static_cast<const char*>(nullptr), "clap.plugin-factory.other"})
        EXPECT_EQ(entry->get_factory(other), nullptr);
    EXPECT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
    const clap_plugin_descriptor_t& d = *factory->get_plugin_descriptor(factory, 0);
    EXPECT_TRUE(clap_version_is_compatible(d.clap_version));
    EXPECT_EQ(std::make_tuple(std::string(d.id), std::string(d.name), std::string(d.vendor), std::string(d.version)),
              std::make_tuple(std::string(kClapPluginId), std::string(kProductName), std::string(kVendorName),
                              std::string("1.0.0")));
    for (const char* blankOrSet : {d.url, d.manual_url, d.support_url}) EXPECT_NE(blankOrSet, nullptr);
    EXPECT_GT(std::strlen(d.description), 10u);
    std::vector<std::string> features;
    for (const char* const* f = d.features; *f; ++f) features.push_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "compressor", "stereo"}));
    clap_host_t old = host.host;
    old.clap_version.major = 0;
    for (const auto& [h, id] : {std::pair<const clap_host_t*, const char*>{&host.host, "example.other"},
                                {&host.host, nullptr}, {nullptr, kClapPluginId}, {&old, kClapPluginId}})
        EXPECT_EQ(factory->create_plugin(factory, h, id), nullptr) << (id ? id : "null id");

    // One stereo pair, the main one, 32-bit, in place if the host likes, no latency.
    const clap_plugin_t* p = plugin.plugin;
    const auto* ports = static_cast<const clap_plugin_audio_ports_t*>(p->get_extension(p, CLAP_EXT_AUDIO_PORTS));
    const auto* latency = static_cast<const clap_plugin_latency_t*>(p->get_extension(p, CLAP_EXT_LATENCY));
    ASSERT_TRUE(ports && latency && plugin.params && plugin.state);
    EXPECT_EQ(latency->get(p), 0u);
    for (bool input : {true, false}) {
        clap_audio_port_info_t info;
        EXPECT_EQ(ports->count(p, input), 1u);
        ASSERT_TRUE(ports->get(p, 0, input, &info));
        EXPECT_EQ(std::make_tuple(info.id, info.channel_count, info.flags, info.in_place_pair, std::string(info.port_type)),
                  std::make_tuple(0u, 2u, uint32_t{CLAP_AUDIO_PORT_IS_MAIN}, 0u, std::string(CLAP_PORT_STEREO)));
        EXPECT_GT(std::strlen(info.name), 0u);
        EXPECT_FALSE(ports->get(p, 1, input, &info));
        EXPECT_FALSE(ports->get(p, 0, input, nullptr));
    }

    // The nine at their table indices, automatable and normalised; the meter read-only.
    ASSERT_EQ(plugin.params->count(p), 10u);
    for (uint32_t i = 0; i < 10; ++i) {
        clap_param_info_t info;
        ASSERT_TRUE(plugin.params->get_info(p, i, &info));
        const bool meter = i == kParamCount;
        const double initial = meter ? 0.0 : kParamTable[i].defaultValue;
        const uint32_t bypass = i == kBypass ? CLAP_PARAM_IS_BYPASS | CLAP_PARAM_IS_STEPPED : 0u;
        EXPECT_EQ(info.id, meter ? kMeterId : i) << "fixed forever";
        EXPECT_EQ(info.flags, meter ? uint32_t{CLAP_PARAM_IS_READONLY} : CLAP_PARAM_IS_AUTOMATABLE | bypass) << i;
        EXPECT_STREQ(info.name, meter ? "Gain Reduction" : kParamTable[i].name);
        EXPECT_GT(std::strlen(info.module), 0u);
        EXPECT_EQ(std::make_tuple(info.min_value, info.max_value, info.default_value),
                  std::make_tuple(0.0, meter ? 24.0 : 1.0, initial)) << info.name;
        EXPECT_EQ(valueOf(plugin, info.id), initial) << info.name;
    }
    clap_param_info_t info;
    double v;
    EXPECT_FALSE(plugin.params->get_info(p, 10, &info));
    EXPECT_FALSE(plugin.params->get_info(p, 0, nullptr));
    for (clap_id unknown : {9u, 99u, 101u, CLAP_INVALID_ID}) EXPECT_FALSE(plugin.params->get_value(p, unknown, &v));
    EXPECT_FALSE(plugin.params->get_value(p, 0, nullptr));
}

// Texts in units, as the VST 2 shell shows them, and back: the text of any
// value reads back to a value with the same text; the unit may be left out;
// anything else, and calls a host should not make, are refused.
TEST_F(ClapTest, TextsInUnitsBothWaysAndGarbageRefused) {
    const clap_plugin_params_t& p = *plugin.params;
    char text[64], shell[64], again[64];
    double v = -1.0;
    for (int32_t i = 0; i < kParamCount; ++i) {
        for (double value : {0.0, 0.1, 0.25, 0.3, 0.5, 0.77, 1.0}) {
            ASSERT_TRUE(p.value_to_text(plugin.plugin, i, value, text, sizeof text));
            writeListText(i, static_cast<float>(value), false, shell, sizeof shell);
            EXPECT_EQ(std::string(text).rfind(shell, 0), 0u) << text << " against " << shell;
            EXPECT_NE(std::strstr(text, kParamTable[i].label), nullptr) << text;
            double bare = -1.0;
            ASSERT_TRUE(p.text_to_value(plugin.plugin, i, text, &v) && p.text_to_value(plugin.plugin, i, shell, &bare));
            EXPECT_EQ(v, bare) << text;
            p.value_to_text(plugin.plugin, i, v, again, sizeof again);
            EXPECT_STREQ(again, text);
        }
        for (const char* garbage : {"", " ", "abc", "12 parsecs", "nan", "inf", "1e999", "--3", "5 5"}) {
            v = -1.0;
            EXPECT_FALSE(p.text_to_value(plugin.plugin, i, garbage, &v) || v != -1.0) << garbage;
        }
    }
    const struct { clap_id id; const char* text; double value; } typed[] = {
        {kThreshold, "-24 dB", 12.0 / 36.0}, {kAttack, "10 ms", std::sqrt(9.9 / 29.9)},  // a quadratic curve
        {kThreshold, "-99 dB", 0.0}};  // beyond the range: its end
    for (const auto& t : typed) {
        EXPECT_TRUE(p.text_to_value(plugin.plugin, t.id, t.text, &v)) << t.text;
        EXPECT_NEAR(v, t.value, 1e-6) << t.text;
    }
    EXPECT_TRUE(p.value_to_text(plugin.plugin, kMeterId, 3.25, text, sizeof text));
    EXPECT_STREQ(text, "3.2 dB");
    char tiny[4] = {'x', 'x', 'x', 'x'};
    EXPECT_TRUE(p.value_to_text(plugin.plugin, kThreshold, 0.5, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "-18") << "cut to the buffer, terminated";
    EXPECT_FALSE(p.text_to_value(plugin.plugin, kThreshold, "-18 ms", &v)) << "another parameter's unit";
    EXPECT_FALSE(p.text_to_value(plugin.plugin, kMeterId, "3 dB", &v)) << "the meter is read-only";
    for (clap_id unknown : {9u, 99u, CLAP_INVALID_ID})
        EXPECT_FALSE(p.value_to_text(plugin.plugin, unknown, 0.5, text, sizeof text) ||
                     p.text_to_value(plugin.plugin, unknown, "1", &v)) << unknown;
    EXPECT_FALSE(p.text_to_value(plugin.plugin, kThreshold, nullptr, &v) ||
                 p.text_to_value(plugin.plugin, kThreshold, "-18", nullptr));
    EXPECT_FALSE(p.value_to_text(plugin.plugin, kThreshold, std::nan(""), text, sizeof text) ||
                 p.value_to_text(plugin.plugin, kThreshold, 0.5, nullptr, 10) ||
                 p.value_to_text(plugin.plugin, kThreshold, 0.5, text, 0));
}

struct Change {
    uint32_t at;
    clap_id id;
    double value;
};

std::vector<AnyEvent> eventsOf(const std::vector<Change>& changes) {
    std::vector<AnyEvent> events;
    for (const Change& c : changes) events.push_back(paramValue(c.at, c.id, c.value));
    return events;
}

// Events inside a block sound exactly as the host cutting the block at their
// frames and setting the values in between, however many there are (more
// than one engine call takes, too); what the compressor cannot use is
// ignored; times out of order or past the block follow the core's rule, and
// values beyond the range clamp.
TEST_F(ClapTest, EventsInABlockSoundAsTheHostCuttingIt) {
    std::vector<Change> dense;  // Attack moved at every frame, Release at every third
    for (uint32_t f = 0; f < 512; ++f) {
        dense.push_back({f, kAttack, f / 512.0});
        if (f % 3 == 0) dense.push_back({f, kRelease, 1.0 - f / 512.0});
    }
    const std::vector<Change> some = {{0, kThreshold, 0.1}, {37, kRatio, 0.9},  {37, kMix, 0.5},
                                      {400, kBypass, 1.0},  {401, kBypass, 0.0}, {511, kMakeup, 1.0}};
    std::vector<AnyEvent> unusable;
    for (clap_id id : {9u, kMeterId, 1000u, CLAP_INVALID_ID}) unusable.push_back(paramValue(5, id, 1.0));
    unusable.push_back(paramValue(6, kThreshold, std::nan("")));
    unusable.push_back(paramValue(7, kThreshold, 1.0)), unusable.back().header.space_id = 1;
    unusable.push_back(paramValue(8, kThreshold, 1.0)), unusable.back().header.size = sizeof(clap_event_header_t);
    for (int type : std::initializer_list<int>{CLAP_EVENT_NOTE_ON, CLAP_EVENT_PARAM_MOD, CLAP_EVENT_PARAM_GESTURE_BEGIN,
                                               CLAP_EVENT_TRANSPORT, CLAP_EVENT_MIDI, 200}) {
        unusable.push_back(paramValue(10, kThreshold, 1.0));
        unusable.back().header.type = static_cast<uint16_t>(type), unusable.back().header.size = sizeof(AnyEvent);
    }
    const struct { const char* what; std::vector<AnyEvent> sent; std::vector<Change> asCut; } cases[] = {
        {"a few", eventsOf(some), some},
        {"more than one engine call takes", eventsOf(dense), dense},
        {"unknown ids, the meter, NaN, another space, cut short, other types", unusable, {}},
        {"out of order, past the block, beyond the range",
         eventsOf({{300, kRatio, 1.0}, {100, kThreshold, -5.0}, {9999, kMix, 7.0}, {UINT32_MAX, kGlue, 1e300}}),
         {{300, kRatio, 1.0}, {300, kThreshold, 0.0}, {512, kMix, 1.0}, {512, kGlue, 1.0}}},
    };
    for (const auto& c : cases) {
        TestPlugin whole = create(), cut = create();
        for (const TestPlugin* p : {&whole, &cut}) setAll(*p, kHardSetting), activate(*p);
        StereoSignal a(1024, 2.0f), b(1024, 2.0f);
        InputEvents events(c.sent);
        EXPECT_EQ(process(whole, a, 0, 512, &events.list), CLAP_PROCESS_CONTINUE) << c.what;
        process(whole, a, 512, 512);
        uint32_t done = 0;
        auto runTo = [&](uint32_t end) {
            if (end > done) process(cut, b, done, end - done), done = end;
        };
        for (const Change& change : c.asCut) runTo(change.at), setByFlush(cut, change.id, change.value);
        runTo(512), runTo(1024);  // the host's own blocks end at 512
        EXPECT_TRUE(a.sameOutput(b)) << c.what;
        EXPECT_EQ(valuesOf(whole), valuesOf(cut)) << c.what;
        EXPECT_NE(a.outLeft, a.left) << "the setting compresses";
        destroy(whole), destroy(cut);
    }
}

// The meter reaches the host as the plug-in's own event after each block it
// moved (not to be recorded), the value the host reads from the parameter; a
// meter the host could not take is sent with the next block, once.
TEST_F(ClapTest, MeterIsReportedAfterEachBlockItMoves) {
    activate(plugin);
    StereoSignal s(4096, 2.0f);
    OutputEvents out;
    for (size_t at = 0; at < 4096; at += 512) {
        out.events.clear();
        process(plugin, s, at, 512, nullptr, &out.list);
        ASSERT_EQ(out.events.size(), 1u);
        const clap_event_param_value_t& e = out.events[0].value;
        EXPECT_EQ(std::make_tuple(e.header.type, e.param_id, e.header.flags & CLAP_EVENT_DONT_RECORD, e.value),
                  std::make_tuple(uint16_t{CLAP_EVENT_PARAM_VALUE}, kMeterId, uint32_t{CLAP_EVENT_DONT_RECORD},
                                  valueOf(plugin, kMeterId)));
        EXPECT_GT(e.value, 0.0);
    }
    out.events.clear(), out.capacity = 0;
    process(plugin, s, 0, 512, nullptr, &out.list);
    out.capacity = SIZE_MAX;
    InputEvents bypass({paramValue(0, kBypass, 1.0)});  // bypassed blocks leave the meter where it is
    process(plugin, s, 0, 512, &bypass.list, &out.list);
    process(plugin, s, 0, 512, nullptr, &out.list);
    ASSERT_EQ(out.events.size(), 1u) << "a meter the host could not take is sent again, once";
    EXPECT_EQ(out.events[0].value.value, valueOf(plugin, kMeterId));
}

}  // namespace
