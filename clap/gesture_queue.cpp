#include "gesture_queue.h"

namespace {

// Slots the producer may fill now. The consumer only ever frees more.
uint32_t freeSlots(const GestureQueue& q) {
    const uint32_t used = q.written.load(std::memory_order_relaxed) - q.read.load(std::memory_order_acquire);
    return kGestureQueueCapacity - used;
}

void put(GestureQueue& q, GestureKind kind, int32_t index, float value) {
    const uint32_t at = q.written.load(std::memory_order_relaxed);
    q.entries[at % kGestureQueueCapacity] = GestureEntry{kind, index, value};
    q.written.store(at + 1, std::memory_order_release);
}

// Every reported drag keeps two slots for its closing value and its end.
uint32_t reserved(const GestureQueue& q) { return 2u * static_cast<uint32_t>(q.reportedDrags); }

}  // namespace

void initGestureQueue(GestureQueue& q) {
    q.written.store(0, std::memory_order_relaxed);
    q.read.store(0, std::memory_order_relaxed);
    for (int i = 0; i < kParamCount; ++i) {
        q.dragReported[i] = false;
        q.valueOwed[i] = false;
        q.lastValue[i] = 0.0f;
        q.hostHoldsDrag[i] = false;
    }
    q.reportedDrags = 0;
    q.headRefused = false;
}

bool pushGestureBegin(GestureQueue& q, int32_t index) {
    if (!isParamIndex(index) || q.dragReported[index]) return false;
    if (freeSlots(q) < reserved(q) + 3) return false;  // the begin and its own two
    put(q, GestureKind::kBegin, index, 0.0f);
    q.dragReported[index] = true;
    q.valueOwed[index] = false;
    ++q.reportedDrags;
    return true;
}

bool pushGestureValue(GestureQueue& q, int32_t index, float value) {
    if (!isParamIndex(index)) return false;
    q.lastValue[index] = value;
    if (freeSlots(q) < reserved(q) + 1) {
        q.valueOwed[index] = q.dragReported[index];
        return false;
    }
    put(q, GestureKind::kValue, index, value);
    q.valueOwed[index] = false;
    return true;
}

bool pushGestureEnd(GestureQueue& q, int32_t index) {
    if (!isParamIndex(index) || !q.dragReported[index]) return false;
    if (q.valueOwed[index]) put(q, GestureKind::kValue, index, q.lastValue[index]);
    put(q, GestureKind::kEnd, index, 0.0f);
    q.dragReported[index] = false;
    q.valueOwed[index] = false;
    --q.reportedDrags;
    return true;
}

bool peekGesture(const GestureQueue& q, GestureEntry* entry) {
    const uint32_t at = q.read.load(std::memory_order_relaxed);
    if (at == q.written.load(std::memory_order_acquire)) return false;
    *entry = q.entries[at % kGestureQueueCapacity];
    return true;
}

void popGesture(GestureQueue& q) {
    q.read.store(q.read.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}
