// One stereo input and one stereo output, the main pair, processed in place
// if the host likes; 32-bit samples; no latency. Main thread.
#include <clap/ext/audio-ports.h>
#include <clap/ext/latency.h>

#include <cstdio>

#include "clap_instance.h"

namespace {

constexpr clap_id kMainPortId = 0;  // the input's and the output's id, fixed forever

uint32_t portCount(const clap_plugin_t*, bool) { return 1; }

bool portInfo(const clap_plugin_t*, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
    if (index != 0 || !info) return false;
    *info = clap_audio_port_info_t{};
    info->id = kMainPortId;
    std::snprintf(info->name, sizeof info->name, "%s", isInput ? "Stereo In" : "Stereo Out");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = kMainPortId;
    return true;
}

uint32_t latency(const clap_plugin_t*) { return 0; }

}  // namespace

const clap_plugin_audio_ports_t kClapAudioPorts = {portCount, portInfo};
const clap_plugin_latency_t kClapLatency = {latency};
