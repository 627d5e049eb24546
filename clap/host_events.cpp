// The host's parameter events into the core, and the plug-in's own events
// (the editor's drags, the meter) out to the host.
#include <clap/events.h>

#include <cmath>
#include <cstdint>

#include "clap_instance.h"
#include "param_ids.h"

namespace {

// A host event as a change of one of the nine, or false for anything else:
// another space or type, a short event, an unknown id, the meter, NaN.
bool changeOf(const clap_event_header_t* e, ParameterChange* change) {
    if (!e || e->space_id != CLAP_CORE_EVENT_SPACE_ID || e->type != CLAP_EVENT_PARAM_VALUE ||
        e->size < sizeof(clap_event_param_value_t))
        return false;
    const clap_event_param_value_t* v = reinterpret_cast<const clap_event_param_value_t*>(e);
    const int32_t index = settableIndexOf(v->param_id);
    if (index < 0 || std::isnan(v->value)) return false;
    // Clamped in double first: a huge value has no float.
    const double value = v->value < 0.0 ? 0.0 : (v->value > 1.0 ? 1.0 : v->value);
    *change = ParameterChange{e->time > INT32_MAX ? INT32_MAX : static_cast<int32_t>(e->time), index,
                              static_cast<float>(value)};
    return true;
}

uint32_t eventCount(const clap_input_events_t* in) {
    return in && in->size && in->get ? in->size(in) : 0;
}

bool push(const clap_output_events_t* out, const clap_event_header_t& event) {
    return out && out->try_push && out->try_push(out, &event);
}

clap_event_header_t headerOf(uint16_t type, uint32_t size, uint32_t flags) {
    return clap_event_header_t{size, 0, CLAP_CORE_EVENT_SPACE_ID, type, flags};
}

clap_event_param_value_t valueEvent(clap_id id, double value, uint32_t flags) {
    return clap_event_param_value_t{headerOf(CLAP_EVENT_PARAM_VALUE, sizeof(clap_event_param_value_t), flags),
                                    id, nullptr, -1, -1, -1, -1, value};
}

bool offerGesture(const clap_output_events_t* out, const GestureEntry& g) {
    if (g.kind == GestureKind::kValue)
        return push(out, valueEvent(static_cast<clap_id>(g.index), g.value, CLAP_EVENT_IS_LIVE).header);
    const uint16_t type = g.kind == GestureKind::kBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
    const clap_event_param_gesture_t e{headerOf(type, sizeof(clap_event_param_gesture_t), CLAP_EVENT_IS_LIVE),
                                       static_cast<clap_id>(g.index)};
    return push(out, e.header);
}

}  // namespace

void addHostEvents(ClapInstance& p, const clap_input_events_t* in) {
    const uint32_t n = eventCount(in);
    for (uint32_t i = 0; i < n; ++i) {
        ParameterChange c;
        if (changeOf(in->get(in, i), &c)) addBlockChange(p.core, c);
    }
}

// The editor's drags go out oldest first. An event the host refuses ends this
// round, so what follows keeps its order, and is offered once more, first, at
// the next process or flush (a full list has room again by then); refused
// again, it is dropped and the rest go on. So a host that refuses gestures
// still gets every value, one that refuses everything never stalls the queue,
// and nothing is offered more than twice. An end goes out only when the host
// took its drag's begin: a drag whose begin was dropped reaches it as bare
// values.
void sendGestures(ClapInstance& p, const clap_output_events_t* out) {
    GestureQueue& q = p.gestures;
    GestureEntry g;
    while (out && peekGesture(q, &g)) {
        bool& holds = q.hostHoldsDrag[g.index];
        const bool send = g.kind != GestureKind::kEnd || holds;
        const bool taken = send && offerGesture(out, g);
        if (send && !taken && !q.headRefused) {
            q.headRefused = true;
            return;
        }
        q.headRefused = false;
        if (g.kind != GestureKind::kValue) holds = taken && g.kind == GestureKind::kBegin;
        popGesture(q);
    }
}

void sendMeter(ClapInstance& p, const clap_output_events_t* out) {
    const float meter = gainReductionMeter(p.core);
    if (meter == p.lastMeterSent) return;
    if (push(out, valueEvent(kMeterParamId, meter, CLAP_EVENT_DONT_RECORD).header)) p.lastMeterSent = meter;
}
