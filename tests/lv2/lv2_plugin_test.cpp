// The LV2 build as lilv loads it from LV2_PATH: its ports against the
// parameter table, the unit round trip, and bad input, every run compared bit
// for bit with the engine called directly on the same blocks.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/urid/urid.h>
#include <lv2/units/units.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_constants.h"
#include "lv2_ports.h"
#include "presets.h"

namespace {

// The world and the nodes made in it live as long as the program, and are
// freed at its end (so a leak checker sees only real leaks).
struct World {
    LilvWorld* world = lilv_world_new();
    std::vector<LilvNode*> nodes;
    World() { lilv_world_load_all(world); }
    ~World() {
        for (LilvNode* n : nodes) lilv_node_free(n);
        lilv_world_free(world);
    }
};
World& kept() {
    static World w;
    return w;
}
LilvWorld* world() { return kept().world; }
const LilvNode* uri(const char* text) { return kept().nodes.emplace_back(lilv_new_uri(world(), text)); }
const LilvPlugin* plugin() { return lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world()), uri(kLv2PluginUri)); }
bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(Lv2Ports, MatchTheParameterTable) {
    const LilvPlugin* p = plugin();
    ASSERT_NE(p, nullptr) << "not in LV2_PATH";
    ASSERT_EQ(lilv_plugin_get_num_ports(p), kPortCount);
    EXPECT_FALSE(lilv_plugin_has_latency(p));
    EXPECT_TRUE(lilv_plugin_has_feature(p, uri(LV2_CORE__hardRTCapable)));
    std::vector<float> low(kPortCount), high(kPortCount), def(kPortCount);
    lilv_plugin_get_port_ranges_float(p, low.data(), high.data(), def.data());
    const std::map<std::string, std::string> units = {{"dB", LV2_UNITS__db}, {"ms", LV2_UNITS__ms},
        {"%", LV2_UNITS__pc}, {"Hz", LV2_UNITS__hz}, {":1", kLv2RatioUnitUri}};
    auto is = [&](uint32_t i, const char* a, const char* b) {
        const LilvPort* port = lilv_plugin_get_port_by_index(p, i);
        return lilv_port_is_a(p, port, uri(a)) && lilv_port_is_a(p, port, uri(b));
    };
    auto unitOf = [&](uint32_t i) {
        LilvNodes* u = lilv_port_get_value(p, lilv_plugin_get_port_by_index(p, i), uri(LV2_UNITS__unit));
        const std::string text = u ? lilv_node_as_uri(lilv_nodes_get_first(u)) : "";
        lilv_nodes_free(u);
        return text;
    };
    for (uint32_t i = 0; i < kParamCount; ++i) {
        const ParamIndex index = static_cast<ParamIndex>(i);
        const ParamSpec& row = kParamTable[i];
        const LilvPort* port = lilv_plugin_get_port_by_index(p, i);
        EXPECT_TRUE(is(i, LV2_CORE__InputPort, LV2_CORE__ControlPort)) << i;
        // The default reads back as the table's, the range's ends as 0 and 1.
        EXPECT_TRUE(sameBits(normalisedFromPortValue(index, def[i]), row.defaultValue)) << row.name;
        EXPECT_EQ(normalisedFromPortValue(index, index == kBypass ? high[i] : low[i]), 0.0f) << row.name;
        EXPECT_EQ(normalisedFromPortValue(index, index == kBypass ? low[i] : high[i]), 1.0f) << row.name;
        if (index == kBypass) {
            EXPECT_EQ(lilv_plugin_get_port_by_designation(p, uri(LV2_CORE__InputPort), uri(LV2_CORE__enabled)), port);
            EXPECT_TRUE(lilv_port_has_property(p, port, uri(LV2_CORE__toggled)));
            continue;
        }
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(p, port)), row.symbol);
        LilvNode* name = lilv_port_get_name(p, port);
        EXPECT_STREQ(lilv_node_as_string(name), row.name);
        lilv_node_free(name);
        EXPECT_EQ(unitOf(i), units.at(row.label)) << row.name;
        // The knobs' quadratic curve is a logarithmic slider in a host.
        EXPECT_EQ(lilv_port_has_property(p, port, uri(LV2_PORT_PROPS__logarithmic)),
                  row.curve == UnitCurve::kQuadratic)
            << row.name;
    }
    // The ratio's own unit renders its value as the editor shows it.
    LilvNodes* render = lilv_world_find_nodes(world(), uri(kLv2RatioUnitUri), uri(LV2_UNITS__render), nullptr);
    ASSERT_NE(render, nullptr);
    EXPECT_STREQ(lilv_node_as_string(lilv_nodes_get_first(render)), "%.1f:1");
    lilv_nodes_free(render);
    EXPECT_TRUE(is(kMeterPort, LV2_CORE__OutputPort, LV2_CORE__ControlPort));
    EXPECT_EQ(unitOf(kMeterPort), LV2_UNITS__db);
    for (uint32_t c = 0; c < 2; ++c) {
        EXPECT_TRUE(is(kAudioInPorts[c], LV2_CORE__InputPort, LV2_CORE__AudioPort));
        EXPECT_TRUE(is(kAudioOutPorts[c], LV2_CORE__OutputPort, LV2_CORE__AudioPort));
    }
}

// Whatever float a host holds in a port (sessions and presets store the unit
// value), the normalised value it gives, shown in units again and read back,
// is itself. Beyond the range a value clamps to the end, NaN gives the default.
TEST(Lv2Ports, EveryPortValueRoundTripsAndClamps) {
    for (int i = 0; i < kBypass; ++i) {
        const ParamIndex index = static_cast<ParamIndex>(i);
        int drifted = 0;
        for (uint32_t bits = 0; bits <= 0x3F800000u; bits += 9973) {
            float v;
            std::memcpy(&v, &bits, sizeof v);
            const float shown = portValueFromNormalised(index, v);
            for (float u : {shown, std::nextafter(shown, -INFINITY), std::nextafter(shown, INFINITY)}) {
                const float n = normalisedFromPortValue(index, u);
                drifted += !(n >= 0.0f && n <= 1.0f) ||
                           !sameBits(normalisedFromPortValue(index, portValueFromNormalised(index, n)), n);
            }
        }
        EXPECT_EQ(drifted, 0) << kParamTable[i].name;
        const float high = portValueFromNormalised(index, 1.0f);
        EXPECT_TRUE(sameBits(normalisedFromPortValue(index, portValueFromNormalised(index, 0.0f) - 1.0f), 0.0f));
        EXPECT_TRUE(sameBits(normalisedFromPortValue(index, -INFINITY), 0.0f));
        EXPECT_TRUE(sameBits(normalisedFromPortValue(index, -0.0f), index == kThreshold ? 1.0f : 0.0f));
        EXPECT_EQ(normalisedFromPortValue(index, high * 2.0f + 1.0f), 1.0f);
        EXPECT_EQ(normalisedFromPortValue(index, INFINITY), 1.0f);
        EXPECT_EQ(normalisedFromPortValue(index, NAN), kParamTable[i].defaultValue);
    }
}

// One instance with every port on buffers with guard zones, beside the engine
// run directly on the same blocks with the normalised values it should see.
constexpr int kFrames = 4096, kGuard = 64;
constexpr float kCanary = 1234.5f;
struct Rig {
    LilvInstance* instance;
    float controls[kParamCount], meter = -1.0f, defaults[kParamCount];
    std::vector<float> audio = std::vector<float>(kGuard + 4 * (kFrames + kGuard), kCanary);
    std::vector<float> expected = std::vector<float>(2 * kFrames);
    EngineState engine;
    std::atomic<double> engineRate;
    float ruleRate;
    bool controlsConnected = true;
    Rig(double rate, float rateForEngine) : ruleRate(rateForEngine) {
        instance = lilv_plugin_instantiate(plugin(), rate, nullptr);
        for (int i = 0; i < kParamCount; ++i) {
            defaults[i] = kParamTable[i].defaultValue;
            controls[i] = portValueFromNormalised(static_cast<ParamIndex>(i), defaults[i]);
        }
        for (int i = 0; i < kFrames; ++i) {  // bursts over tones, beyond full scale at times
            buffer(0)[i] = 1.1f * std::sin(i * i * 1e-4f) * std::exp(-(i % 1500) / 200.0f) + 0.2f * std::sin(0.01f * i);
            buffer(1)[i] = 0.8f * std::sin(i * 0.37f) * std::exp(-(i % 900) / 150.0f) - 0.3f * std::sin(0.02f * i);
        }
        activate();
    }
    ~Rig() { lilv_instance_free(instance); }
    void activate() {
        lilv_instance_activate(instance);
        initEngineState(engine);
        applySampleRate(engineRate, engine.coefficients, ruleRate);
    }
    float* buffer(int b) { return audio.data() + kGuard + b * (kFrames + kGuard); }
    void connect(int at, bool inPlace) {  // the audio ports first, the controls after
        for (int c = 0; c < 2; ++c) {
            lilv_instance_connect_port(instance, kAudioInPorts[c], buffer(c) + at);
            lilv_instance_connect_port(instance, kAudioOutPorts[c], buffer(inPlace ? c : 2 + c) + at);
        }
        for (uint32_t i = 0; i < kParamCount; ++i)
            lilv_instance_connect_port(instance, i, controlsConnected ? &controls[i] : nullptr);
        lilv_instance_connect_port(instance, kMeterPort, &meter);
    }
    // The engine first (in place the plug-in overwrites the input), then the plug-in.
    void run(int at, int n, const float* params, bool inPlace = false) {
        BlockControls c{{}, engineRate.load(), false};
        std::memcpy(c.params, params, sizeof c.params);
        const float* in[2] = {buffer(0) + at, buffer(1) + at};
        float* out[2] = {&expected[at], &expected[kFrames + at]};
        processBlock(engine, c, in, out, n);
        connect(at, inPlace);
        lilv_instance_run(instance, static_cast<uint32_t>(n));
    }
    ::testing::AssertionResult matches(bool inPlace = false) {
        for (int i = 0; i < 2 * kFrames; ++i)
            if (!sameBits(expected[i], buffer(inPlace ? 0 : 2)[i + (i >= kFrames ? kGuard : 0)]))
                return ::testing::AssertionFailure() << "sample " << i;
        for (int g = 0; g < 5; ++g)
            for (int i = 0; i < kGuard; ++i)
                if (!sameBits(audio[g * (kFrames + kGuard) + i], kCanary))
                    return ::testing::AssertionFailure() << "written outside a buffer";
        if (!sameBits(meter, engine.gainReductionMeter.load())) return ::testing::AssertionFailure() << "meter";
        return ::testing::AssertionSuccess();
    }
};

// Any block size, zero and one included, with the ports reconnected to moving
// buffers before every run, separate or in place, and a control moving.
TEST(Lv2Run, MatchesTheEngineAtEveryBlockSizeSeparateOrInPlace) {
    const float units[kParamCount] = {-29.0f, 12.5f, 3.3f, 400.0f, 90.0f, 150.0f, 7.5f, 80.0f, 1.0f};
    for (bool inPlace : {false, true}) {
        Rig rig(96000.0, 96000.0f);
        float params[kParamCount];
        for (int i = 0; i < kParamCount; ++i)
            params[i] = normalisedFromPortValue(static_cast<ParamIndex>(i), rig.controls[i] = units[i]);
        int at = 0;
        for (int n : {1, 0, 7, 1, 0, 512, 3, 1000, 1, 2571}) {
            if (at > 1000)  // automation: a port changes between runs
                params[kThreshold] = normalisedFromPortValue(kThreshold, rig.controls[kThreshold] = -12.0f);
            rig.run(at, n, params, inPlace);
            at += n;
            EXPECT_TRUE(sameBits(rig.meter, rig.engine.gainReductionMeter.load())) << "block " << n;
        }
        EXPECT_TRUE(rig.matches(inPlace)) << "in place " << inPlace;
        EXPECT_GT(rig.meter, 1.0f);
    }
}

// Values beyond the range clamp to its ends, NaN and unconnected controls give
// the defaults; the enable port bypasses (a bit-exact copy) at 0 and below.
TEST(Lv2Run, BadControlValuesClampOrFallBackToDefaults) {
    float zeros[kParamCount] = {}, ones[kParamCount];
    std::fill_n(ones, kParamCount, 1.0f);
    ones[kBypass] = 0.0f;   // enabled far above 1: processing
    zeros[kBypass] = 1.0f;  // enabled below 0: bypassed
    for (float port : {1e30f, INFINITY, -1e30f, -INFINITY, NAN, 0.0f}) {
        Rig rig(44100.0, 44100.0f);
        std::fill_n(rig.controls, kParamCount, port);
        rig.controlsConnected = port != 0.0f;  // 0: the controls are left unconnected
        rig.run(0, kFrames, port > 0.0f ? ones : port < 0.0f ? zeros : rig.defaults);
        EXPECT_TRUE(rig.matches()) << "port value " << port;
    }
}

// Zero, negative, NaN and -inf rates take the rate rule's fallback; a rate
// beyond the float range runs as the largest float.
TEST(Lv2Run, InstantiateAtBadRatesFollowsTheRateRule) {
    constexpr float kFallback = static_cast<float>(kFallbackSampleRate);
    const std::pair<double, float> rates[] = {{0.0, kFallback},       {-48000.0, kFallback}, {NAN, kFallback},
                                              {-INFINITY, kFallback}, {1e300, FLT_MAX},      {INFINITY, FLT_MAX}};
    for (const auto& [lv2Rate, ruleRate] : rates) {
        Rig rig(lv2Rate, ruleRate);
        ASSERT_NE(rig.instance, nullptr) << lv2Rate;
        rig.run(0, kFrames, rig.defaults);
        EXPECT_TRUE(rig.matches()) << lv2Rate;
    }
}

// Unconnected audio: the connected outputs get silence and the compressor does
// not move. Zero frames: no sample written, the meter falls once as in the
// DLL. activate() starts over.
TEST(Lv2Run, UnconnectedAudioZeroFramesAndActivate) {
    Rig rig(48000.0, 48000.0f);
    lilv_instance_run(rig.instance, 64);  // nothing connected at all
    rig.connect(0, false);
    lilv_instance_connect_port(rig.instance, kAudioInPorts[1], nullptr);
    lilv_instance_run(rig.instance, kFrames);
    EXPECT_EQ(std::count(rig.buffer(2), rig.buffer(2) + kFrames, 0.0f), kFrames);
    EXPECT_EQ(rig.meter, 0.0f);
    rig.run(0, kFrames, rig.defaults);
    EXPECT_TRUE(rig.matches());
    const std::vector<float> before(rig.audio);
    rig.run(0, 0, rig.defaults);
    EXPECT_EQ(rig.audio, before);
    EXPECT_TRUE(rig.matches());
    lilv_instance_deactivate(rig.instance);
    rig.activate();
    rig.run(0, kFrames, rig.defaults);
    EXPECT_TRUE(rig.matches()) << "after activate";
}

// Each factory preset as a host loads it (lilv's state, restored into the ports by symbol):
// exactly the preset's eight values, never the enable port, rendering as them set by hand.
TEST(Lv2Run, EveryFactoryPresetSetsExactlyItsValues) {
    static std::vector<std::string> uris;
    LV2_URID_Map map{nullptr, [](LV2_URID_Map_Handle, const char* u) {
                         if (std::find(uris.begin(), uris.end(), u) == uris.end()) uris.emplace_back(u);
                         return static_cast<LV2_URID>(std::find(uris.begin(), uris.end(), u) - uris.begin() + 1);
                     }};
    LilvNodes* related = lilv_plugin_get_related(plugin(), uri(LV2_PRESETS__Preset));
    ASSERT_EQ(lilv_nodes_size(related), static_cast<unsigned>(kPresetCount));
    LILV_FOREACH (nodes, it, related) {  // each listed once: debian_hosts.sh holds lv2info's list to the labels
        const LilvNode* preset = lilv_nodes_get(related, it);
        lilv_world_load_resource(world(), preset);
        LilvNodes* label = lilv_world_find_nodes(world(), preset, uri(LILV_NS_RDFS "label"), nullptr);
        int32_t p = 0;
        const std::string name = label ? lilv_node_as_string(lilv_nodes_get_first(label)) : "";
        while (p < kPresetCount && name != kPresets[p].name) ++p;
        lilv_nodes_free(label);
        ASSERT_LT(p, kPresetCount) << "a preset whose label is not in the table";
        Rig rig(48000.0, 48000.0f);
        LilvState* state = lilv_state_new_from_world(world(), &map, preset);
        ASSERT_NE(state, nullptr);
        lilv_state_restore(state, rig.instance, [](const char* symbol, void* data, const void* value, uint32_t size,
                                                   uint32_t type) {
            Rig& r = *static_cast<Rig*>(data);
            for (int32_t i = 0; i < kParamCount && size == sizeof(float) && type != 0; ++i)
                if (std::strcmp(symbol, kParamTable[i].symbol) == 0) std::memcpy(&r.controls[i], value, size);
            EXPECT_NE(std::string(symbol), "enabled");
        }, &rig, 0, nullptr);
        lilv_state_free(state);
        float params[kParamCount];
        std::memcpy(params, rig.defaults, sizeof params);
        for (int32_t i = 0; i < kPresetParamCount; ++i) {
            params[i] = presetNormalised(p, i);
            EXPECT_EQ(normalisedFromPortValue(static_cast<ParamIndex>(i), rig.controls[i]), params[i]) << p << i;
        }
        rig.run(0, kFrames, params);
        EXPECT_TRUE(rig.matches()) << kPresets[p].name;
    }
    lilv_nodes_free(related);
}

}  // namespace
