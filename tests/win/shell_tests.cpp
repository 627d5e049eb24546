// The plug-in as a host sees it: the real DLL, driven only through its exported
// entry and the AEffect callbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "../../dsp/engine_constants.h"
#include "../../vst2/plugin_instance.h"
#include "vst_host.h"

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        plugin = loadPlugin(pluginPathBesideProgram());
        ASSERT_NE(plugin.module, nullptr) << "DorlinQuillet.dll must sit beside the test program";
        ASSERT_NE(plugin.entry, nullptr);
        recordedHostCalls().clear();
        effect = plugin.entry(recordingAudioMaster);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override {
        if (effect) closeEffect(effect);
        unloadPlugin(plugin);
    }
    PluginInstance* instance() { return static_cast<PluginInstance*>(effect->object); }

    LoadedPlugin plugin;
    AEffect* effect = nullptr;
};

// A host buffer pre-filled with 0xFF, to see exactly which bytes were written.
struct HostBuffer {
    unsigned char bytes[64];
    HostBuffer() { memset(bytes, 0xFF, sizeof bytes); }
    char* text() { return reinterpret_cast<char*>(bytes); }
    // The first n bytes hold `expected` then zeros; every byte after is untouched.
    void expectFixedWrite(const char* expected, size_t n) const {
        const size_t len = strlen(expected);
        for (size_t i = 0; i < sizeof bytes; ++i) {
            const unsigned char want = i < len ? expected[i] : (i < n ? 0 : 0xFF);
            ASSERT_EQ(bytes[i], want) << "byte " << i << " for \"" << expected << "\"";
        }
    }
    // snprintf semantics: the text and one terminating zero, nothing more.
    void expectTextWrite(const char* expected) const { expectFixedWrite(expected, strlen(expected) + 1); }
    bool untouched() const {
        for (unsigned char b : bytes)
            if (b != 0xFF) return false;
        return true;
    }
};

TEST_F(ShellTest, EffectRecordDescribesOneStereoEffectWithEditor) {
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(effect->numParams, 9);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, 17);
    EXPECT_EQ(effect->uniqueID, 0x5155494C);
    EXPECT_EQ(effect->version, 1000);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_EQ(effect->ioRatio, 0.0f);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(effect->object, static_cast<void*>(effect));
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_EQ(effect->process, effect->processReplacing);
    EXPECT_EQ(effect->processDoubleReplacing, nullptr);
    for (char b : effect->future) EXPECT_EQ(b, 0);
    EXPECT_EQ(instance()->editor, nullptr);
    EXPECT_TRUE(recordedHostCalls().empty()) << "construction never calls the host";
}

TEST_F(ShellTest, MainIsTheSameEntryAsVstPluginMain) {
    ASSERT_NE(plugin.mainAlias, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(plugin.mainAlias), reinterpret_cast<void*>(plugin.entry));
}

TEST_F(ShellTest, NullAudioMasterCreatesNothing) {
    EXPECT_EQ(plugin.entry(nullptr), nullptr);
    AEffect* second = plugin.entry(recordingAudioMaster);
    ASSERT_NE(second, nullptr);
    closeEffect(second);
}

TEST_F(ShellTest, NewInstanceAnswersTheDefaults) {
    const float defaults[9] = {0.5f, 0.35f, 0.3f, 0.15f, 0.65f, 0.35f, 0.25f, 1.0f, 0.0f};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(effect->getParameter(effect, i), defaults[i]) << i;
    EXPECT_EQ(instance()->core.hostSampleRate.load(), kFallbackSampleRate);
    EXPECT_FALSE(instance()->core.hostBypass.load());
}

TEST_F(ShellTest, SetParameterClampsAndOutOfRangeIndicesAreIgnored) {
    struct Case { float in; float stored; } cases[] = {
        {1.5f, 1.0f}, {-0.2f, 0.0f}, {std::numeric_limits<float>::quiet_NaN(), 1.0f},
        {std::numeric_limits<float>::infinity(), 1.0f}, {-std::numeric_limits<float>::infinity(), 0.0f},
        {0.3f, 0.3f}, {1.0f, 1.0f}, {1e-40f, 1e-40f}};
    for (const Case& c : cases) {
        effect->setParameter(effect, 2, c.in);
        EXPECT_EQ(effect->getParameter(effect, 2), c.stored) << c.in;
    }
    effect->setParameter(effect, 0, -0.0f);
    const float zero = effect->getParameter(effect, 0);
    EXPECT_EQ(zero, 0.0f);
    EXPECT_FALSE(std::signbit(zero)) << "-0.0 stores +0.0";

    const float before[9] = {effect->getParameter(effect, 0), effect->getParameter(effect, 1),
                             effect->getParameter(effect, 2), effect->getParameter(effect, 3),
                             effect->getParameter(effect, 4), effect->getParameter(effect, 5),
                             effect->getParameter(effect, 6), effect->getParameter(effect, 7),
                             effect->getParameter(effect, 8)};
    for (int bad : {-1, 9, 1000, std::numeric_limits<int32_t>::min()}) {
        effect->setParameter(effect, bad, 0.7f);
        EXPECT_EQ(effect->getParameter(effect, bad), 0.0f) << bad;
    }
    for (int i = 0; i < 9; ++i) EXPECT_EQ(effect->getParameter(effect, i), before[i]) << i;
}

TEST_F(ShellTest, ParameterNamesAreExactly15BytesZeroPadded) {
    const char* names[9] = {"Threshold", "Ratio", "Attack", "Release", "580 Glue",
                            "Bass Armor", "Makeup", "Mix", "Bypass"};
    for (int i = 0; i < 9; ++i) {
        HostBuffer b;
        EXPECT_EQ(dispatch(effect, effGetParamName, i, 0, b.text()), 1);
        b.expectFixedWrite(names[i], 15);
    }
}

TEST_F(ShellTest, ParameterLabelsAreExactly7BytesZeroPadded) {
    const char* labels[9] = {"dB", ":1", "ms", "ms", "%", "Hz", "dB", "%", ""};
    for (int i = 0; i < 9; ++i) {
        HostBuffer b;
        EXPECT_EQ(dispatch(effect, effGetParamLabel, i, 0, b.text()), 1);
        b.expectFixedWrite(labels[i], 7);
    }
}

TEST_F(ShellTest, DisplayTextsAtZeroDefaultsAndOne) {
    const char* atDefaults[9] = {"-18.0", "8.0", "2.8", "47", "65", "84", "+5.0", "100", "0"};
    const char* atZero[9] = {"-36.0", "1.5", "0.1", "20", "0", "0", "+0.0", "0", "0"};
    const char* atOne[9] = {"0.0", "20.0", "30.0", "1200", "100", "240", "+20.0", "100", "100"};
    for (int i = 0; i < 9; ++i) {
        HostBuffer b;
        EXPECT_EQ(dispatch(effect, effGetParamDisplay, i, 0, b.text()), 1);
        b.expectTextWrite(atDefaults[i]);
    }
    for (int i = 0; i < 9; ++i) effect->setParameter(effect, i, 0.0f);
    for (int i = 0; i < 9; ++i) {
        HostBuffer b;
        dispatch(effect, effGetParamDisplay, i, 0, b.text());
        b.expectTextWrite(atZero[i]);
    }
    for (int i = 0; i < 9; ++i) effect->setParameter(effect, i, 1.0f);
    for (int i = 0; i < 9; ++i) {
        HostBuffer b;
        dispatch(effect, effGetParamDisplay, i, 0, b.text());
        b.expectTextWrite(atOne[i]);
    }
}

TEST_F(ShellTest, TextOpcodesWithBadIndexOrNullBufferWriteNothing) {
    for (int op : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
        for (int bad : {-1, 9, 100000}) {
            HostBuffer b;
            EXPECT_EQ(dispatch(effect, op, bad, 0, b.text()), 0) << op << " " << bad;
            EXPECT_TRUE(b.untouched());
        }
        EXPECT_EQ(dispatch(effect, op, 0, 0, nullptr), 0) << "null buffer, opcode " << op;
    }
    for (int op : {effGetEffectName, effGetVendorString, effGetProductString, effCanDo})
        EXPECT_EQ(dispatch(effect, op, 0, 0, nullptr), 0) << "null buffer, opcode " << op;
}

TEST_F(ShellTest, NameStringsAreExactly31Bytes) {
    struct Case { int op; const char* text; } cases[] = {
        {effGetEffectName, "Dorlin Quillet"},
        {effGetVendorString, "Dorlin Audio Technologies"},
        {effGetProductString, "Dorlin Quillet VCA Compressor"}};
    for (const Case& c : cases) {
        HostBuffer b;
        EXPECT_EQ(dispatch(effect, c.op, 0, 0, b.text()), 1);
        b.expectFixedWrite(c.text, 31);
    }
}

TEST_F(ShellTest, CanDoAnswers) {
    char cockos[] = "hasCockosExtensions", in1[] = "1in2out", in2[] = "2in2out";
    char empty[] = "", other[] = "receiveVstEvents", prefix[] = "2in2", longer[] = "2in2outX";
    EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, cockos), static_cast<intptr_t>(0xBEEF0000u));
    EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, in1), 1);
    EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, in2), 1);
    for (char* s : {empty, other, prefix, longer}) EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, s), 0) << s;
}

TEST_F(ShellTest, UnhandledOpcodesReturnZeroAndLeaveTheBufferAlone) {
    for (int op : {-5, -1, 0, 2, 3, 4, 5, 9, 11, 12, 16, 23, 24, 26, 50, 52, 53, 58, 80, 1000,
                   std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
        HostBuffer b;
        EXPECT_EQ(dispatch(effect, op, 0, 0, b.text(), 1.0f), 0) << op;
        EXPECT_TRUE(b.untouched()) << op;
    }
}

TEST_F(ShellTest, SimpleQueries) {
    EXPECT_EQ(dispatch(effect, effGetVendorVersion), 1000);
    EXPECT_EQ(dispatch(effect, effGetPlugCategory), 1);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 520);
    EXPECT_EQ(rect->right, 840);
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, nullptr), 1);
}

TEST_F(ShellTest, BypassRequest) {
    EXPECT_EQ(dispatch(effect, effSetBypass, 0, 2), 1);
    EXPECT_TRUE(instance()->core.hostBypass.load());
    EXPECT_EQ(dispatch(effect, effSetBypass, 0, 0), 1);
    EXPECT_FALSE(instance()->core.hostBypass.load());
    EXPECT_EQ(dispatch(effect, effSetBypass, 0, -1), 1);
    EXPECT_TRUE(instance()->core.hostBypass.load());
}

TEST_F(ShellTest, SampleRateRule) {
    struct Case { float rate; double stored; int32_t window; double wobble; } cases[] = {
        {48000.0f, 48000.0, 96, 36.4424747816416 / 48000.0},
        {4000.0f, 4000.0, 16, 36.4424747816416 / kLowestSampleRate},
        {0.0f, kFallbackSampleRate, 88, 36.4424747816416 / kFallbackSampleRate},
        {-1.0f, kFallbackSampleRate, 88, 36.4424747816416 / kFallbackSampleRate},
        {std::numeric_limits<float>::quiet_NaN(), kFallbackSampleRate, 88, 36.4424747816416 / kFallbackSampleRate},
        {96000.0f, 96000.0, 192, 36.4424747816416 / 96000.0}};
    for (const Case& c : cases) {
        EXPECT_EQ(dispatch(effect, effSetSampleRate, 0, 0, nullptr, c.rate), 0);
        EXPECT_EQ(instance()->core.hostSampleRate.load(), c.stored) << c.rate;
        EXPECT_EQ(instance()->core.engine.coefficients.windowLength.load(), c.window) << c.rate;
        EXPECT_EQ(instance()->core.engine.coefficients.wobbleIncrement.load(), c.wobble) << c.rate;
    }
}

TEST_F(ShellTest, NullObjectMakesEveryCallbackInert) {
    void* object = effect->object;
    effect->object = nullptr;
    HostBuffer b;
    for (int op : {effClose, effGetParamName, effGetEffectName, effCanDo, effGetVendorVersion,
                   effGetPlugCategory, effSetBypass, effEditGetRect})
        EXPECT_EQ(dispatch(effect, op, 0, 1, b.text()), 0) << op;
    EXPECT_TRUE(b.untouched());
    EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
    effect->setParameter(effect, 0, 0.9f);
    float in[4] = {0.1f, 0.2f, 0.3f, 0.4f}, out[4] = {9, 9, 9, 9};
    float* ins[2] = {in, in + 2};
    float* outs[2] = {out, out + 2};
    effect->processReplacing(effect, ins, outs, 2);
    for (float v : out) EXPECT_EQ(v, 9.0f);
    effect->object = object;
    EXPECT_EQ(effect->getParameter(effect, 0), 0.5f) << "the inert set changed nothing";
}

TEST_F(ShellTest, ProcessWritesEveryOutputAndNeverAccumulates) {
    constexpr int n = 300;
    float inL[n], inR[n], outA[2][n], outB[2][n];
    for (int i = 0; i < n; ++i) {
        inL[i] = 0.3f * std::sin(0.05f * i);
        inR[i] = 0.2f * std::cos(0.03f * i);
    }
    memset(outA, 0xFF, sizeof outA);  // NaN pattern: any sample left unwritten shows
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < n; ++i) outB[c][i] = 5.0f;  // would show accumulation
    AEffect* twin = plugin.entry(recordingAudioMaster);
    ASSERT_NE(twin, nullptr);
    float* ins[2] = {inL, inR};
    float* outsA[2] = {outA[0], outA[1]};
    float* outsB[2] = {outB[0], outB[1]};
    effect->processReplacing(effect, ins, outsA, n);
    twin->process(twin, ins, outsB, n);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(std::isfinite(outA[c][i])) << c << "," << i;
            ASSERT_EQ(outA[c][i], outB[c][i]) << c << "," << i;
        }
    closeEffect(twin);
}

TEST_F(ShellTest, TwoInstancesAreIndependentAndCloseInEitherOrder) {
    for (int order = 0; order < 2; ++order) {
        AEffect* a = plugin.entry(recordingAudioMaster);
        AEffect* b = plugin.entry(recordingAudioMaster);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        ASSERT_NE(a, b);
        a->setParameter(a, 1, 0.9f);
        EXPECT_EQ(b->getParameter(b, 1), 0.35f);
        closeEffect(order == 0 ? a : b);
        AEffect* left = order == 0 ? b : a;
        HostBuffer buf;
        EXPECT_EQ(dispatch(left, effGetEffectName, 0, 0, buf.text()), 1);
        buf.expectFixedWrite("Dorlin Quillet", 31);
        closeEffect(left);
    }
}

TEST_F(ShellTest, HundredCreateCloseCycles) {
    for (int i = 0; i < 100; ++i) {
        AEffect* e = plugin.entry(recordingAudioMaster);
        ASSERT_NE(e, nullptr) << i;
        e->setParameter(e, i % 9, 0.25f);
        ASSERT_EQ(e->getParameter(e, i % 9), 0.25f);
        closeEffect(e);
    }
}

TEST(ShellUnload, UnloadingWithALiveInstanceReturnsAndReloadWorks) {
    LoadedPlugin p = loadPlugin(pluginPathBesideProgram());
    ASSERT_NE(p.entry, nullptr);
    ASSERT_NE(p.entry(recordingAudioMaster), nullptr);  // left alive on purpose
    unloadPlugin(p);
    p = loadPlugin(pluginPathBesideProgram());
    ASSERT_NE(p.entry, nullptr);
    AEffect* e = p.entry(recordingAudioMaster);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->getParameter(e, 0), 0.5f);
    closeEffect(e);
    unloadPlugin(p);
}

}  // namespace
