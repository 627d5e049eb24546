// The factory presets as VST 3 hosts reach them: the program list through
// IUnitInfo with its program-change parameter (set on the controller or sent
// to the processor), and the .vstpreset files through the component's state.
// Each sets exactly the preset's values, renders as those values set by
// hand, and never touches Bypass; a broken preset file changes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "travesty/unit.h"

#include "bad_state_blobs.h"
#include "presets.h"
#include "vst3_test_host.h"

namespace {

constexpr int32_t kFrames = 4096;
constexpr v3_param_id kProgramId = 2000;

std::string ascii(const int16_t* text) {
    std::string s;
    for (; *text; ++text) s += static_cast<char>(*text);
    return s;
}

struct PresetTest : ::testing::Test {
    Vst3Module module = loadBundle();
    std::vector<float> l = std::vector<float>(kFrames), r = std::vector<float>(kFrames);
    PresetTest() {
        for (int i = 0; i < kFrames; ++i)  // bursts over a tone, up to full scale
            l[i] = std::sin(i * 0.05f) * std::exp(-(i % 1024) / 300.0f), r[i] = 0.3f * std::sin(i * 0.011f);
    }
    void TearDown() override { unloadBundle(module); }
    double value(const Plugin& p, v3_param_id id) { return p.ctrl()->get_parameter_normalised(p.controller, id); }
    void set(const Plugin& p, v3_param_id id, double v) { p.ctrl()->set_parameter_normalised(p.controller, id, v); }
    // Every parameter away from the preset, and Bypass as asked.
    Plugin fresh(bool bypassed) {
        Plugin p = createPlugin(module.factory);
        for (v3_param_id id = 0; id < 8; ++id) set(p, id, 0.3);
        set(p, 8, bypassed ? 1.0 : 0.0);
        return p;
    }
    std::vector<float> render(const Plugin& p, HostChanges* changes = nullptr) {
        std::vector<float> out(2 * kFrames);
        EXPECT_EQ(processBlock(p, l.data(), r.data(), out.data(), out.data() + kFrames, kFrames, changes), V3_OK);
        return out;
    }
    // The preset's values set one by one, as a user would.
    std::vector<float> renderByHand(int32_t preset, bool bypassed) {
        Plugin p = fresh(bypassed);
        for (v3_param_id id = 0; id < 8; ++id) set(p, id, presetNormalised(preset, static_cast<int32_t>(id)));
        std::vector<float> out = render(p);
        releasePlugin(p);
        return out;
    }
    ::testing::AssertionResult holdsPreset(const Plugin& p, int32_t preset, bool bypassed) {
        for (v3_param_id id = 0; id < 8; ++id)
            if (value(p, id) != presetNormalised(preset, static_cast<int32_t>(id)))
                return ::testing::AssertionFailure() << "parameter " << id;
        if (value(p, 8) != (bypassed ? 1.0 : 0.0)) return ::testing::AssertionFailure() << "Bypass moved";
        return ::testing::AssertionSuccess();
    }
};

}  // namespace

TEST_F(PresetTest, ProgramListShowsEveryPresetAndEachSetsExactlyItsValues) {
    Plugin plugin = createPlugin(module.factory);
    v3_unit_information** units = nullptr;
    ASSERT_EQ(queryOf(plugin.controller, v3_unit_information_iid, reinterpret_cast<void**>(&units)), V3_OK);
    v3_unit_info unit;
    v3_program_list_info list;
    ASSERT_EQ(v3_cpp_obj(units)->get_unit_count(units), 1);
    ASSERT_EQ(v3_cpp_obj(units)->get_unit_info(units, 0, &unit), V3_OK);
    ASSERT_EQ(v3_cpp_obj(units)->get_program_list_count(units), 1);
    ASSERT_EQ(v3_cpp_obj(units)->get_program_list_info(units, 0, &list), V3_OK);
    EXPECT_EQ(std::vector<int32_t>({unit.id, unit.parent_unit_id, unit.program_list_id}),
              std::vector<int32_t>({0, -1, list.id}));
    ASSERT_EQ(list.programCount, kPresetCount);
    const int32_t count = plugin.ctrl()->get_parameter_count(plugin.controller);
    v3_param_info info;
    ASSERT_EQ(plugin.ctrl()->get_parameter_info(plugin.controller, count - 1, &info), V3_OK);
    EXPECT_EQ(info.param_id, kProgramId);
    EXPECT_EQ(info.flags, V3_PARAM_IS_LIST | V3_PARAM_PROGRAM_CHANGE);
    EXPECT_EQ(info.step_count, kPresetCount - 1);
    EXPECT_EQ(info.unit_id, unit.id);
    for (int32_t preset = 0; preset < kPresetCount; ++preset) {
        v3_str_128 name = {}, text = {};
        ASSERT_EQ(v3_cpp_obj(units)->get_program_name(units, list.id, preset, name), V3_OK);
        EXPECT_EQ(ascii(name), kPresets[preset].name);
        const double picks = preset / (kPresetCount - 1.0);
        plugin.ctrl()->get_parameter_string_for_value(plugin.controller, kProgramId, picks, text);
        EXPECT_EQ(ascii(text), kPresets[preset].name);
        double read = -1.0;
        EXPECT_EQ(plugin.ctrl()->get_parameter_value_for_string(plugin.controller, kProgramId, name, &read), V3_OK);
        EXPECT_EQ(read, picks);
        for (bool bypassed : {false, true}) {
            const std::vector<float> byHand = renderByHand(preset, bypassed);
            // Chosen in the host's menu: the controller's parameter, the host told to re-read.
            Plugin chosen = fresh(bypassed);
            HostHandler handler;
            chosen.ctrl()->set_component_handler(chosen.controller, handler.as<v3_component_handler>());
            set(chosen, kProgramId, picks);
            EXPECT_TRUE(holdsPreset(chosen, preset, bypassed)) << kPresets[preset].name;
            EXPECT_EQ(value(chosen, kProgramId), picks);
            EXPECT_EQ(handler.calls, std::vector<std::string>{"restart 4"});
            EXPECT_EQ(render(chosen), byHand) << kPresets[preset].name;
            chosen.ctrl()->set_component_handler(chosen.controller, nullptr);
            releasePlugin(chosen);
            // Sent to the processor in a block: the preset from that block's frame on.
            Plugin sent = fresh(bypassed);
            HostChanges change;
            change.add(kProgramId, {{0, picks}});
            EXPECT_EQ(render(sent, &change), byHand) << kPresets[preset].name;
            EXPECT_TRUE(holdsPreset(sent, preset, bypassed)) << kPresets[preset].name;
            releasePlugin(sent);
        }
    }
    EXPECT_NE(v3_cpp_obj(units)->get_program_name(units, list.id, kPresetCount, nullptr), V3_OK);
    v3_cpp_obj_unref(units);
    releasePlugin(plugin);
}

TEST_F(PresetTest, FactoryPresetFilesLoadThroughTheStateAndBrokenOnesChangeNothing) {
    Plugin plugin = createPlugin(module.factory);
    v3_class_info cls;
    v3_cpp_obj(module.factory)->get_class_info(module.factory, 0, &cls);
    const uint8_t* id = reinterpret_cast<const uint8_t*>(cls.class_id);
    char classId[33];  // the class id as hosts write it (the COM layout's words read back)
    std::snprintf(classId, sizeof classId, "%08X%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X",
                  id[0] | id[1] << 8 | id[2] << 16 | static_cast<unsigned>(id[3]) << 24, id[4] | id[5] << 8,
                  id[6] | id[7] << 8, id[8], id[9], id[10], id[11], id[12], id[13], id[14], id[15]);
    const std::string dir = bundleBesideProgram() + "\\..\\vst3-presets\\Dorlin Audio Technologies\\Dorlin Quillet\\";
    for (int32_t preset = 0; preset < kPresetCount; ++preset) {
        std::ifstream in(dir + kPresets[preset].name + ".vstpreset", std::ios::binary);
        const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
        ASSERT_GE(file.size(), 48u) << kPresets[preset].name;
        auto number = [&](size_t at, int bytes) {
            uint64_t v = 0;
            for (int i = 0; i < bytes && at + i < file.size(); ++i) v |= uint64_t{file[at + i]} << (8 * i);
            return v;
        };
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "VST3");
        EXPECT_EQ(number(4, 4), 1u);
        EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 40), classId);
        const size_t list = number(40, 8);
        ASSERT_EQ(std::string(file.begin() + list, file.begin() + list + 4), "List");
        HostStream comp;
        for (uint64_t e = 0; e < number(list + 4, 4); ++e) {
            const size_t entry = list + 8 + e * 20, at = number(entry + 4, 8), size = number(entry + 12, 8);
            if (std::string(file.begin() + entry, file.begin() + entry + 4) == "Comp")
                comp.bytes.assign(file.begin() + at, file.begin() + at + size);
        }
        for (bool bypassed : {false, true}) {
            Plugin loaded = fresh(bypassed);
            comp.at = 0;
            ASSERT_EQ(loaded.comp()->set_state(loaded.component, comp.as<v3_bstream>()), V3_OK);
            EXPECT_TRUE(holdsPreset(loaded, preset, bypassed)) << kPresets[preset].name;
            EXPECT_EQ(render(loaded), renderByHand(preset, bypassed)) << kPresets[preset].name;
            releasePlugin(loaded);
        }
        // Cut short anywhere, or corrupt: refused whole.
        HostStream before;
        plugin.comp()->get_state(plugin.component, before.as<v3_bstream>());
        for (const auto& [what, blob] : badStateBlobs(comp.bytes, 20)) {
            HostStream bad, now;
            bad.bytes = blob;
            EXPECT_EQ(plugin.comp()->set_state(plugin.component, bad.as<v3_bstream>()), V3_FALSE) << what;
            plugin.comp()->get_state(plugin.component, now.as<v3_bstream>());
            ASSERT_EQ(now.bytes, before.bytes) << kPresets[preset].name << ": " << what;
        }
    }
    releasePlugin(plugin);
}
