// The factory presets as VST 3 hosts load them: each sets exactly its values, renders
// as them set by hand and never touches Bypass; a broken preset file changes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "travesty/unit.h"

#include "../../core/product_identity.h"
#include "bad_state_blobs.h"
#include "presets.h"
#include "vst3_test_host.h"

namespace {

constexpr int32_t kFrames = 4096;
constexpr v3_param_id kProgramId = 2000;

std::string ascii(const int16_t* text) {
    return std::string(text, text + std::char_traits<char16_t>::length(reinterpret_cast<const char16_t*>(text)));
}

struct PresetTest : ::testing::Test {
    Vst3Module module = loadBundle();
    void TearDown() override { unloadBundle(module); }
    double value(const Plugin& p, v3_param_id id) { return p.ctrl()->get_parameter_normalised(p.controller, id); }
    void set(const Plugin& p, v3_param_id id, double v) { p.ctrl()->set_parameter_normalised(p.controller, id, v); }
    // A new instance (no program chosen), every parameter away from the preset, Bypass as asked.
    Plugin fresh(bool bypassed) {
        Plugin p = createPlugin(module.factory);
        for (v3_param_id id = 0; id < 9; ++id) set(p, id, id < 8 ? 0.3 : bypassed);
        return p;
    }
    // One block of bursts over a tone; the plug-in released after it.
    std::vector<float> render(Plugin p, HostChanges* changes = nullptr) {
        std::vector<float> in(2 * kFrames), out(2 * kFrames);
        for (int i = 0; i < kFrames; ++i)
            in[i] = std::sin(i * 0.05f) * std::exp(-(i % 1024) / 300.0f), in[kFrames + i] = 0.3f * std::sin(i * 0.011f);
        processBlock(p, in.data(), in.data() + kFrames, out.data(), out.data() + kFrames, kFrames, changes);
        releasePlugin(p);
        return out;
    }
    // The preset's values set one by one, as a user would.
    std::vector<float> byHand(int32_t preset, bool bypassed) {
        Plugin p = fresh(bypassed);
        for (v3_param_id id = 0; id < 8; ++id) set(p, id, presetNormalised(preset, static_cast<int32_t>(id)));
        return render(p);
    }
    ::testing::AssertionResult holds(const Plugin& p, int32_t preset, bool bypassed) {
        for (v3_param_id id = 0; id < 9; ++id)
            if (value(p, id) != (id < 8 ? presetNormalised(preset, static_cast<int32_t>(id)) : bypassed))
                return ::testing::AssertionFailure() << kPresets[preset].name << ": parameter " << id;
        return ::testing::AssertionSuccess();
    }
};

}  // namespace

// Each preset, Bypass off and on, into a fresh instance three ways, each kept in the state: chosen in the program
// list (IUnitInfo and the program change), sent in a block among the host's points, and from its .vstpreset file.
TEST_F(PresetTest, ProgramListAndPresetFilesSetExactlyEachPresetsValues) {
    Plugin plugin = createPlugin(module.factory);
    v3_unit_information** units = nullptr;
    ASSERT_EQ(queryOf(plugin.controller, v3_unit_information_iid, reinterpret_cast<void**>(&units)), V3_OK);
    v3_unit_info unit;
    v3_program_list_info list;
    ASSERT_EQ(v3_cpp_obj(units)->get_unit_count(units) * v3_cpp_obj(units)->get_program_list_count(units), 1);
    ASSERT_EQ(v3_cpp_obj(units)->get_unit_info(units, 0, &unit), V3_OK);
    ASSERT_EQ(v3_cpp_obj(units)->get_program_list_info(units, 0, &list), V3_OK);
    EXPECT_EQ(std::vector<int32_t>({unit.id, unit.parent_unit_id, unit.program_list_id, list.programCount}),
              std::vector<int32_t>({0, -1, list.id, kPresetCount}));
    v3_param_info info;
    const int32_t last = plugin.ctrl()->get_parameter_count(plugin.controller) - 1;
    ASSERT_EQ(plugin.ctrl()->get_parameter_info(plugin.controller, last, &info), V3_OK);
    EXPECT_EQ(std::vector<int32_t>({int32_t(info.param_id), info.flags, info.step_count, info.unit_id}),
              std::vector<int32_t>({kProgramId, V3_PARAM_IS_LIST | V3_PARAM_PROGRAM_CHANGE | V3_PARAM_IS_HIDDEN,
                                    kPresetCount - 1, 0}));
    char classId[33];  // the class id as moduleinfo.json and hosts write it
    std::snprintf(classId, sizeof classId, "%08X%08X%08X%08X", unsigned(kVst3ClassId[0]), unsigned(kVst3ClassId[1]),
                  unsigned(kVst3ClassId[2]), unsigned(kVst3ClassId[3]));
    const std::string dir = bundleBesideProgram() + "\\..\\vst3-presets\\Dorlin Audio Technologies\\Dorlin Quillet\\";
    HostStream comp;
    for (int32_t preset = 0; preset < kPresetCount; ++preset) {
        v3_str_128 name = {};
        const double picks = preset / (kPresetCount - 1.0);
        v3_cpp_obj(units)->get_program_name(units, list.id, preset, name);
        EXPECT_EQ(ascii(name), kPresets[preset].name);
        std::ifstream in(dir + kPresets[preset].name + ".vstpreset", std::ios::binary);
        const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
        auto bytes = [&](size_t at, size_t n) {
            return at + n <= file.size() ? std::string(&file[at], &file[at] + n) : std::string();
        };
        auto number = [&](size_t at, int n) {
            uint64_t v = 0;
            for (int i = 0; i < n && at + i < file.size(); ++i) v |= uint64_t{file[at + i]} << (8 * i);
            return v;
        };
        EXPECT_EQ(bytes(0, 4) + std::to_string(number(4, 4)) + bytes(8, 32), std::string("VST31") + classId);
        const size_t chunks = number(40, 8);
        ASSERT_EQ(bytes(chunks, 4), "List") << kPresets[preset].name;
        for (uint64_t e = 0, at = chunks + 8; e < number(chunks + 4, 4); ++e, at += 20)
            if (bytes(at, 4) == "Comp")
                comp.bytes.assign(&file[number(at + 4, 8)], &file[number(at + 4, 8)] + number(at + 12, 8));
        for (bool bypassed : {false, true}) {
            const std::vector<float> expected = byHand(preset, bypassed);
            Plugin chosen = fresh(bypassed), sent = fresh(bypassed), loaded = fresh(bypassed), points = fresh(bypassed);
            HostHandler handler;
            chosen.ctrl()->set_component_handler(chosen.controller, handler.as<v3_component_handler>());
            set(chosen, kProgramId, picks);
            chosen.ctrl()->set_component_handler(chosen.controller, nullptr);
            EXPECT_EQ(handler.calls, std::vector<std::string>{"restart 4"});
            EXPECT_EQ(value(chosen, kProgramId), picks);
            // The current program sent again in a block (as at playback start) keeps an edit made since.
            HostChanges again;
            again.add(kProgramId, {{0, picks}});
            set(chosen, 0, 0.75);
            processBlock(chosen, nullptr, nullptr, nullptr, nullptr, 0, &again);
            EXPECT_EQ(value(chosen, 0), 0.75);
            set(chosen, 0, presetNormalised(preset, 0));
            // In a block at its frame: the host's point before it gives way, the one after it wins.
            HostChanges change, asPoints;
            change.add(kProgramId, {{1000, picks}}), change.add(0, {{500, 0.9}}), change.add(1, {{1500, 0.8}});
            for (v3_param_id id = 0; id < 8; ++id) {
                HostQueue& q = asPoints.add(id, {{1000, presetNormalised(preset, int32_t(id))}});
                if (id < 2) q.points.insert(q.points.begin() + id, change.find(id)->points[0]);
            }
            comp.at = 0;
            ASSERT_EQ(loaded.comp()->set_state(loaded.component, comp.as<v3_bstream>()), V3_OK);
            // A state saved before programs were (a fresh instance's) reads as none chosen: the same one loads again.
            HostStream saved, older;
            loaded.comp()->get_state(loaded.component, saved.as<v3_bstream>());
            points.comp()->get_state(points.component, older.as<v3_bstream>());
            for (HostStream* state : {&older, &saved})
                ASSERT_EQ(loaded.comp()->set_state(loaded.component, state->as<v3_bstream>()), V3_OK);
            older.at = 0;
            ASSERT_EQ(chosen.comp()->set_state(chosen.component, older.as<v3_bstream>()), V3_OK);
            processBlock(chosen, nullptr, nullptr, nullptr, nullptr, 0, &again);
            EXPECT_EQ(std::make_pair(value(loaded, kProgramId), value(chosen, kProgramId)), std::make_pair(picks, picks));
            EXPECT_TRUE(holds(chosen, preset, bypassed) && holds(loaded, preset, bypassed));
            EXPECT_EQ(render(chosen), expected) << kPresets[preset].name;
            EXPECT_EQ(render(sent, &change), render(points, &asPoints)) << kPresets[preset].name;
            EXPECT_EQ(render(loaded), expected) << kPresets[preset].name;
        }
    }
    // A preset file's state cut short anywhere, or corrupt: refused whole.
    HostStream before;
    plugin.comp()->get_state(plugin.component, before.as<v3_bstream>());
    for (const auto& [what, blob] : badStateBlobs(comp.bytes, 20)) {
        HostStream bad, now;
        bad.bytes = blob;
        EXPECT_EQ(plugin.comp()->set_state(plugin.component, bad.as<v3_bstream>()), V3_FALSE) << what;
        plugin.comp()->get_state(plugin.component, now.as<v3_bstream>());
        ASSERT_EQ(now.bytes, before.bytes) << what;
    }
    v3_cpp_obj_unref(units);
    releasePlugin(plugin);
}
