// The plug-in core through its own interface: in-block parameter changes
// against the host cutting the block itself, the state blob and its bad
// input, and the editor's gestures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "bad_state_blobs.h"
#include "editor_host.h"
#include "float_control.h"
#include "engine_test_signals.h"
#include "plugin_core.h"
#include "state_blob.h"

namespace {

struct CoreRig {
    PluginCore core;
    std::vector<float> outL, outR;
    explicit CoreRig(float rate = 48000.0f) {
        initCore(core);
        setSampleRate(core, rate);
    }
    void process(const float* l, const float* r, size_t at, int32_t n, const ParameterChange* changes = nullptr,
                 int32_t count = 0) {
        const float* in[2] = {l + at, r + at};
        float* out[2] = {&outL[at], &outR[at]};
        processCore(core, in, out, n, changes, count);
    }
    // The host cutting the block at the (sorted) changes itself.
    void processCutAt(const float* l, const float* r, size_t at, int32_t frames,
                      const std::vector<ParameterChange>& changes) {
        int32_t done = 0;
        for (const ParameterChange& c : changes) {
            if (c.offset > done) process(l, r, at + done, c.offset - done);
            done = std::max(done, c.offset);
            setParameter(core, c.index, c.value);
        }
        if (done < frames) process(l, r, at + done, frames - done);
    }
};

// The same signal through two cores must give the same bits and meter.
void expectSameOutput(const CoreRig& a, const CoreRig& b, const char* what) {
    ASSERT_EQ(0, std::memcmp(a.outL.data(), b.outL.data(), a.outL.size() * sizeof(float))) << what;
    ASSERT_EQ(0, std::memcmp(a.outR.data(), b.outR.data(), a.outR.size() * sizeof(float))) << what;
    ASSERT_EQ(gainReductionMeter(a.core), gainReductionMeter(b.core)) << what;
}

TEST(CoreChanges, SplittingAtTheChangesEqualsTheHostCuttingTheBlock) {
    std::vector<float> l, r;
    makeProgram(l, r, 48000, 48000.0, 1.5f);
    std::mt19937 random(7);
    for (int trial = 0; trial < 60; ++trial) {
        CoreRig split, cut;
        split.outL.assign(l.size(), 0.0f), split.outR = split.outL;
        cut.outL = split.outL, cut.outR = split.outL;
        size_t at = 0;
        while (at < l.size()) {
            const int32_t frames = std::min<int32_t>(1 + random() % 700, static_cast<int32_t>(l.size() - at));
            // Sorted offsets inside the block, as a host sends them; several may
            // share a frame and there may be more changes than frames.
            std::vector<ParameterChange> changes(random() % 12);
            for (ParameterChange& c : changes)
                c = {static_cast<int32_t>(random() % frames), static_cast<int32_t>(random() % kParamCount),
                     std::uniform_real_distribution<float>(0.0f, 1.0f)(random)};
            std::sort(changes.begin(), changes.end(),
                      [](const ParameterChange& a, const ParameterChange& b) { return a.offset < b.offset; });
            split.process(l.data(), r.data(), at, frames, changes.data(), static_cast<int32_t>(changes.size()));
            cut.processCutAt(l.data(), r.data(), at, frames, changes);
            at += static_cast<size_t>(frames);
        }
        expectSameOutput(split, cut, ("trial " + std::to_string(trial)).c_str());
    }
}

// A change at each offset of a block in turn, and changes every frame and
// every few frames, for each parameter (Bypass too), over input with tiny,
// subnormal, huge and NaN samples, with and without the host's flush-to-zero:
// the pieces of one call give the bits and meter of the host cutting the
// block there itself.
TEST(CoreChanges, PiecesAtEveryOffsetGiveTheHostsBits) {
    constexpr int32_t kBlock = 40;
    std::vector<std::vector<int32_t>> patterns;
    for (int32_t k = 0; k <= kBlock; ++k) patterns.push_back({k});
    for (int32_t every : {1, 2, 3, 8}) {
        patterns.emplace_back();
        for (int32_t k = 0; k < kBlock; k += every) patterns.back().push_back(k);
    }
    std::vector<float> l, r;
    makeProgram(l, r, patterns.size() * kBlock, 48000.0, 2.0f);
    const float hostile[] = {1e-35f, -1e-40f, 0.0f, -0.0f, 3e7f, std::nanf(""), 1e-30f};
    for (size_t i = 0; i < l.size(); i += 3) (i % 2 ? l : r)[i] = hostile[(i / 3) % 7];
    for (uint64_t csr : {kHostDefaultControl, kHostDefaultControl | kFlushToZeroBits}) {
        const uint64_t saved = readFloatControl();
        writeFloatControl(csr);
        for (int32_t index = 0; index < kParamCount; ++index) {
            CoreRig split, cut;
            split.outL.assign(l.size(), 0.0f), split.outR = split.outL;
            cut.outL = split.outL, cut.outR = split.outL;
            for (size_t p = 0; p < patterns.size(); ++p) {
                std::vector<ParameterChange> changes;
                for (int32_t offset : patterns[p]) {
                    const float value = index == kBypass ? static_cast<float>(changes.size() % 2)
                                                         : 0.1f + 0.8f * ((p * 7 + changes.size()) % 13) / 13.0f;
                    changes.push_back({offset, index, value});
                }
                const size_t at = p * kBlock;
                split.process(l.data(), r.data(), at, kBlock, changes.data(), static_cast<int32_t>(changes.size()));
                cut.processCutAt(l.data(), r.data(), at, kBlock, changes);
            }
            expectSameOutput(split, cut, (std::string(kParamTable[index].name) + " csr " + std::to_string(csr)).c_str());
        }
        writeFloatControl(saved);
    }
}

// A change list a host got wrong gives what its plain reading gives: offsets
// never go back, negative ones are frame 0, late ones apply after the block,
// unknown parameters and NaN values are dropped.
TEST(CoreChanges, MalformedListsReadAsTheirPlainForm) {
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        std::vector<ParameterChange> given, plain;
    } cases[] = {
        {"out of order", {{300, kThreshold, 0.1f}, {100, kRatio, 0.9f}}, {{300, kThreshold, 0.1f}, {300, kRatio, 0.9f}}},
        {"negative", {{-5, kThreshold, 0.1f}}, {{0, kThreshold, 0.1f}}},
        {"past the end", {{100, kMix, 0.3f}, {9999, kThreshold, 0.0f}}, {{100, kMix, 0.3f}, {512, kThreshold, 0.0f}}},
        {"unknown index", {{10, -1, 0.5f}, {20, kParamCount, 0.5f}, {30, kRatio, 1.0f}}, {{30, kRatio, 1.0f}}},
        {"NaN value", {{10, kThreshold, nan}, {40, kRatio, 0.0f}}, {{40, kRatio, 0.0f}}},
        {"out of range", {{10, kThreshold, -3.0f}, {20, kRatio, 7.0f}}, {{10, kThreshold, 0.0f}, {20, kRatio, 1.0f}}},
    };
    std::vector<float> l, r;
    makeProgram(l, r, 2048, 48000.0, 2.0f);
    for (const Case& c : cases) {
        CoreRig given, plain;
        given.outL.assign(l.size(), 0.0f), given.outR = given.outL;
        plain.outL = given.outL, plain.outR = given.outL;
        for (size_t at = 0; at < l.size(); at += 512) {
            given.process(l.data(), r.data(), at, 512, c.given.data(), static_cast<int32_t>(c.given.size()));
            plain.process(l.data(), r.data(), at, 512, c.plain.data(), static_cast<int32_t>(c.plain.size()));
        }
        expectSameOutput(given, plain, c.what);
    }
}

TEST(CoreChanges, AnEmptyBlockAppliesItsChangesAndLetsTheMeterFall) {
    CoreRig rig;
    std::vector<float> l(4096, 0.9f), r(4096, 0.9f);
    rig.outL.assign(4096, 0.0f), rig.outR = rig.outL;
    rig.process(l.data(), r.data(), 0, 4096);
    const float before = gainReductionMeter(rig.core);
    ASSERT_GT(before, 0.5f);
    const ParameterChange change{0, kThreshold, 1.0f};
    rig.process(l.data(), r.data(), 0, 0, &change, 1);
    EXPECT_EQ(parameter(rig.core, kThreshold), 1.0f);
    EXPECT_FLOAT_EQ(gainReductionMeter(rig.core), kMeterKeep * before);
}

// The change list fed change by change, with fewer, as many and more
// changes than it holds (malformed ones among them), gives the bits and meter
// of one call with the whole list; a flush applies them all.
TEST(CoreChanges, TheChangeListSoundsAsOneCallWhateverItsLength) {
    constexpr int32_t kBlock = 2000;
    std::vector<float> l, r;
    makeProgram(l, r, kBlock, 48000.0, 2.0f);
    for (int32_t count : {0, 1, kChangeListCapacity, kChangeListCapacity + 1, 3 * kChangeListCapacity + 5}) {
        std::vector<ParameterChange> changes;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t offset = i % 97 == 5 ? i * kBlock / count - 40 : (i % 131 == 7 ? kBlock + i : i * kBlock / count);
            changes.push_back({i % 211 == 3 ? -7 : offset, i % 173 == 9 ? kParamCount : i % kParamCount,
                               i % 151 == 1 ? std::nanf("") : (i % 17) / 16.0f});
        }
        CoreRig list, one, flushed;
        list.outL.assign(l.size(), 0.0f), list.outR = list.outL;
        one.outL = list.outL, one.outR = list.outL;
        const float* in[2] = {l.data(), r.data()};
        float* out[2] = {list.outL.data(), list.outR.data()};
        beginBlock(list.core, in, out, kBlock);
        for (const ParameterChange& c : changes) addBlockChange(list.core, c);
        endBlock(list.core);
        one.process(l.data(), r.data(), 0, kBlock, changes.data(), count);
        expectSameOutput(list, one, ("count " + std::to_string(count)).c_str());
        beginBlock(flushed.core, nullptr, nullptr, 0);
        for (const ParameterChange& c : changes) addBlockChange(flushed.core, c);
        endBlock(flushed.core);
        for (int32_t i = 0; i < kParamCount; ++i)
            EXPECT_EQ(parameter(flushed.core, i), parameter(one.core, i)) << count << " flushed, " << i;
    }
}

std::vector<uint8_t> stateOf(const PluginCore& core) {
    std::vector<uint8_t> blob(kStateBlobMaxBytes);
    blob.resize(writeState(core, blob.data(), blob.size()));
    return blob;
}

TEST(CoreState, RoundTripsEveryValueBitForBitAndReadsOtherReleases) {
    PluginCore saved, loaded;
    initCore(saved), initCore(loaded);
    for (int i = 0; i < kParamCount; ++i) setParameter(saved, i, 0.1f * i + 0.0123f);
    std::vector<uint8_t> blob = stateOf(saved);
    ASSERT_GT(blob.size(), 8u);
    EXPECT_EQ(writeState(saved, blob.data(), blob.size() - 1), 0u) << "too small a buffer gets nothing";
    ASSERT_TRUE(readState(loaded, blob.data(), blob.size()));
    for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(parameter(loaded, i), parameter(saved, i)) << i;

    // A later release's parameter is skipped; one this release has that the
    // blob lacks (an earlier release's blob) takes its default.
    std::vector<uint8_t> later = blob;
    appendEntry(later, "sidechain_gain", 0.7f);
    ASSERT_TRUE(readState(loaded, later.data(), later.size()));
    std::vector<uint8_t> earlier(blob.begin(), blob.begin() + 8);
    earlier[6] = 0;
    appendEntry(earlier, "threshold", 0.25f);
    setParameter(loaded, kBypass, 1.0f);
    ASSERT_TRUE(readState(loaded, earlier.data(), earlier.size()));
    EXPECT_EQ(parameter(loaded, kThreshold), 0.25f);
    EXPECT_EQ(parameter(loaded, kRatio), kParamTable[kRatio].defaultValue);
    EXPECT_EQ(parameter(loaded, kBypass), 1.0f) << "Bypass, when a blob lacks it, stays as it is";
}

TEST(CoreState, BadBlobsChangeNothing) {
    PluginCore core, other;
    initCore(core), initCore(other);
    for (int i = 0; i < kParamCount; ++i) setParameter(core, i, 0.05f * i + 0.3f), setParameter(other, i, 0.02f * i);
    const std::vector<uint8_t> good = stateOf(other);
    const auto bad = badStateBlobs(good);
    const std::vector<uint8_t> before = stateOf(core);
    for (const auto& [what, blob] : bad) {
        EXPECT_FALSE(readState(core, blob.data(), blob.size())) << what;
        ASSERT_EQ(stateOf(core), before) << what;
    }
}

TEST(CoreEditorHost, EditsReachTheOwningFormatClamped) {
    struct Log {
        std::vector<std::string> calls;
    } log;
    PluginCore core;
    initCore(core);
    EditorHost host = editorHostFor(core, "VST2");
    host.beginEdit(host.context, kRatio);  // no format listening yet: nothing happens
    core.editorCallbacks = {&log,
                     [](void* c, int32_t i) { static_cast<Log*>(c)->calls.push_back("begin " + std::to_string(i)); },
                     [](void* c, int32_t i, float v) {
                         static_cast<Log*>(c)->calls.push_back(std::to_string(i) + "=" + std::to_string(v));
                     },
                     [](void* c, int32_t i) { static_cast<Log*>(c)->calls.push_back("end " + std::to_string(i)); },
                     nullptr};
    host.beginEdit(host.context, kRatio);
    host.setAndAutomate(host.context, kRatio, 1.5f);
    host.endEdit(host.context, kRatio);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"begin 1", "1=1.000000", "end 1"}));
    EXPECT_EQ(host.parameter(host.context, kRatio), 1.0f);
}

}  // namespace
