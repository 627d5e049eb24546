// State through the host's streams, and a host that misbehaves: calls out of
// order, odd extension ids, rates, buffers and streams the plug-in must not
// trust, and many instances made and destroyed.
#include <cmath>

#include "bad_state_blobs.h"
#include "clap_test_host.h"
#include "product_identity.h"
#if defined(_WIN32)
#include "editor_test_support.h"
#else
#include <malloc.h>
#endif

namespace {

// The blob goes out and comes back whole through streams that move a few
// bytes a call; a stream that fails, moves nothing or claims more than it
// moved fails the call, and no bad blob changes anything. A load that changed
// values asks the host to read values and texts again; one that changed
// nothing does not.
TEST_F(ClapTest, StateThroughStreamsAllOrNothing) {
    Stream defaults, whole, bytewise({}, 1);
    ASSERT_TRUE(plugin.state->save(plugin.plugin, &defaults.out));
    const float odd[kParamCount] = {0.3f, 0.123456789f, 1e-7f, 0.999999f, 0.0f, 1.0f, 0.7f, 0.01f, 1.0f};
    setAll(plugin, odd);
    ASSERT_TRUE(plugin.state->save(plugin.plugin, &whole.out) && plugin.state->save(plugin.plugin, &bytewise.out));
    EXPECT_EQ(bytewise.bytes, whole.bytes) << "the same bytes however the stream cuts them";
    TestPlugin loaded = create();
    activate(loaded);  // loading while active: the values reach the next block
    Stream in(whole.bytes, 3), same(whole.bytes);
    ASSERT_TRUE(loaded.state->load(loaded.plugin, &in.in));
    for (clap_id id = 0; id < kParamCount; ++id) EXPECT_EQ(valueOf(loaded, id), double(odd[id])) << id;
    EXPECT_EQ(host.rescans, std::vector<clap_param_rescan_flags>{CLAP_PARAM_RESCAN_VALUES | CLAP_PARAM_RESCAN_TEXT});
    ASSERT_TRUE(loaded.state->load(loaded.plugin, &same.in));
    EXPECT_EQ(host.rescans.size(), 1u) << "the same state again changes nothing";
    destroy(loaded);

    setAll(plugin, kHardSetting);  // away from the defaults: a load would change every value
    const std::vector<double> before = valuesOf(plugin);
    const struct { const char* what; int64_t callsBeforeError, answer; } broken[] = {
        {"fails at once", 0, -1}, {"fails on the way", 3, -1}, {"moves nothing", -1, 0},
        {"claims more than it moved", -1, 100000}};
    for (const auto& b : broken) {
        Stream out({}, 5), back(defaults.bytes, 5);
        for (Stream* s : {&out, &back}) s->callsBeforeError = b.callsBeforeError, s->answer = b.answer;
        EXPECT_FALSE(plugin.state->save(plugin.plugin, &out.out)) << b.what;
        EXPECT_FALSE(plugin.state->load(plugin.plugin, &back.in)) << b.what;
    }
    EXPECT_FALSE(plugin.state->save(plugin.plugin, nullptr));
    EXPECT_FALSE(plugin.state->load(plugin.plugin, nullptr));
    EXPECT_EQ(valuesOf(plugin), before);
    host.rescans.clear();
    for (const auto& [what, blob] : badStateBlobs(defaults.bytes, 300)) {
        Stream bad(blob, 7);
        EXPECT_FALSE(plugin.state->load(plugin.plugin, &bad.in)) << what;
        ASSERT_EQ(valuesOf(plugin), before) << what;
    }
    Stream good(defaults.bytes, 7);
    EXPECT_TRUE(host.rescans.empty()) << "no refused load tells the host anything";
    EXPECT_TRUE(plugin.state->load(plugin.plugin, &good.in)) << "the good blob itself";
    EXPECT_NE(valuesOf(plugin), before);
    EXPECT_EQ(host.rescans.size(), 1u);
}

// process outside start_processing and stop_processing fails and touches
// nothing: no output written, no event applied.
TEST_F(ClapTest, ProcessOnlyBetweenStartAndStop) {
    using Step = void (*)(const clap_plugin_t*);
    const struct { const char* state; Step enter; bool runs; } steps[] = {
        {"not active", [](const clap_plugin_t*) {}, false},
        {"active, processing not started", [](const clap_plugin_t* p) { p->activate(p, 48000.0, 1, 512); }, false},
        {"processing", [](const clap_plugin_t* p) { AudioThread a; p->start_processing(p); }, true},
        {"processing stopped", [](const clap_plugin_t* p) { AudioThread a; p->stop_processing(p); }, false},
        {"started again", [](const clap_plugin_t* p) { AudioThread a; p->start_processing(p); }, true},
        {"deactivated while processing", [](const clap_plugin_t* p) { p->deactivate(p); }, false}};
    double value = 0.0;
    for (const auto& step : steps) {
        step.enter(plugin.plugin);
        StereoSignal s(64);
        InputEvents events({paramValue(0, kMakeup, value += 0.1)});
        EXPECT_EQ(process(plugin, s, 0, 64, &events.list), step.runs ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR)
            << step.state;
        EXPECT_EQ(s.outLeft[0] != -7.0f, step.runs) << step.state;
        EXPECT_EQ(float(valueOf(plugin, kMakeup)) == float(value), step.runs) << step.state;
    }
}

// Debug builds stop at an entry point called on a thread the format does not
// name for it, as the host's thread check tells them.
TEST_F(ClapTest, DebugBuildsStopCallsOnTheWrongThread) {
#if defined(NDEBUG)
    GTEST_SKIP() << "release builds check nothing";
#else
    activate(plugin);
    const struct { const char* call; void (*make)(const TestPlugin&); } calls[] = {
        {"process on the main thread", [](const TestPlugin& t) { t.plugin->process(t.plugin, nullptr); }},
        {"reset on the main thread", [](const TestPlugin& t) { t.plugin->reset(t.plugin); }},
        {"flush while active on the main thread", [](const TestPlugin& t) { t.params->flush(t.plugin, nullptr, nullptr); }},
        {"get_value on the audio thread", [](const TestPlugin& t) { AudioThread a; valueOf(t, kMix); }},
        {"state save on the audio thread", [](const TestPlugin& t) { AudioThread a; t.state->save(t.plugin, nullptr); }},
        {"deactivate on the audio thread", [](const TestPlugin& t) { AudioThread a; t.plugin->deactivate(t.plugin); }}};
    for (const auto& c : calls) EXPECT_DEATH(c.make(plugin), "") << c.call;
#endif
}

// Calls a careless host makes in the wrong order or twice, odd extension ids
// and event lists that are themselves broken get a defined answer.
TEST_F(ClapTest, CallsOutOfOrder) {
    const clap_plugin_t* p = plugin.plugin;
    StereoSignal s(64);
    {
        AudioThread audio;
        EXPECT_FALSE(p->start_processing(p)) << "before activate";
        p->reset(p), p->stop_processing(p);
    }
    p->deactivate(p);
    EXPECT_FALSE(p->init(p)) << "init twice";
    ASSERT_TRUE(p->activate(p, 44100.0, 1, 512));
    EXPECT_FALSE(p->activate(p, 96000.0, 1, 512)) << "activate twice";
    plugin.active = true;
    {
        AudioThread audio;
        ASSERT_TRUE(p->start_processing(p));  // and destroyed active and processing (TearDown)
    }
    p->on_main_thread(p);
    for (const char* id : {static_cast<const char*>(nullptr), "", "clap.params.draft", "clap.unknown", "clap.gui "})
        EXPECT_EQ(p->get_extension(p, id), nullptr) << (id ? id : "null");
    clap_input_events_t broken{nullptr, [](const clap_input_events_t*) { return 3u; }, nullptr};
    EXPECT_EQ(process(plugin, s, 0, 64, &broken), CLAP_PROCESS_CONTINUE) << "an event list without get";
    broken.get = [](const clap_input_events_t*, uint32_t) -> const clap_event_header_t* { return nullptr; };
    EXPECT_EQ(process(plugin, s, 0, 64, &broken), CLAP_PROCESS_CONTINUE) << "null events";

    // An instance made but never initialised, and one whose host offers no extensions.
    const clap_plugin_t* bare = factory->create_plugin(factory, &host.host, kClapPluginId);
    EXPECT_FALSE(bare->activate(bare, 44100.0, 1, 512));
    bare->destroy(bare);
    TestHost plain;
    plain.host.get_extension = nullptr;
    TestPlugin lone = create(plain);
    activate(lone);
    EXPECT_EQ(process(lone, s, 0, 64), CLAP_PROCESS_CONTINUE);
    destroy(lone);
}

// Rates a host should never give run as the DLL runs them: none, negative or
// NaN at the fallback rate, one beyond a float's range at the largest float.
TEST_F(ClapTest, RatesOutsideReason) {
    StereoSignal fallback(0);
    for (double rate : {44100.0, 0.0, -48000.0, std::nan(""), 1e300, double(INFINITY)}) {
        TestPlugin p = create();
        activate(p, rate);
        StereoSignal s(512, 2.0f);
        ASSERT_EQ(process(p, s, 0, 512), CLAP_PROCESS_CONTINUE) << rate;
        if (rate == 44100.0) fallback = s;
        if (rate > 1e6) {
            for (float v : s.outLeft) ASSERT_TRUE(std::fabs(v) <= 0.98f) << rate;
        } else {
            EXPECT_TRUE(s.sameOutput(fallback)) << rate;
        }
        destroy(p);
    }
}

// Buffers that are not one stereo pair: the call fails, writable outputs get
// silence, the block's events still apply, nothing else is touched.
TEST_F(ClapTest, BuffersThatAreNotOneStereoPair) {
    activate(plugin);
    std::vector<float> l(64, 0.5f), r(64, 0.5f), o1, o2, o3;
    float* good[3] = {l.data(), r.data(), nullptr};
    float* outs[3] = {nullptr, nullptr, nullptr};
    float* nullLeft[2] = {nullptr, r.data()};
    const clap_audio_buffer_t stereoIn{good, nullptr, 2, 0, 0}, stereoOut{outs, nullptr, 2, 0, 0};
    struct { const char* what; clap_audio_buffer_t in[2], out[2]; uint32_t inCount, outCount, frames; } cases[] = {
        {"null left input", {{nullLeft, nullptr, 2, 0, 0}}, {stereoOut}, 1, 1, 64},
        {"null input channels", {{nullptr, nullptr, 2, 0, 0}}, {stereoOut}, 1, 1, 64},
        {"mono input", {{good, nullptr, 1, 0, 0}}, {stereoOut}, 1, 1, 64},
        {"three output channels", {stereoIn}, {{outs, nullptr, 3, 0, 0}}, 1, 1, 64},
        {"no input port", {stereoIn}, {stereoOut}, 0, 1, 64},
        {"two output ports", {stereoIn}, {stereoOut, stereoOut}, 1, 2, 64},
        {"64-bit only", {{nullptr, reinterpret_cast<double**>(good), 2, 0, 0}}, {stereoOut}, 1, 1, 64},
        {"more frames than a block can have", {stereoIn}, {stereoOut}, 1, 1, 0x80000000u},
    };
    for (auto& c : cases) {
        o1.assign(64, 9.0f), o2.assign(64, 9.0f), o3.assign(64, 9.0f);
        outs[0] = o1.data(), outs[1] = o2.data(), outs[2] = o3.data();
        InputEvents events({paramValue(3, kMakeup, 0.75)});
        const clap_process_t call{-1, c.frames, nullptr, c.in, c.out, c.inCount, c.outCount, &events.list, nullptr};
        clap_process_status status;
        {
            AudioThread audio;
            status = plugin.plugin->process(plugin.plugin, &call);
        }
        EXPECT_EQ(status, CLAP_PROCESS_ERROR) << c.what;
        const bool sane = c.frames <= 64;
        EXPECT_EQ(o1, std::vector<float>(64, sane ? 0.0f : 9.0f)) << c.what;
        EXPECT_EQ(o2, o1) << c.what;
        if (sane) {
            EXPECT_EQ(valueOf(plugin, kMakeup), 0.75) << c.what;
        }
        setByFlush(plugin, kMakeup, 0.25);
    }
    AudioThread audio;
    EXPECT_EQ(plugin.plugin->process(plugin.plugin, nullptr), CLAP_PROCESS_ERROR);
}

#if defined(_WIN32)
size_t memoryInUse() { return privateBytes(); }
#else
size_t memoryInUse() { return mallinfo2().uordblks; }  // the heap's bytes in use
#endif

TEST_F(ClapTest, AThousandInstancesLeaveMemoryFlat) {
    StereoSignal s(64);
    auto cycle = [&] {
        TestPlugin p = create();
        activate(p);
        Stream state;
        p.state->save(p.plugin, &state.out);
        process(p, s, 0, 64);
        destroy(p);  // active and processing: as a careless host leaves it
    };
    for (int i = 0; i < 100; ++i) cycle();
    const size_t before = memoryInUse();
    for (int i = 0; i < 1000; ++i) cycle();
    EXPECT_LT(memoryInUse(), before + 256 * 1024) << before << " bytes before";
}

}  // namespace
