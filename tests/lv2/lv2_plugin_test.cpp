// The LV2 build as lilv loads it from LV2_PATH: its ports against the
// parameter table, the unit round trip, and every kind of bad input a host can
// give, each compared bit for bit with the engine run directly.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/core/lv2.h>
#include <lv2/units/units.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine.h"
#include "lv2_ports.h"

namespace {

struct Lv2World {
    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = nullptr;
    Lv2World() {
        lilv_world_load_all(world);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri(kLv2PluginUri));
    }
    const LilvNode* uri(const char* text) { return nodes.emplace_back(lilv_new_uri(world, text)); }
    std::vector<LilvNode*> nodes;  // kept for the whole program
};
Lv2World& lv2() {
    static Lv2World w;
    return w;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(Lv2Ports, MatchTheParameterTable) {
    Lv2World& w = lv2();
    const LilvPlugin* p = w.plugin;
    ASSERT_NE(p, nullptr) << "not in LV2_PATH";
    ASSERT_EQ(lilv_plugin_get_num_ports(p), kPortCount);
    EXPECT_FALSE(lilv_plugin_has_latency(p));
    EXPECT_TRUE(lilv_plugin_has_feature(p, w.uri(LV2_CORE__hardRTCapable)));
    std::vector<float> low(kPortCount), high(kPortCount), def(kPortCount);
    lilv_plugin_get_port_ranges_float(p, low.data(), high.data(), def.data());
    const std::map<std::string, std::string> units = {
        {"dB", LV2_UNITS__db}, {"ms", LV2_UNITS__ms}, {"%", LV2_UNITS__pc}, {"Hz", LV2_UNITS__hz},
        {":1", kLv2RatioUnitUri}};
    auto portIs = [&](uint32_t i, const char* cls) {
        return lilv_port_is_a(p, lilv_plugin_get_port_by_index(p, i), w.uri(cls));
    };
    auto unitOf = [&](uint32_t i) {
        LilvNodes* u = lilv_port_get_value(p, lilv_plugin_get_port_by_index(p, i), w.uri(LV2_UNITS__unit));
        const std::string text = u ? lilv_node_as_uri(lilv_nodes_get_first(u)) : "";
        lilv_nodes_free(u);
        return text;
    };
    for (uint32_t i = 0; i < kParamCount; ++i) {
        const ParamIndex index = static_cast<ParamIndex>(i);
        const ParamSpec& row = kParamTable[i];
        const LilvPort* port = lilv_plugin_get_port_by_index(p, i);
        EXPECT_TRUE(portIs(i, LV2_CORE__InputPort) && portIs(i, LV2_CORE__ControlPort)) << i;
        // The stored default reads back as the table's default, the ends as 0 and 1.
        EXPECT_TRUE(sameBits(normalisedFromPortValue(index, def[i]), row.defaultValue)) << row.name;
        EXPECT_EQ(normalisedFromPortValue(index, index == kBypass ? high[i] : low[i]), 0.0f) << row.name;
        EXPECT_EQ(normalisedFromPortValue(index, index == kBypass ? low[i] : high[i]), 1.0f) << row.name;
        if (index == kBypass) {
            EXPECT_EQ(lilv_plugin_get_port_by_designation(p, w.uri(LV2_CORE__InputPort),
                                                          w.uri(LV2_CORE__enabled)), port);
            EXPECT_TRUE(lilv_port_has_property(p, port, w.uri(LV2_CORE__toggled)));
            continue;
        }
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(p, port)), row.symbol);
        LilvNode* name = lilv_port_get_name(p, port);
        EXPECT_STREQ(lilv_node_as_string(name), row.name);
        lilv_node_free(name);
        EXPECT_EQ(unitOf(i), units.at(row.label)) << row.name;
    }
    EXPECT_TRUE(portIs(kMeterPort, LV2_CORE__OutputPort) && portIs(kMeterPort, LV2_CORE__ControlPort));
    EXPECT_EQ(unitOf(kMeterPort), LV2_UNITS__db);
    for (uint32_t c = 0; c < 2; ++c) {
        EXPECT_TRUE(portIs(kAudioInPorts[c], LV2_CORE__InputPort) && portIs(kAudioInPorts[c], LV2_CORE__AudioPort));
        EXPECT_TRUE(portIs(kAudioOutPorts[c], LV2_CORE__OutputPort) && portIs(kAudioOutPorts[c], LV2_CORE__AudioPort));
    }
}

// Whatever float a host holds in a port (its sessions and presets store the
// unit value), the normalised value it gives, shown in units again and read
// back, is itself: nothing drifts through save and load or a format change.
// Beyond the range a value clamps to the end, NaN gives the default.
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
        const float low = portValueFromNormalised(index, 0.0f), high = portValueFromNormalised(index, 1.0f);
        EXPECT_TRUE(sameBits(normalisedFromPortValue(index, low - 1.0f), 0.0f));
        EXPECT_TRUE(sameBits(normalisedFromPortValue(index, -INFINITY), 0.0f));
        EXPECT_TRUE(sameBits(normalisedFromPortValue(index, -0.0f), index == kThreshold ? 1.0f : 0.0f));
        EXPECT_EQ(normalisedFromPortValue(index, high * 2.0f + 1.0f), 1.0f);
        EXPECT_EQ(normalisedFromPortValue(index, INFINITY), 1.0f);
        EXPECT_EQ(normalisedFromPortValue(index, NAN), kParamTable[i].defaultValue);
    }
}

// An instance with every port connected to buffers that have guard zones.
constexpr int kFrames = 4096, kGuard = 64;
constexpr float kCanary = 1234.5f;
struct Rig {
    LilvInstance* instance;
    float controls[kParamCount];
    float meter = -1.0f;
    std::vector<float> audio[4];  // in L, in R, out L, out R, each with guards
    explicit Rig(double rate) {
        instance = lilv_plugin_instantiate(lv2().plugin, rate, nullptr);
        for (int i = 0; i < kParamCount; ++i)
            controls[i] = portValueFromNormalised(static_cast<ParamIndex>(i), kParamTable[i].defaultValue);
        for (int b = 0; b < 4; ++b) audio[b].assign(kFrames + 2 * kGuard, kCanary);
        uint32_t seed = 5;
        for (int i = 0; i < kFrames; ++i) {  // noise bursts over a tone
            seed = seed * 1664525u + 1013904223u;
            const float hit = static_cast<float>(std::exp(-(i % 1500) / 200.0) * int32_t(seed) / 2.1e9);
            buffer(0)[i] = 1.1f * hit + 0.2f * std::sin(0.01f * i);
            buffer(1)[i] = 0.8f * hit - 0.3f * std::sin(0.02f * i);
        }
        lilv_instance_activate(instance);
    }
    ~Rig() { lilv_instance_free(instance); }
    float* buffer(int b) { return audio[b].data() + kGuard; }
    void connect(int at, bool inPlace = false) {  // the audio ports first, the controls after
        for (int c = 0; c < 2; ++c) {
            lilv_instance_connect_port(instance, kAudioInPorts[c], buffer(c) + at);
            lilv_instance_connect_port(instance, kAudioOutPorts[c], buffer(inPlace ? c : 2 + c) + at);
        }
        for (uint32_t i = 0; i < kParamCount; ++i) lilv_instance_connect_port(instance, i, &controls[i]);
        lilv_instance_connect_port(instance, kMeterPort, &meter);
    }
    bool guardsIntact() const {
        for (const std::vector<float>& a : audio)
            for (int g = 0; g < kGuard; ++g)
                if (!sameBits(a[g], kCanary) || !sameBits(a[kGuard + kFrames + g], kCanary)) return false;
        return true;
    }
};

// The engine run directly, the same blocks.
struct Reference {
    EngineState state;
    std::atomic<double> hostRate;
    std::vector<float> out[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
    explicit Reference(float rate) {
        initEngineState(state);
        applySampleRate(hostRate, state.coefficients, rate);
    }
    void run(Rig& rig, const float* params, int at, int n) {
        BlockControls c{{}, hostRate.load(), false};
        std::memcpy(c.params, params, sizeof c.params);
        const float* in[2] = {rig.buffer(0) + at, rig.buffer(1) + at};
        float* o[2] = {out[0].data() + at, out[1].data() + at};
        processBlock(state, c, in, o, n);
    }
    bool same(Rig& rig, int out0) {
        return std::memcmp(out[0].data(), rig.buffer(out0), sizeof(float) * kFrames) == 0 &&
               std::memcmp(out[1].data(), rig.buffer(out0 + 1), sizeof(float) * kFrames) == 0 &&
               sameBits(rig.meter, state.gainReductionMeter.load());
    }
};

// Any block size, zero and one included, with the ports reconnected to moving
// buffers before every run, separate or in place.
TEST(Lv2Run, MatchesTheEngineAtEveryBlockSizeSeparateOrInPlace) {
    const float units[kParamCount] = {-29.0f, 12.5f, 3.3f, 400.0f, 90.0f, 150.0f, 7.5f, 80.0f, 1.0f};
    for (bool inPlace : {false, true}) {
        Rig rig(96000.0);
        Reference ref(96000.0f);
        float params[kParamCount];
        for (int i = 0; i < kParamCount; ++i) {
            rig.controls[i] = units[i];
            params[i] = normalisedFromPortValue(static_cast<ParamIndex>(i), units[i]);
        }
        int at = 0;
        for (int n : {1, 0, 7, 1, 0, 512, 3, 1000, 1, 2571}) {
            ref.run(rig, params, at, n);
            rig.connect(at, inPlace);
            lilv_instance_run(rig.instance, static_cast<uint32_t>(n));
            at += n;
            EXPECT_TRUE(sameBits(rig.meter, ref.state.gainReductionMeter.load())) << "block " << n;
        }
        ASSERT_EQ(at, kFrames);
        EXPECT_TRUE(ref.same(rig, inPlace ? 0 : 2)) << "in place " << inPlace;
        EXPECT_GT(rig.meter, 1.0f);
        EXPECT_TRUE(rig.guardsIntact());
    }
}

// Values beyond the range clamp to its ends, NaN and unconnected controls give
// the defaults; the enable port bypasses at 0 and below, processes at NaN.
TEST(Lv2Run, BadControlValuesClampOrFallBackToDefaults) {
    float defaults[kParamCount], zeros[kParamCount] = {}, ones[kParamCount];
    for (int i = 0; i < kParamCount; ++i) {
        defaults[i] = kParamTable[i].defaultValue;
        ones[i] = 1.0f;
    }
    ones[kBypass] = 0.0f;   // enabled far above 1: processing
    zeros[kBypass] = 1.0f;  // enabled below 0: bypassed, a bit-exact copy
    struct Case {
        float port;  // every control port at this value (enabled included)
        const float* expected;
        bool connected;
    };
    const Case cases[] = {{1e30f, ones, true},    {INFINITY, ones, true},  {-1e30f, zeros, true},
                          {-INFINITY, zeros, true}, {NAN, defaults, true}, {0.0f, defaults, false}};
    for (const Case& k : cases) {
        Rig rig(44100.0);
        Reference ref(44100.0f);
        std::fill_n(rig.controls, kParamCount, k.port);
        rig.connect(0);
        if (!k.connected)
            for (uint32_t i = 0; i < kParamCount; ++i) lilv_instance_connect_port(rig.instance, i, nullptr);
        lilv_instance_run(rig.instance, kFrames);
        ref.run(rig, k.expected, 0, kFrames);
        EXPECT_TRUE(ref.same(rig, 2)) << "port value " << k.port << (k.connected ? "" : ", unconnected");
        EXPECT_TRUE(rig.guardsIntact());
    }
}

// Zero, negative, NaN and infinite rates take the rate rule's 44100; a rate
// beyond the float range runs as the largest float, finite and within the ceiling.
TEST(Lv2Run, InstantiateAtBadRatesFollowsTheRateRule) {
    struct Case {
        double lv2Rate;
        float ruleRate;
    };
    for (const Case& k : {Case{0.0, 44100.0f}, Case{-48000.0, 44100.0f}, Case{NAN, 44100.0f},
                          Case{-INFINITY, 44100.0f}, Case{1e300, FLT_MAX}, Case{INFINITY, FLT_MAX}}) {
        Rig rig(k.lv2Rate);
        ASSERT_NE(rig.instance, nullptr) << k.lv2Rate;
        Reference ref(k.ruleRate);
        rig.connect(0);
        lilv_instance_run(rig.instance, kFrames);
        float defaults[kParamCount];
        for (int i = 0; i < kParamCount; ++i) defaults[i] = kParamTable[i].defaultValue;
        ref.run(rig, defaults, 0, kFrames);
        EXPECT_TRUE(ref.same(rig, 2)) << k.lv2Rate;
        for (int i = 0; i < kFrames; ++i) ASSERT_LE(std::fabs(rig.buffer(2)[i]), 0.98f) << k.lv2Rate;
    }
}

// Unconnected audio: connected outputs get silence and the engine does not
// move. Zero frames: no sample written, the meter decays once as in the DLL.
// activate() starts over.
TEST(Lv2Run, UnconnectedAudioZeroFramesAndActivate) {
    Rig rig(48000.0), fresh(48000.0);
    lilv_instance_run(rig.instance, 64);  // nothing connected at all
    rig.connect(0);
    lilv_instance_connect_port(rig.instance, kAudioInPorts[1], nullptr);
    lilv_instance_run(rig.instance, kFrames);
    for (int i = 0; i < kFrames; ++i) ASSERT_EQ(rig.buffer(2)[i], 0.0f);
    EXPECT_EQ(rig.meter, 0.0f);
    rig.connect(0);
    fresh.connect(0);
    lilv_instance_run(rig.instance, kFrames);
    lilv_instance_run(fresh.instance, kFrames);
    EXPECT_EQ(std::memcmp(rig.buffer(2), fresh.buffer(2), sizeof(float) * kFrames), 0);

    const std::vector<float> before(rig.audio[2]);
    const float meter = rig.meter;
    lilv_instance_run(rig.instance, 0);
    EXPECT_EQ(rig.audio[2], before);
    EXPECT_TRUE(sameBits(rig.meter, 0.82f * meter));

    lilv_instance_deactivate(rig.instance);
    lilv_instance_activate(rig.instance);
    lilv_instance_run(rig.instance, kFrames);
    EXPECT_EQ(std::memcmp(rig.buffer(2), fresh.buffer(2), sizeof(float) * kFrames), 0) << "activate starts over";
    EXPECT_TRUE(rig.guardsIntact());
}

}  // namespace
