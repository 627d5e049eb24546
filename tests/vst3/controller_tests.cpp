// The controller against the VST 2 DLL: names, units and texts both ways,
// the flags hosts read, plain values, and the state through streams that move
// a few bytes a call.
#include <gtest/gtest.h>

#include <cmath>

#include "bad_state_blobs.h"
#include "vst3_test_host.h"
#include "vst_host.h"

namespace {

std::string ascii(const int16_t* text) {
    std::string s;
    for (; *text; ++text) s += static_cast<char>(*text);
    return s;
}

struct ControllerTest : ::testing::Test {
    Vst3Module module = loadBundle();
    Plugin plugin = createPlugin(module.factory);
    v3_edit_controller* c = plugin.ctrl();
    void TearDown() override { releasePlugin(plugin), unloadBundle(module); }
    std::string text(v3_param_id id, double v) {
        v3_str_128 out = {};
        return c->get_parameter_string_for_value(plugin.controller, id, v, out) == V3_OK ? ascii(out) : "(refused)";
    }
    bool read(v3_param_id id, const std::string& typed, double* value) {
        std::vector<int16_t> wide(typed.begin(), typed.end());
        wide.push_back(0);
        return c->get_parameter_value_for_string(plugin.controller, id, wide.data(), value) == V3_OK;
    }
    double value(v3_param_id id) { return c->get_parameter_normalised(plugin.controller, id); }
};

}  // namespace

TEST_F(ControllerTest, ParametersReadAsTheDllsWithTheFlagsAndValuesHostsUse) {
    LoadedPlugin dll = loadPlugin(pluginPathBesideProgram());
    AEffect* e = dll.entry(recordingAudioMaster);
    ASSERT_EQ(c->get_parameter_count(plugin.controller), 11);  // then the program change (preset_tests.cpp)
    for (int32_t i = 0; i < 10; ++i) {
        v3_param_info info;
        ASSERT_EQ(c->get_parameter_info(plugin.controller, i, &info), V3_OK);
        const v3_param_id id = info.param_id;
        char name[64] = {}, label[64] = {};
        dispatch(e, effGetParamName, i, 0, name), dispatch(e, effGetParamLabel, i, 0, label);
        EXPECT_EQ(ascii(info.title) + "|" + ascii(info.units), i < 9 ? std::string(name) + "|" + label : "Gain Reduction|dB");
        EXPECT_EQ(id, i < 9 ? static_cast<v3_param_id>(i) : 100u) << "the meter's id, as CLAP's";
        EXPECT_EQ(info.step_count, i == 8 ? 1 : 0) << i;
        EXPECT_EQ(info.flags, i == 9   ? V3_PARAM_READ_ONLY
                              : i == 8 ? V3_PARAM_CAN_AUTOMATE | V3_PARAM_IS_BYPASS
                                       : V3_PARAM_CAN_AUTOMATE) << i;
        EXPECT_EQ(value(id), i < 9 ? info.default_normalised_value : 0.0) << i;
        for (double v : {0.0, 0.25, 0.7, 1.0})
            EXPECT_NEAR(c->plain_parameter_to_normalised(plugin.controller, id,
                                                         c->normalised_parameter_to_plain(plugin.controller, id, v)), v, 1e-6);
        if (i == 9) break;
        // Texts: the DLL's display text at each value, read back with or without the unit.
        for (int k = 0; k <= 40; ++k) {
            const float v = k / 40.0f + (k % 7 == 3 ? 0.0071f : 0.0f);
            char display[64] = {};
            e->setParameter(e, i, v);
            dispatch(e, effGetParamDisplay, i, 0, display);
            const std::string shown = text(id, v);
            // The bypass switch names its steps; the VST 2 shell keeps its numbers.
            ASSERT_EQ(shown, i == 8 ? (v > 0.5f ? "On" : "Off") : std::string(display)) << i << " at " << v;
            for (const std::string& typed : {shown, shown + (*label ? " " : "") + label}) {
                double back = -1.0;
                ASSERT_TRUE(read(id, typed, &back)) << typed;
                EXPECT_EQ(text(id, back), shown) << typed;
            }
        }
        double untouched = -1.0;
        for (const char* garbage : {"", "abc", "1.0.0", "12 xyz", "--3", "5 \xE9"})
            EXPECT_FALSE(read(id, garbage, &untouched)) << i << ": " << garbage;
        EXPECT_EQ(untouched, -1.0);
    }
    EXPECT_EQ(c->normalised_parameter_to_plain(plugin.controller, 0, 0.0), -36.0);
    EXPECT_EQ(c->normalised_parameter_to_plain(plugin.controller, 100, 1.0), 24.0);
    EXPECT_EQ(text(100, 0.5), "12.0");
    double v = 0.0;
    EXPECT_FALSE(read(0, "-20 Hz", &v) || read(100, "3.0", &v) || read(55, "3.0", &v));
    EXPECT_EQ(text(55, 0.5), "(refused)");
    EXPECT_NE(c->get_parameter_info(plugin.controller, 11, nullptr), V3_OK);
    EXPECT_NE(c->set_parameter_normalised(plugin.controller, 100, 0.5), V3_OK) << "the meter is read-only";
    EXPECT_NE(c->set_parameter_normalised(plugin.controller, 77, 0.5), V3_OK);
    EXPECT_EQ(c->set_parameter_normalised(plugin.controller, 0, NAN), V3_OK);
    EXPECT_EQ(value(0), 1.0) << "the clamp rule";
    closeEffect(e);
    unloadPlugin(dll);
}

TEST_F(ControllerTest, StateRoundTripsThroughShortStreamsAndBadBlobsChangeNothing) {
    HostStream defaults, saved, refusing;
    plugin.comp()->get_state(plugin.component, defaults.as<v3_bstream>());
    for (v3_param_id id = 0; id < 9; ++id) c->set_parameter_normalised(plugin.controller, id, 0.1 * id + 0.0123);
    saved.chunk = 3, refusing.refuse = true;
    ASSERT_EQ(plugin.comp()->get_state(plugin.component, saved.as<v3_bstream>()), V3_OK);
    EXPECT_NE(plugin.comp()->get_state(plugin.component, refusing.as<v3_bstream>()), V3_OK);
    // The component's state, and the same handed to the controller side.
    saved.chunk = 5;
    for (bool component : {true, false}) {
        Plugin other = createPlugin(module.factory);
        saved.at = 0;
        ASSERT_EQ(component ? other.comp()->set_state(other.component, saved.as<v3_bstream>())
                            : other.ctrl()->set_component_state(other.controller, saved.as<v3_bstream>()), V3_OK);
        for (v3_param_id id = 0; id < 9; ++id)
            EXPECT_EQ(other.ctrl()->get_parameter_normalised(other.controller, id), value(id)) << id;
        releasePlugin(other);
    }
    HostStream before;
    plugin.comp()->get_state(plugin.component, before.as<v3_bstream>());
    for (const auto& [what, blob] : badStateBlobs(defaults.bytes, 300)) {
        HostStream bad, now;
        bad.bytes = blob, bad.chunk = 7;
        EXPECT_EQ(plugin.comp()->set_state(plugin.component, bad.as<v3_bstream>()), V3_FALSE) << what;
        bad.at = 0;
        EXPECT_EQ(c->set_component_state(plugin.controller, bad.as<v3_bstream>()), V3_FALSE) << what;
        plugin.comp()->get_state(plugin.component, now.as<v3_bstream>());
        ASSERT_EQ(now.bytes, before.bytes) << what;
        EXPECT_EQ(bad.refs, 1) << "no stream is kept";
    }
    EXPECT_NE(plugin.comp()->set_state(plugin.component, nullptr), V3_OK);
}
