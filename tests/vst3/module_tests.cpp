// The module as a host first meets it: moduleinfo.json against the factory's
// class in every form, interface queries on one count, and a thousand
// instances made and freed.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

#include "editor_test_support.h"
#include "vst3_test_host.h"

namespace {

const v3_result kNoInterface = static_cast<v3_result>(V3_NO_INTERFACE);

std::string ascii(const int16_t* text) {
    std::string s;
    for (; *text; ++text) s += static_cast<char>(*text);
    return s;
}

}  // namespace

TEST(Vst3Module, FactoryAndModuleInfoFileOneEffectClassAlike) {
    Vst3Module m = loadBundle();
    ASSERT_NE(m.factory, nullptr);
    v3_factory_info fi;
    v3_class_info c1;
    v3_class_info_2 c2;
    v3_class_info_3 c3;
    v3_plugin_factory_2** f2 = nullptr;
    v3_plugin_factory_3** f3 = nullptr;
    ASSERT_EQ(queryOf(m.factory, v3_plugin_factory_2_iid, reinterpret_cast<void**>(&f2)), V3_OK);
    ASSERT_EQ(queryOf(m.factory, v3_plugin_factory_3_iid, reinterpret_cast<void**>(&f3)), V3_OK);
    ASSERT_EQ(v3_cpp_obj(m.factory)->get_factory_info(m.factory, &fi), V3_OK);
    ASSERT_EQ(v3_cpp_obj(m.factory)->num_classes(m.factory), 1);
    ASSERT_EQ(v3_cpp_obj(m.factory)->get_class_info(m.factory, 0, &c1), V3_OK);
    ASSERT_EQ(v3_cpp_obj(f2)->get_class_info_2(f2, 0, &c2), V3_OK);
    ASSERT_EQ(v3_cpp_obj(f3)->get_class_info_utf16(f3, 0, &c3), V3_OK);
    EXPECT_NE(v3_cpp_obj(m.factory)->get_class_info(m.factory, 1, &c1), V3_OK);
    EXPECT_EQ(fi.flags, 0x10) << "unicode";

    std::stringstream file;
    file << std::ifstream(bundleBesideProgram() + "/Contents/Resources/moduleinfo.json").rdbuf();
    const std::string json = file.str();
    const auto value = [&](const std::string& key) {
        std::smatch m;
        return std::regex_search(json, m, std::regex("\"" + key + "\": \"?([^\"\\n]*)")) ? m[1].str() : "";
    };
    // The text id reads as a COM GUID: the first word and each half of the
    // second little-endian in memory, the rest as written.
    const std::string cid = value("CID");
    ASSERT_EQ(cid.size(), 32u) << json;
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (const uint8_t* id : {c1.class_id, c2.class_id, c3.class_id})
        for (int i = 0; i < 16; ++i) EXPECT_EQ(id[i], std::stoi(cid.substr(2 * order[i], 2), nullptr, 16)) << cid;
    EXPECT_EQ(value("Name"), c1.name);
    EXPECT_EQ(value("Vendor"), fi.vendor);
    EXPECT_EQ(value("Category"), c2.category);
    EXPECT_EQ(value("Version"), c2.version);
    EXPECT_NE(json.find("\"Sub Categories\": [\"Fx\", \"Dynamics\"]"), std::string::npos);
    EXPECT_EQ(std::string(c2.sub_categories) + c2.category, "Fx|DynamicsAudio Module Class");
    EXPECT_EQ(ascii(c3.name) + ascii(c3.vendor) + ascii(c3.version), std::string(c2.name) + c2.vendor + "1.0.0");

    // Unknown classes and interfaces: no object, and the factory's count balances.
    void* obj = &obj;
    const v3_tuid other = {1, 2, 3};
    EXPECT_EQ(v3_cpp_obj(m.factory)->create_instance(m.factory, other, v3_component_iid, &obj), kNoInterface);
    EXPECT_EQ(obj, nullptr);
    obj = &obj;
    EXPECT_EQ(v3_cpp_obj(m.factory)->create_instance(m.factory, c1.class_id, other, &obj), kNoInterface);
    EXPECT_EQ(obj, nullptr);
    obj = &obj;
    EXPECT_EQ(queryOf(m.factory, v3_component_iid, &obj), kNoInterface);
    EXPECT_EQ(obj, nullptr);
    v3_cpp_obj_unref(f2), v3_cpp_obj_unref(f3);
    EXPECT_EQ(v3_cpp_obj_unref(m.factory), 0u);
    m.factory = nullptr;
    unloadBundle(m);
}

TEST(Vst3Module, EveryFaceAnswersTheSameQueriesOnOneCount) {
    Vst3Module m = loadBundle();
    Plugin p = createPlugin(m.factory);
    ASSERT_TRUE(p.component && p.processor && p.controller);
    // IUnknown's id as COM writes it gives the object's identity.
    const v3_tuid unknownIid = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    void* identity = nullptr;
    ASSERT_EQ(queryOf(p.component, unknownIid, &identity), V3_OK);
    const v3_tuid unknownKinds[] = {{9, 9, 9}, V3_ID_COPY(v3_plugin_view_iid), V3_ID_COPY(v3_connection_point_iid),
                                    V3_ID_COPY(v3_midi_mapping_iid), V3_ID_COPY(v3_plugin_factory_iid)};
    for (void* face : {static_cast<void*>(p.component), static_cast<void*>(p.processor), static_cast<void*>(p.controller)}) {
        void* got[3] = {};
        EXPECT_EQ(queryOf(face, v3_funknown_iid, &got[0]) | queryOf(face, v3_edit_controller_iid, &got[1]) |
                      queryOf(face, v3_audio_processor_iid, &got[2]), V3_OK);
        EXPECT_TRUE(got[0] == identity && got[1] == p.controller && got[2] == p.processor);
        for (void* held : got) v3_cpp_obj_unref(static_cast<v3_funknown**>(held));
        for (const auto& iid : unknownKinds) {
            void* none = &none;
            EXPECT_EQ(queryOf(face, iid, &none), kNoInterface);
            EXPECT_EQ(none, nullptr);
        }
    }
    // The three faces and the identity the test holds: one count for all.
    EXPECT_EQ(v3_cpp_obj_ref(p.processor), 5u);
    EXPECT_EQ(v3_cpp_obj_unref(p.controller), 4u);
    EXPECT_EQ(v3_cpp_obj_unref(static_cast<v3_funknown**>(identity)), 3u);
    releasePlugin(p);
    unloadBundle(m);
}

TEST(Vst3Module, AThousandInstancesComeAndGoWithHandlesAndMemoryFlat) {
    Vst3Module m = loadBundle();
    HWND parent = createChildParent();
    std::vector<float> in(512, 0.25f), out(512);
    auto cycle = [&](bool attach) {
        Plugin p = createPlugin(m.factory);
        processBlock(p, in.data(), in.data(), out.data(), out.data(), 512);
        v3_plugin_view** view = p.ctrl()->create_view(p.controller, "editor");
        if (attach) v3_cpp_obj(view)->attached(view, parent, "HWND"), pumpMessages();
        releasePlugin(p);  // before the view, which holds the instance and may be attached
        v3_cpp_obj_unref(view);
    };
    for (int i = 0; i < 20; ++i) cycle(i % 2);
    const size_t bytes = privateBytes();
    const int gdi = liveGdiObjectCount(), windows = liveWindowCount();
    DWORD handles = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    for (int i = 0; i < 1000; ++i) cycle(i % 20 == 0);
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(privateBytes(), bytes + 512 * 1024);
    EXPECT_EQ(liveGdiObjectCount(), gdi);
    EXPECT_EQ(liveWindowCount(), windows);
    EXPECT_EQ(handlesAfter, handles);
    DestroyWindow(parent);
    unloadBundle(m);
}
