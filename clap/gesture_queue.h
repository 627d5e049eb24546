#pragma once
// The editor's knob drags on their way to the host: a fixed ring that one
// thread fills (the editor's, the host's main thread) and one drains (the
// audio thread in process, or whichever thread the host flushes on; the host
// never runs the two at once). No allocation, no lock.
//
// When the ring runs short, a drag keeps its shape for the host: a begin goes
// in only with room left for its own closing value and end, so every begin
// that went in gets its end; values in the middle of a drag are dropped, and
// the drag's last value goes in just before its end. A drag whose begin found
// no room reaches the host as bare values, while there is room for them.
#include <atomic>
#include <cstdint>

#include "../dsp/parameters.h"

enum class GestureKind : uint8_t { kBegin, kValue, kEnd };

struct GestureEntry {
    GestureKind kind;
    int32_t index;
    float value;  // kValue only
};

constexpr uint32_t kGestureQueueCapacity = 256;

struct GestureQueue {
    GestureEntry entries[kGestureQueueCapacity];
    std::atomic<uint32_t> written;  // entries pushed, ever (the producer's)
    std::atomic<uint32_t> read;     // entries taken, ever (the consumer's)
    // The producer's own view of each parameter's drag.
    bool dragReported[kParamCount];  // its begin went in; its end is owed
    bool valueOwed[kParamCount];     // a value was dropped since the last one that went in
    float lastValue[kParamCount];
    int32_t reportedDrags;
    // The consumer's own view of what the host took.
    bool headRefused;                 // the oldest entry was offered once and refused
    bool hostHoldsDrag[kParamCount];  // the host took this drag's begin, not yet its end
};

void initGestureQueue(GestureQueue& queue);

// Producer. Each returns true when something went into the ring.
bool pushGestureBegin(GestureQueue& queue, int32_t index);
bool pushGestureValue(GestureQueue& queue, int32_t index, float value);
bool pushGestureEnd(GestureQueue& queue, int32_t index);

// Consumer: the oldest entry, left in place until popGesture (so an entry the
// host could not take can be offered again). False when empty.
bool peekGesture(const GestureQueue& queue, GestureEntry* entry);
void popGesture(GestureQueue& queue);
