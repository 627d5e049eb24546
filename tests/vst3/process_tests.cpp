// The processor against the VST 2 DLL, bit for bit and meter for meter:
// whole programs at four block sizes, changes inside a block against the
// DLL's host cutting the block there, and the bad input a host can send.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>

#include "../../core/plugin_core.h"
#include "engine_test_signals.h"
#include "vst3_test_host.h"
#include "vst_host.h"

namespace {

constexpr int32_t kBlock = 4096;
constexpr v3_param_id kMeterId = 100;

// A change as the VST 2 host makes it: cut the block at `offset`, then set.
struct Split {
    int32_t offset, index;
    float value;
};

struct ProcessTest : ::testing::Test {
    Vst3Module module = loadBundle();
    LoadedPlugin dll = loadPlugin(pluginPathBesideProgram());
    Plugin plugin;
    AEffect* twin = nullptr;
    // The core the DLL is built from, driven alike: the meter, which the DLL
    // does not report.
    PluginCore meterTwin;
    std::vector<float> l, r, outL, outR, twinL, twinR;

    void SetUp() override { fresh(); }
    void TearDown() override { releasePlugin(plugin), closeEffect(twin), unloadPlugin(dll), unloadBundle(module); }
    // A new instance of each at `rate`, and the program again.
    void fresh(double rate = 44100.0) {
        if (plugin.processor) releasePlugin(plugin);
        if (twin) closeEffect(twin);
        plugin = createPlugin(module.factory, rate);
        twin = dll.entry(recordingAudioMaster);
        const float twinRate = rate > FLT_MAX ? FLT_MAX : static_cast<float>(rate);
        dispatch(twin, effSetSampleRate, 0, 0, nullptr, twinRate);
        initCore(meterTwin);
        setSampleRate(meterTwin, twinRate);
        makeProgram(l, r, 4 * kBlock, 44100.0, 1.5f);
        outL.assign(l.size(), 0.0f), outR = twinL = twinR = outL;
    }
    // One block at `at` through both, the plug-in with `changes`, the DLL cut
    // at `splits`: the plug-in clears the silence flags and sends the DLL's meter.
    void run(size_t at, int32_t n, HostChanges* changes = nullptr, std::vector<Split> splits = {}) {
        HostChanges out;
        uint64_t silence = 3;
        EXPECT_EQ(processBlock(plugin, &l[at], &r[at], &outL[at], &outR[at], n, changes, &out, &silence), V3_OK);
        EXPECT_EQ(silence, 0u);
        splits.push_back({n, -1, 0.0f});
        int32_t done = 0;
        for (const Split& s : splits) {
            float* in[2] = {&l[at + done], &r[at + done]};
            float* o[2] = {&twinL[at + done], &twinR[at + done]};
            if (s.offset > done) {
                std::vector<float> scratch(2 * (s.offset - done));
                float* meterOut[2] = {scratch.data(), scratch.data() + (s.offset - done)};
                processCore(meterTwin, in, meterOut, s.offset - done);
                twin->processReplacing(twin, in, o, s.offset - done), done = s.offset;
            }
            if (s.index >= 0) setTwin(s.index, s.value);
        }
        const HostQueue* meter = out.find(kMeterId);
        ASSERT_TRUE(meter && meter->points.size() == 1 && meter->points[0].first == n - 1);
        EXPECT_EQ(static_cast<float>(meter->points[0].second * 24.0), gainReductionMeter(meterTwin)) << at;
    }
    void setTwin(int32_t index, float value) {
        twin->setParameter(twin, index, value);
        setParameter(meterTwin, index, value);
    }
    void expectSameSound(const std::string& what) {
        const size_t bytes = sizeof(float) * l.size();
        EXPECT_TRUE(!std::memcmp(outL.data(), twinL.data(), bytes) && !std::memcmp(outR.data(), twinR.data(), bytes)) << what;
    }
};

}  // namespace

TEST_F(ProcessTest, SoundsAndMetersLikeTheDllAtEveryBlockSize) {
    const float setting[9] = {0.2f, 0.6f, 0.1f, 0.3f, 0.9f, 0.5f, 0.4f, 0.8f, 0.0f};
    for (int32_t block : {1, 64, 512, 4096}) {
        fresh();
        HostChanges changes;
        std::vector<Split> splits;
        for (int32_t i = 0; i < 9; ++i) changes.add(i, {{0, setting[i]}}), splits.push_back({0, i, setting[i]});
        for (size_t at = 0; at < l.size(); at += block) at ? run(at, block) : run(at, block, &changes, splits);
        expectSameSound("block " + std::to_string(block));
    }
}

TEST_F(ProcessTest, ChangesInsideABlockSoundLikeTheDllCutThereAndBadOnesReadAsTheCoreReadsAList) {
    struct Case {
        const char* what;
        std::vector<std::pair<v3_param_id, std::vector<std::pair<int32_t, double>>>> queues;
        std::vector<Split> splits;
    };
    std::vector<Case> cases;
    for (int32_t k : {0, 1, 37, 2048, 4095})
        cases.push_back({"at k", {{0, {{k, 0.05}, {k + 50, 0.3}}}, {6, {{k / 2, 0.9}}}},
                         {{k / 2, 6, 0.9f}, {k, 0, 0.05f}, {std::min(k + 50, kBlock), 0, 0.3f}}});
    cases.push_back({"out of order, past the block, negative, NaN, a second queue, unknown ids",
                     {{3, {{300, 0.8}, {100, 0.2}, {9000, 0.6}}}, {1, {{-5, 0.9}, {200, NAN}}}, {3, {{10, 0.0}}},
                      {77, {{10, 0.5}}}, {kMeterId, {{10, 0.5}}}},
                     {{0, 1, 0.9f}, {300, 3, 0.8f}, {300, 3, 0.2f}, {kBlock, 3, 0.6f}}});
    for (const Case& c : cases) {
        fresh();
        run(0, kBlock);
        HostChanges changes;
        for (const auto& [id, points] : c.queues) changes.add(id, points);
        run(kBlock, kBlock, &changes, c.splits);
        run(2 * kBlock, kBlock);
        expectSameSound(c.what);
    }
}

TEST_F(ProcessTest, BadBlocksAndSetupsHaveDefinedOutcomes) {
    // Before any setup or activation: the DLL's fallback rate.
    v3_class_info info;
    v3_cpp_obj(module.factory)->get_class_info(module.factory, 0, &info);
    releasePlugin(plugin);
    v3_cpp_obj(module.factory)->create_instance(module.factory, info.class_id, v3_audio_processor_iid,
                                                reinterpret_cast<void**>(&plugin.processor));
    run(0, kBlock);
    expectSameSound("unprepared");
    fresh();

    // No data, no buffers, a null channel, 64-bit buffers, a negative count:
    // nothing read or written through them, the compressor untouched, the
    // changes applied, and a call of no frames (the host's flush) only that.
    run(0, kBlock);
    EXPECT_EQ(plugin.proc()->process(plugin.processor, nullptr), static_cast<v3_result>(V3_INVALID_ARG));
    HostChanges flush, out;
    flush.add(2, {{0, 0.7}});
    std::vector<float> guard(64, 7.0f);
    uint64_t silence = 0;
    EXPECT_EQ(processBlock(plugin, nullptr, nullptr, nullptr, nullptr, 0, &flush, &out), V3_OK);
    EXPECT_EQ(processBlock(plugin, nullptr, r.data(), guard.data(), nullptr, 64, nullptr, &out, &silence), V3_OK);
    EXPECT_TRUE(guard == std::vector<float>(64, 0.0f) && silence == 1u) << "a present output channel is silenced";
    EXPECT_TRUE(out.queues.empty()) << "no meter from a block that did not run";
    std::vector<double> wide(2 * 64, 0.5);
    double* channels[2] = {wide.data(), wide.data() + 64};
    v3_audio_bus_buffers bus{2, 0, {reinterpret_cast<float**>(channels)}};
    v3_process_data data{};
    data.symbolic_sample_size = V3_SAMPLE_64, data.nframes = 64, data.num_input_buses = data.num_output_buses = 1;
    data.inputs = data.outputs = &bus;
    EXPECT_EQ(plugin.proc()->process(plugin.processor, &data), V3_OK);
    EXPECT_EQ(wide, std::vector<double>(2 * 64, 0.5));
    data.nframes = -1, data.symbolic_sample_size = V3_SAMPLE_32;
    EXPECT_NE(plugin.proc()->process(plugin.processor, &data), V3_OK);
    setTwin(2, 0.7f);
    // More than the announced largest block, NaN and infinities among the samples.
    l[kBlock + 5] = NAN, r[kBlock + 9] = INFINITY, l[3 * kBlock] = -INFINITY;
    run(kBlock, kBlock);
    run(2 * kBlock, 2 * kBlock);
    expectSameSound("after bad blocks");

    // Only one stereo bus each way, only 32-bit samples.
    v3_speaker_arrangement mono = V3_SPEAKER_M, stereo = V3_SPEAKER_L | V3_SPEAKER_R, five = 0x3F, two[2] = {stereo, stereo};
    const v3_audio_processor* proc = plugin.proc();
    EXPECT_EQ(proc->set_bus_arrangements(plugin.processor, &mono, 1, &mono, 1) & proc->set_bus_arrangements(plugin.processor, &stereo, 1, &five, 1) &
              proc->set_bus_arrangements(plugin.processor, two, 2, two, 2) & proc->set_bus_arrangements(plugin.processor, nullptr, 1, &stereo, 1),
              V3_FALSE);
    EXPECT_EQ(proc->set_bus_arrangements(plugin.processor, &stereo, 1, &stereo, 1), V3_OK);
    v3_speaker_arrangement now = 0;
    EXPECT_EQ(proc->get_bus_arrangement(plugin.processor, V3_OUTPUT, 0, &now), V3_OK);
    EXPECT_EQ(now, stereo);
    EXPECT_EQ(proc->can_process_sample_size(plugin.processor, V3_SAMPLE_64), V3_FALSE);
    EXPECT_EQ(proc->get_latency_samples(plugin.processor) + proc->get_tail_samples(plugin.processor), 0u);
    v3_process_setup wideSetup{V3_REALTIME, V3_SAMPLE_64, 512, 48000.0};
    EXPECT_EQ(proc->setup_processing(plugin.processor, &wideSetup), V3_FALSE);

    // Odd rates go through the DLL's rate rule.
    for (double rate : {0.0, -1.0, double(NAN), 1.0, 96000.0, 1e300}) {
        fresh(rate);
        run(0, kBlock);
        expectSameSound("rate " + std::to_string(rate));
    }
    // More points than a block carries: the parameter still ends at its last value.
    HostChanges many;
    HostQueue& glue = many.add(4);
    for (int i = 0; i < 10000; ++i) glue.points.push_back({i * kBlock / 10000, i / 9999.0});
    EXPECT_EQ(processBlock(plugin, l.data(), r.data(), outL.data(), outR.data(), kBlock, &many), V3_OK);
    EXPECT_EQ(plugin.ctrl()->get_parameter_normalised(plugin.controller, 4), 1.0);
}

TEST_F(ProcessTest, ActivationStartsOverAndParametersStay) {
    run(0, kBlock);
    plugin.ctrl()->set_parameter_normalised(plugin.controller, 0, 0.1);
    plugin.comp()->set_active(plugin.component, 0), plugin.comp()->set_active(plugin.component, 1);
    closeEffect(twin);
    twin = dll.entry(recordingAudioMaster);
    startOver(meterTwin);
    setTwin(0, 0.1f);
    run(kBlock, kBlock);
    expectSameSound("after activation");
}
