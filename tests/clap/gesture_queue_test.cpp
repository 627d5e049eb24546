// The editor's gesture queue when the host drains it late or never: every
// begin that went in gets its end, a drag's last value reaches the host
// before its end, and the entries come out in the order they went in; also
// with the editor's thread filling it while another drains it.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "../../clap/gesture_queue.h"

namespace {

// At most `most` entries, as "B2 V2=100 E2 " (values in thousandths).
std::string drain(GestureQueue& q, size_t most = SIZE_MAX) {
    std::string out;
    GestureEntry e;
    for (size_t taken = 0; taken < most && peekGesture(q, &e); ++taken, popGesture(q)) {
        out += (e.kind == GestureKind::kBegin ? "B" : e.kind == GestureKind::kEnd ? "E" : "V") + std::to_string(e.index);
        if (e.kind == GestureKind::kValue) out += "=" + std::to_string(static_cast<int>(e.value * 1000));
        out += " ";
    }
    return out;
}

TEST(GestureQueue, FullRingKeepsEveryDragWhole) {
    static GestureQueue q;
    initGestureQueue(q);
    EXPECT_TRUE(pushGestureBegin(q, 2));
    EXPECT_FALSE(pushGestureBegin(q, 2)) << "a second begin over an open drag";
    EXPECT_FALSE(pushGestureEnd(q, 3)) << "an end without a begin";
    EXPECT_FALSE(pushGestureBegin(q, kParamCount));
    EXPECT_FALSE(pushGestureValue(q, -1, 0.5f));
    EXPECT_TRUE(pushGestureValue(q, 2, 0.1f) && pushGestureEnd(q, 2));
    EXPECT_EQ(drain(q), "B2 V2=100 E2 ");

    // Nobody drains: values fill the ring up to the room kept for the open
    // drag's closing value and end, then the drag closes with its last value.
    pushGestureBegin(q, 0);
    int accepted = 0;
    for (int i = 1; i <= 1000; ++i) accepted += pushGestureValue(q, 0, i / 1000.0f);
    EXPECT_EQ(accepted, int(kGestureQueueCapacity) - 3);
    EXPECT_FALSE(pushGestureBegin(q, 1)) << "no room for another drag's begin, value and end";
    EXPECT_FALSE(pushGestureEnd(q, 1));
    EXPECT_TRUE(pushGestureEnd(q, 0));
    const std::string all = drain(q);
    EXPECT_EQ(all.substr(0, 3), "B0 ");
    EXPECT_EQ(all.substr(all.size() - 11), "V0=1000 E0 ") << all.substr(all.size() - 40);

    // The host takes a few entries at a time (its list fills up): the rest
    // wait, in order, and nothing is lost once there is room.
    std::string expected, got;
    for (int d = 0; d < 40; ++d) {
        const int32_t i = d % kParamCount;
        pushGestureBegin(q, i), pushGestureValue(q, i, 0.5f), pushGestureEnd(q, i);
        expected += "B" + std::to_string(i) + " V" + std::to_string(i) + "=500 E" + std::to_string(i) + " ";
    }
    for (std::string part; !(part = drain(q, 7)).empty();) got += part;
    EXPECT_EQ(got, expected);
}

// One thread drags without pause while another drains: the pairs stay whole.
TEST(GestureQueue, ProducerAndConsumerOnTwoThreads) {
    static GestureQueue q;
    initGestureQueue(q);
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int d = 0; d < 20000; ++d) {
            const int32_t i = d % kParamCount;
            pushGestureBegin(q, i);
            for (int v = 0; v < 5; ++v) pushGestureValue(q, i, v / 4.0f);
            pushGestureEnd(q, i);
        }
        done = true;
    });
    int open = -1, begins = 0, ends = 0;
    bool wellFormed = true;
    GestureEntry e;
    while (!done || peekGesture(q, &e)) {
        if (!peekGesture(q, &e)) continue;
        if (e.kind == GestureKind::kBegin) wellFormed &= open < 0, open = e.index, ++begins;
        else if (e.kind == GestureKind::kEnd) wellFormed &= open == e.index, open = -1, ++ends;
        popGesture(q);
    }
    producer.join();
    EXPECT_TRUE(wellFormed);
    EXPECT_EQ(begins, ends);
    EXPECT_GT(begins, 0);
}

}  // namespace
