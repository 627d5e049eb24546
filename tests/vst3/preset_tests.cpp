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
    std::vector<double> values(const Plugin& p) {
        std::vector<double> v;
        for (v3_param_id id = 0; id < 9; ++id) v.push_back(value(p, id));
        return v.push_back(value(p, kProgramId)), v;
    }
    // A new instance, no program chosen, every parameter away from the presets, Bypass as asked.
    Plugin fresh(bool bypassed) {
        Plugin p = createPlugin(module.factory);
        for (v3_param_id id = 0; id < 9; ++id) set(p, id, id < 8 ? 0.3 : bypassed);
        return p;
    }
    // One block of bursts over a tone.
    std::vector<float> render(const Plugin& p, HostChanges* changes = nullptr) {
        std::vector<float> in(2 * kFrames), out(2 * kFrames);
        for (int i = 0; i < kFrames; ++i)
            in[i] = std::sin(i * 0.05f) * std::exp(-(i % 1024) / 300.0f), in[kFrames + i] = 0.3f * std::sin(i * 0.011f);
        processBlock(p, in.data(), in.data() + kFrames, out.data(), out.data() + kFrames, kFrames, changes);
        return out;
    }
    void saveState(const Plugin& p, HostStream& s) { p.comp()->get_state(p.component, s.as<v3_bstream>()); }
};

}  // namespace

// Each preset, Bypass off and on, loaded into a fresh instance each way a host loads a
// program: chosen in the program list (the program change on the controller), sent to the
// processor in a block among the host's own points, and from its .vstpreset file. Each
// renders as its values set by hand (in the block: as the host's points for them at the
// program's frame), never touches Bypass, and is the current program, saved with the state.
TEST_F(PresetTest, EachLoadPathFromAFreshInstanceSetsExactlyThePresetAndRemembersIt) {
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
    EXPECT_EQ(value(plugin, kProgramId), 0.0) << "no program: the list's first step";
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
        // In the block: the host's points before the program's frame give way to the
        // preset, those after it win, one at the same frame has the last word.
        constexpr int32_t kAt = 1000;
        auto hostPoints = [&](HostChanges& c, bool withPreset) {
            for (v3_param_id id = 0; id < 8; ++id) {
                std::vector<std::pair<int32_t, double>> points;
                if (id == 0) points.push_back({kAt - 500, 0.9});
                if (withPreset) points.push_back({kAt, presetNormalised(preset, static_cast<int32_t>(id))});
                if (id == 1) points.push_back({kAt + 2000, 0.8});
                if (id == 2) points.push_back({kAt, 0.1});
                if (!points.empty()) c.add(id, points);
            }
        };
        enum Path { kList, kBlock, kFile };
        for (Path path : {kList, kBlock, kFile})
            for (bool bypassed : {false, true}) {
                const char* how[] = {"list", "block", "file"};
                Plugin loaded = fresh(bypassed), expected = fresh(bypassed);
                HostChanges block, byHand;
                if (path == kList) {
                    HostHandler handler;
                    loaded.ctrl()->set_component_handler(loaded.controller, handler.as<v3_component_handler>());
                    set(loaded, kProgramId, picks);
                    loaded.ctrl()->set_component_handler(loaded.controller, nullptr);
                    EXPECT_EQ(handler.calls, std::vector<std::string>{"restart 4"});
                } else if (path == kBlock) {
                    block.add(kProgramId, {{kAt, picks}});
                    hostPoints(block, false), hostPoints(byHand, true);
                } else {
                    comp.at = 0;
                    ASSERT_EQ(loaded.comp()->set_state(loaded.component, comp.as<v3_bstream>()), V3_OK);
                }
                if (path != kBlock)
                    for (v3_param_id id = 0; id < 8; ++id) set(expected, id, presetNormalised(preset, int32_t(id)));
                EXPECT_EQ(render(loaded, &block), render(expected, &byHand)) << kPresets[preset].name << ", " << how[path];
                std::vector<double> want = values(expected);
                want.back() = picks;
                EXPECT_EQ(values(loaded), want) << kPresets[preset].name << ", " << how[path];
                // Saved and restored with the state; a state from before programs were
                // saved (a fresh instance's is one) reads as none, so the same program loads again.
                Plugin reloaded = fresh(bypassed);
                HostStream saved, older;
                saveState(loaded, saved), saveState(reloaded, older);
                ASSERT_EQ(reloaded.comp()->set_state(reloaded.component, saved.as<v3_bstream>()), V3_OK);
                EXPECT_EQ(values(reloaded), want) << kPresets[preset].name << ", " << how[path];
                ASSERT_EQ(loaded.comp()->set_state(loaded.component, older.as<v3_bstream>()), V3_OK);
                HostChanges again;
                again.add(kProgramId, {{0, picks}});
                render(loaded, &again);
                for (v3_param_id id = 0; id < 8; ++id)
                    EXPECT_EQ(value(loaded, id), presetNormalised(preset, int32_t(id))) << kPresets[preset].name;
                for (Plugin* p : {&loaded, &expected, &reloaded}) releasePlugin(*p);
            }
        // The current program sent again in a block (as at playback start) keeps an edit made since.
        Plugin chosen = fresh(false);
        set(chosen, kProgramId, picks);
        set(chosen, 0, 0.75);
        HostChanges again;
        again.add(kProgramId, {{0, picks}});
        processBlock(chosen, nullptr, nullptr, nullptr, nullptr, 0, &again);
        EXPECT_EQ(value(chosen, 0), 0.75);
        releasePlugin(chosen);
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
