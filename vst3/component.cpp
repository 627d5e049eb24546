// IComponent: one stereo audio input and one stereo audio output, activation
// and the saved state.
#include <cstring>

#include "state_stream.h"
#include "utf16.h"
#include "vst3_instance.h"

namespace {

bool isMainAudioBus(int32_t mediaType, int32_t direction, int32_t index) {
    return mediaType == V3_AUDIO && (direction == V3_INPUT || direction == V3_OUTPUT) && index == 0;
}

// The component is its own edit controller: there is no controller class.
v3_result V3_API getControllerClassId(void*, v3_tuid classId) {
    if (classId) std::memset(classId, 0, sizeof(v3_tuid));
    return kNotImplemented;
}

v3_result V3_API setIoMode(void*, int32_t) { return kResultOk; }

int32_t V3_API getBusCount(void*, int32_t mediaType, int32_t direction) {
    return isMainAudioBus(mediaType, direction, 0) ? 1 : 0;
}

v3_result V3_API getBusInfo(void*, int32_t mediaType, int32_t direction, int32_t index, v3_bus_info* info) {
    if (!info || !isMainAudioBus(mediaType, direction, index)) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->media_type = V3_AUDIO;
    info->direction = direction;
    info->channel_count = 2;
    copyUtf16(info->bus_name, direction == V3_INPUT ? "Stereo In" : "Stereo Out");
    info->bus_type = V3_MAIN;
    info->flags = V3_DEFAULT_ACTIVE;
    return kResultOk;
}

v3_result V3_API getRoutingInfo(void*, v3_routing_info*, v3_routing_info*) { return kNotImplemented; }

// The buses are always there: a host may switch them, the processor copes
// with whatever buffers a block brings.
v3_result V3_API activateBus(void*, int32_t mediaType, int32_t direction, int32_t index, v3_bool) {
    return isMainAudioBus(mediaType, direction, index) ? kResultOk : kInvalidArgument;
}

// Main thread, while the host does not process: activation starts the
// compressor afresh at the rate the setup gave.
v3_result V3_API setActive(void* self, v3_bool state) {
    if (state) startOver(instanceOf(self)->core);
    return kResultOk;
}

v3_result V3_API setState(void* self, v3_bstream** stream) { return loadState(*instanceOf(self), stream); }

v3_result V3_API getState(void* self, v3_bstream** stream) { return saveState(*instanceOf(self), stream); }

}  // namespace

const v3_component_cpp kComponentVtable = {
    {queryInstance, refInstance, unrefInstance},
    {initializeInstance, terminateInstance},
    {getControllerClassId, setIoMode, getBusCount, getBusInfo, getRoutingInfo, activateBus, setActive, setState,
     getState},
};
