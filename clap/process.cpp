// The audio callback. Audio thread; nothing here allocates, locks or calls
// the system.
#include <clap/process.h>

#include <cstdint>

#include "clap_instance.h"

namespace {

// The channels of the one stereo port on a side, or null when the host's
// buffers are not that (another port or channel count, a null pointer,
// 64-bit samples only).
float* const* stereoChannels(const clap_audio_buffer_t* buffers, uint32_t count) {
    if (count != 1 || !buffers || buffers->channel_count != 2 || !buffers->data32) return nullptr;
    float* const* channels = buffers->data32;
    return channels[0] && channels[1] ? channels : nullptr;
}

// Whatever output channels can be written get silence.
void silenceOutputs(const clap_process_t& process, uint32_t frames) {
    for (uint32_t b = 0; process.audio_outputs && b < process.audio_outputs_count; ++b) {
        const clap_audio_buffer_t& buffer = process.audio_outputs[b];
        for (uint32_t c = 0; buffer.data32 && c < buffer.channel_count; ++c)
            for (uint32_t i = 0; buffer.data32[c] && i < frames; ++i) buffer.data32[c][i] = 0.0f;
    }
}

}  // namespace

// Outside start_processing and stop_processing (so also before activation)
// nothing is touched and the call fails. With buffers that are not one stereo pair the events still apply,
// every writable output channel is silenced and the call fails.
clap_process_status processClap(ClapInstance& p, const clap_process_t* process) {
    if (!process || !p.processing || process->frames_count > INT32_MAX) return CLAP_PROCESS_ERROR;
    const int32_t frames = static_cast<int32_t>(process->frames_count);
    const float* const* in = stereoChannels(process->audio_inputs, process->audio_inputs_count);
    float* const* out = stereoChannels(process->audio_outputs, process->audio_outputs_count);
    const bool usable = in && out;
    beginBlock(p.core, usable ? in : nullptr, out, frames);
    addHostEvents(p, process->in_events);
    endBlock(p.core);
    if (!usable) silenceOutputs(*process, process->frames_count);
    sendGestures(p, process->out_events);
    sendMeter(p, process->out_events);
    return usable ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR;
}
