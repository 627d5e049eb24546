#include "parameter_changes.h"

#include "parameter_info.h"

namespace {

// One parameter's queue, read point by point.
struct Cursor {
    v3_param_value_queue** queue;
    int32_t index;       // table row
    int32_t points;      // the queue's point count
    int32_t next;        // the next point to read
    int32_t offset;      // the current point's frame
    double value;        // the current point's value
};

// Moves to the queue's next readable point; false when none is left.
bool advance(Cursor& c) {
    while (c.next < c.points) {
        int32_t offset = 0;
        double value = 0.0;
        if (v3_cpp_obj(c.queue)->get_point(c.queue, c.next++, &offset, &value) != V3_OK) continue;
        c.offset = offset, c.value = value;
        return true;
    }
    return false;
}

ParameterChange changeAt(const Cursor& c) { return ParameterChange{c.offset, c.index, narrowToFloat(c.value)}; }

}  // namespace

void addHostChanges(v3_param_changes** changes, PluginCore& core, const ParameterChange* own, int32_t ownCount) {
    auto addOwn = [&] {
        for (int32_t i = 0; i < ownCount; ++i) addBlockChange(core, own[i]);
        ownCount = 0;
    };
    if (!changes || !*changes) return addOwn();
    Cursor cursors[kParamCount];
    int32_t live = 0;
    const int32_t queues = v3_cpp_obj(changes)->get_param_count(changes);
    for (int32_t q = 0; q < queues && live < kParamCount; ++q) {
        v3_param_value_queue** queue = v3_cpp_obj(changes)->get_param_data(changes, q);
        if (!queue || !*queue) continue;
        const int32_t index = paramIndexOf(v3_cpp_obj(queue)->get_param_id(queue));
        bool taken = index < 0;
        for (int32_t i = 0; i < live && !taken; ++i) taken = cursors[i].index == index;
        if (taken) continue;
        Cursor c{queue, index, v3_cpp_obj(queue)->get_point_count(queue), 0, 0, 0.0};
        if (advance(c)) cursors[live++] = c;
    }
    // Merged by frame. A queue's point below its previous one comes out right
    // after it, where the core reads it at the previous one's frame.
    while (live > 0) {
        int32_t first = 0;
        for (int32_t i = 1; i < live; ++i)
            if (cursors[i].offset < cursors[first].offset) first = i;
        if (ownCount > 0 && cursors[first].offset >= own[0].offset) addOwn();
        addBlockChange(core, changeAt(cursors[first]));
        if (!advance(cursors[first])) {
            for (int32_t i = first; i + 1 < live; ++i) cursors[i] = cursors[i + 1];
            --live;
        }
    }
    addOwn();
}
