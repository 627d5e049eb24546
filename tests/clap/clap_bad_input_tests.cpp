// State through the host's streams, and a host that misbehaves: calls out of
// order, odd extension ids, events and buffers the plug-in must not trust,
// streams that fail, and many instances made and destroyed.
#include <cmath>
#include <functional>
#include <string>

#include "bad_state_blobs.h"
#include "clap_fixture.h"
#include "product_identity.h"
#if defined(_WIN32)
#include <windows.h>
#include <psapi.h>
#else
#include <unistd.h>
#endif

namespace {

using ClapStateTest = ClapTest;
using ClapBadInputTest = ClapTest;

std::vector<double> valuesOf(const TestPlugin& p) {
    std::vector<double> v;
    for (clap_id id = 0; id < kParamCount; ++id) v.push_back(valueOf(p, id));
    return v;
}

std::vector<uint8_t> savedState(const TestPlugin& p) {
    OutputStream out;
    EXPECT_TRUE(p.state->save(p.plugin, &out.stream));
    return out.bytes;
}

TEST_F(ClapStateTest, RoundTripThroughStreamsThatMoveFewBytesAtATime) {
    ASSERT_NE(plugin.state, nullptr);
    const float odd[kParamCount] = {0.3f, 0.123456789f, 1e-7f, 0.999999f, 0.0f, 1.0f, 0.7f, 0.01f, 1.0f};
    setAll(plugin, odd);
    OutputStream out;
    out.chunk = 1;
    ASSERT_TRUE(plugin.state->save(plugin.plugin, &out.stream));
    EXPECT_EQ(out.bytes, savedState(plugin)) << "the same bytes however the stream cuts them";
    TestPlugin loaded = createTestPlugin(module, host);
    activate(loaded);  // loading while active: the values reach the next block
    InputStream in(out.bytes);
    in.chunk = 3;
    ASSERT_TRUE(loaded.state->load(loaded.plugin, &in.stream));
    for (clap_id id = 0; id < kParamCount; ++id) EXPECT_EQ(valueOf(loaded, id), double(odd[id])) << id;
    destroyTestPlugin(loaded);
}

TEST_F(ClapStateTest, FailingStreamsFailTheCallAndBadBlobsChangeNothing) {
    setAll(plugin, kHardSetting);
    const std::vector<uint8_t> good = savedState(plugin);
    const std::vector<double> before = valuesOf(plugin);
    auto saveWith = [&](std::function<void(OutputStream&)> breakIt) {
        OutputStream out;
        out.chunk = 5;
        breakIt(out);
        return plugin.state->save(plugin.plugin, &out.stream);
    };
    EXPECT_FALSE(saveWith([](OutputStream& s) { s.callsBeforeError = 0; })) << "error at once";
    EXPECT_FALSE(saveWith([](OutputStream& s) { s.callsBeforeError = 3; })) << "error on the way";
    EXPECT_FALSE(saveWith([](OutputStream& s) { s.answer = 0; })) << "takes nothing";
    EXPECT_FALSE(saveWith([](OutputStream& s) { s.answer = 1000; })) << "claims more than offered";
    EXPECT_FALSE(plugin.state->save(plugin.plugin, nullptr));

    // A good blob through a broken stream, then every bad blob through a good one.
    auto loadWith = [&](std::vector<uint8_t> bytes, std::function<void(InputStream&)> breakIt) {
        InputStream in(std::move(bytes));
        in.chunk = 7;
        breakIt(in);
        return plugin.state->load(plugin.plugin, &in.stream);
    };
    TestPlugin other = createTestPlugin(module, host);  // defaults: a load would change every value
    const std::vector<uint8_t> defaults = savedState(other);
    destroyTestPlugin(other);
    EXPECT_FALSE(loadWith(defaults, [](InputStream& s) { s.callsBeforeError = 0; })) << "error at once";
    EXPECT_FALSE(loadWith(defaults, [](InputStream& s) { s.callsBeforeError = 4; })) << "error on the way";
    EXPECT_FALSE(loadWith(defaults, [](InputStream& s) { s.answer = 100000; })) << "claims more than asked";
    EXPECT_FALSE(loadWith({}, [](InputStream&) {})) << "empty";
    EXPECT_FALSE(plugin.state->load(plugin.plugin, nullptr));
    EXPECT_EQ(valuesOf(plugin), before);
    for (const auto& [what, blob] : badStateBlobs(defaults, 300)) {
        EXPECT_FALSE(loadWith(blob, [](InputStream&) {})) << what;
        ASSERT_EQ(valuesOf(plugin), before) << what;
    }
    EXPECT_TRUE(loadWith(defaults, [](InputStream&) {})) << "the good blob itself";
    EXPECT_NE(valuesOf(plugin), before);
}

// Calls a careless host makes in the wrong order or twice get a defined answer.
TEST_F(ClapBadInputTest, CallsOutOfOrder) {
    const clap_plugin_t* p = plugin.plugin;
    StereoSignal s(64);
    s.at(0);
    EXPECT_EQ(processStereo(plugin, s.in, s.out, 64), CLAP_PROCESS_ERROR) << "process before activate";
    EXPECT_EQ(s.outLeft[0], -7.0f) << "and nothing written";
    EXPECT_FALSE(p->start_processing(p));
    p->reset(p), p->stop_processing(p), p->deactivate(p);
    EXPECT_FALSE(p->init(p)) << "init twice";
    ASSERT_TRUE(p->activate(p, 44100.0, 1, 512));
    EXPECT_FALSE(p->activate(p, 96000.0, 1, 512)) << "activate twice";
    EXPECT_EQ(processStereo(plugin, s.in, s.out, 64), CLAP_PROCESS_CONTINUE) << "active, processing not started";
    p->on_main_thread(p);
    for (const char* id : {static_cast<const char*>(nullptr), "", "clap.params.draft", "clap.unknown", "clap.gui "})
        EXPECT_EQ(p->get_extension(p, id), nullptr) << (id ? id : "null");
#if !defined(_WIN32)
    EXPECT_EQ(p->get_extension(p, CLAP_EXT_GUI), nullptr) << "no editor on Linux";
#endif
    // Destroyed while active and processing (TearDown): as a careful host's.
    ASSERT_TRUE(p->start_processing(p));

    // An instance made but never initialised, and one with a host that
    // offers no extensions at all.
    const clap_plugin_factory_t* f = pluginFactory(module);
    const clap_plugin_t* bare = f->create_plugin(f, &host.host, kClapPluginId);
    EXPECT_FALSE(bare->activate(bare, 44100.0, 1, 512));
    bare->destroy(bare);
    TestHost plain;
    initTestHost(plain);
    plain.host.get_extension = nullptr;
    TestPlugin lone = createTestPlugin(module, plain);
    ASSERT_NE(lone.plugin, nullptr);
    activate(lone);
    EXPECT_EQ(processStereo(lone, s.in, s.out, 64), CLAP_PROCESS_CONTINUE);
    destroyTestPlugin(lone);
}

// Rates a host should never give run as the DLL runs them: none, negative or
// NaN at the fallback rate, one beyond a float's range at the largest float.
TEST_F(ClapBadInputTest, RatesOutsideReason) {
    TestPlugin twin = createTestPlugin(module, host);
    activate(twin, 44100.0);
    StereoSignal fallback(512, 2.0f);
    fallback.at(0);
    processStereo(twin, fallback.in, fallback.out, 512);
    for (double rate : {0.0, -48000.0, std::nan(""), 1e300, double(INFINITY)}) {
        plugin.plugin->deactivate(plugin.plugin);
        activate(plugin, rate);
        StereoSignal s(512, 2.0f);
        s.at(0);
        ASSERT_EQ(processStereo(plugin, s.in, s.out, 512), CLAP_PROCESS_CONTINUE) << rate;
        if (rate > 1e6) {
            for (float v : s.outLeft) ASSERT_TRUE(std::fabs(v) <= 0.98f) << rate;
        } else {
            EXPECT_TRUE(sameBits(s.outLeft, fallback.outLeft) && sameBits(s.outRight, fallback.outRight)) << rate;
        }
    }
    destroyTestPlugin(twin);
}

// Events the compressor cannot use are ignored; times out of order or past
// the block follow the core's rule; values beyond the range clamp.
TEST_F(ClapBadInputTest, EventsItCannotUseAreIgnored) {
    TestPlugin twin = createTestPlugin(module, host);
    for (TestPlugin* p : {&plugin, &twin}) setAll(*p, kHardSetting), activate(*p);
    InputEvents junk;
    auto add = [&](uint16_t type, uint32_t size, uint16_t space = CLAP_CORE_EVENT_SPACE_ID) {
        AnyEvent e{};
        e.header = clap_event_header_t{size, 10, space, type, 0};
        junk.events.push_back(e);
        return &junk.events.back();
    };
    for (clap_id id : {9u, 100u, 1000u, CLAP_INVALID_ID}) junk.events.push_back(paramValue(5, id, 1.0));
    junk.events.push_back(paramValue(6, kThreshold, std::nan("")));
    add(CLAP_EVENT_PARAM_VALUE, sizeof(clap_event_param_value_t), 1)->value.param_id = kThreshold;  // another space
    add(CLAP_EVENT_PARAM_VALUE, sizeof(clap_event_header_t))->value.param_id = kThreshold;          // cut short
    for (int type : std::initializer_list<int>{CLAP_EVENT_NOTE_ON, CLAP_EVENT_PARAM_MOD, CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_TRANSPORT,
                     CLAP_EVENT_MIDI, 200})
        add(static_cast<uint16_t>(type), sizeof(AnyEvent))->value.param_id = kThreshold;
    StereoSignal a(512, 2.0f), b(512, 2.0f);
    a.at(0), b.at(0);
    ASSERT_EQ(processStereo(plugin, a.in, a.out, 512, &junk.list), CLAP_PROCESS_CONTINUE);
    processStereo(twin, b.in, b.out, 512);
    EXPECT_TRUE(sameBits(a.outLeft, b.outLeft) && sameBits(a.outRight, b.outRight));
    EXPECT_EQ(valuesOf(plugin), valuesOf(twin));

    // Out of order: the later-listed event at 100 counts at 300 (the one
    // before it); past the end: after the block; beyond the range: clamped.
    InputEvents odd;
    odd.events = {paramValue(300, kRatio, 1.0), paramValue(100, kThreshold, -5.0), paramValue(9999, kMix, 7.0),
                  paramValue(UINT32_MAX, kGlue, 1e300)};
    processStereo(plugin, a.in, a.out, 512, &odd.list);
    b.at(0);
    processStereo(twin, b.in, b.out, 300);
    setValueByFlush(twin, kRatio, 1.0), setValueByFlush(twin, kThreshold, 0.0);
    b.at(300);
    processStereo(twin, b.in, b.out, 212);
    setValueByFlush(twin, kMix, 1.0), setValueByFlush(twin, kGlue, 1.0);
    EXPECT_TRUE(sameBits(a.outLeft, b.outLeft) && sameBits(a.outRight, b.outRight));
    EXPECT_EQ(valuesOf(plugin), valuesOf(twin));
    EXPECT_EQ(valueOf(plugin, kMix), 1.0);
    EXPECT_EQ(valueOf(plugin, kThreshold), 0.0);
    EXPECT_EQ(valueOf(plugin, 100), valueOf(twin, 100));

    // Lists that are themselves broken.
    clap_input_events_t noGet{&junk, junk.list.size, nullptr};
    EXPECT_EQ(processStereo(plugin, a.in, a.out, 64, &noGet), CLAP_PROCESS_CONTINUE);
    InputEvents nulls;
    nulls.list.get = [](const clap_input_events_t*, uint32_t) -> const clap_event_header_t* { return nullptr; };
    nulls.events.resize(3);
    EXPECT_EQ(processStereo(plugin, a.in, a.out, 64, &nulls.list), CLAP_PROCESS_CONTINUE);
    destroyTestPlugin(twin);
}

// Buffers that are not one stereo pair: the call fails, writable outputs get
// silence, the block's events still apply, nothing else is touched.
TEST_F(ClapBadInputTest, BuffersThatAreNotOneStereoPair) {
    activate(plugin);
    std::vector<float> l(64, 0.5f), r(64, 0.5f), o1(64, 9.0f), o2(64, 9.0f), o3(64, 9.0f);
    float* good[3] = {l.data(), r.data(), nullptr};
    float* outs[3] = {o1.data(), o2.data(), o3.data()};
    float* nullLeft[2] = {nullptr, r.data()};
    struct Case {
        const char* what;
        clap_audio_buffer_t in[2], out[2];
        uint32_t inCount, outCount, frames;
    };
    const clap_audio_buffer_t stereoIn{good, nullptr, 2, 0, 0}, stereoOut{outs, nullptr, 2, 0, 0};
    Case cases[] = {
        {"null left input", {{nullLeft, nullptr, 2, 0, 0}}, {stereoOut}, 1, 1, 64},
        {"null input channels", {{nullptr, nullptr, 2, 0, 0}}, {stereoOut}, 1, 1, 64},
        {"mono input", {{good, nullptr, 1, 0, 0}}, {stereoOut}, 1, 1, 64},
        {"three output channels", {stereoIn}, {{outs, nullptr, 3, 0, 0}}, 1, 1, 64},
        {"no input port", {stereoIn}, {stereoOut}, 0, 1, 64},
        {"two output ports", {stereoIn}, {stereoOut, stereoOut}, 1, 2, 64},
        {"64-bit only", {{nullptr, reinterpret_cast<double**>(good), 2, 0, 0}}, {stereoOut}, 1, 1, 64},
        {"more frames than a block can have", {stereoIn}, {stereoOut}, 1, 1, 0x80000000u},
    };
    for (Case& c : cases) {
        o1.assign(64, 9.0f), o2.assign(64, 9.0f), o3.assign(64, 9.0f);
        InputEvents events;
        events.events.push_back(paramValue(3, kMakeup, 0.75));
        const clap_process_t process{-1, c.frames, nullptr, c.in, c.out, c.inCount, c.outCount, &events.list, nullptr};
        EXPECT_EQ(plugin.plugin->process(plugin.plugin, &process), CLAP_PROCESS_ERROR) << c.what;
        const float expected = c.frames > 64 ? 9.0f : 0.0f;
        for (const std::vector<float>* o : {&o1, &o2})
            EXPECT_EQ(*o, std::vector<float>(64, expected)) << c.what;
        if (c.frames <= 64) {
            EXPECT_EQ(valueOf(plugin, kMakeup), 0.75) << c.what;
        }
        setValueByFlush(plugin, kMakeup, 0.25);
    }
    EXPECT_EQ(plugin.plugin->process(plugin.plugin, nullptr), CLAP_PROCESS_ERROR);
}

size_t memoryInUse() {
#if defined(_WIN32)
    PROCESS_MEMORY_COUNTERS_EX c{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c), sizeof c);
    return c.PrivateUsage;
#else
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f && std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    if (f) std::fclose(f);
    return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

TEST_F(ClapBadInputTest, AThousandInstancesLeaveMemoryFlat) {
    StereoSignal s(64);
    s.at(0);
    auto cycle = [&] {
        TestPlugin p = createTestPlugin(module, host);
        ASSERT_NE(p.plugin, nullptr);
        activate(p);
        OutputStream state;
        p.state->save(p.plugin, &state.stream);
        processStereo(p, s.in, s.out, 64);
        destroyTestPlugin(p);  // active and processing: as a careless host leaves it
    };
    for (int i = 0; i < 100; ++i) cycle();
    const size_t before = memoryInUse();
    for (int i = 0; i < 1000; ++i) cycle();
    const size_t after = memoryInUse();
    EXPECT_LT(after, before + 256 * 1024) << before << " -> " << after << " bytes";
}

}  // namespace
