// IAudioProcessor: stereo in, stereo out, 32-bit samples, and the block with
// its parameter changes handed to the core.
#include "parameter_changes.h"
#include "parameter_info.h"
#include "program_list.h"
#include "vst3_instance.h"

namespace {

constexpr v3_speaker_arrangement kStereo = V3_SPEAKER_L | V3_SPEAKER_R;

// Only one stereo input and one stereo output; the buses stay stereo.
v3_result V3_API setBusArrangements(void*, v3_speaker_arrangement* inputs, int32_t inputCount,
                                    v3_speaker_arrangement* outputs, int32_t outputCount) {
    const bool stereo = inputs && outputs && inputCount == 1 && outputCount == 1 && inputs[0] == kStereo &&
                        outputs[0] == kStereo;
    return stereo ? kResultOk : kResultFalse;
}

v3_result V3_API getBusArrangement(void*, int32_t direction, int32_t index, v3_speaker_arrangement* arrangement) {
    if (!arrangement || index != 0 || (direction != V3_INPUT && direction != V3_OUTPUT)) return kInvalidArgument;
    *arrangement = kStereo;
    return kResultOk;
}

v3_result V3_API canProcessSampleSize(void*, int32_t size) { return size == V3_SAMPLE_32 ? kResultOk : kResultFalse; }

uint32_t V3_API noLatency(void*) { return 0; }
uint32_t V3_API noTail(void*) { return 0; }

// Main thread, while the host does not process: the rate through the core's
// rate rule. The largest block needs nothing: the core takes any length.
v3_result V3_API setupProcessing(void* self, v3_process_setup* setup) {
    if (!setup) return kInvalidArgument;
    if (setup->symbolic_sample_size != V3_SAMPLE_32) return kResultFalse;
    setSampleRate(instanceOf(self)->core, hostRateAsFloat(setup->sample_rate));
    return kResultOk;
}

v3_result V3_API setProcessing(void*, v3_bool) { return kResultOk; }

// The first bus's two channels, or null when the block does not bring them
// all as 32-bit buffers.
float** stereoChannels(v3_audio_bus_buffers* buses, int32_t busCount, int32_t sampleSize) {
    if (!buses || busCount < 1 || sampleSize != V3_SAMPLE_32 || buses[0].num_channels < 2) return nullptr;
    float** channels = buses[0].channel_buffers_32;
    return channels && channels[0] && channels[1] ? channels : nullptr;
}

// Whatever output channels a block without full buffers has are silenced.
void silenceOutputs(v3_process_data* data) {
    if (!data->outputs || data->num_output_buses < 1 || data->symbolic_sample_size != V3_SAMPLE_32) return;
    v3_audio_bus_buffers& bus = data->outputs[0];
    for (int32_t c = 0; bus.channel_buffers_32 && c < bus.num_channels && c < 64; ++c) {
        if (!bus.channel_buffers_32[c]) continue;
        for (int32_t i = 0; i < data->nframes; ++i) bus.channel_buffers_32[c][i] = 0.0f;
        bus.channel_silence_bitset |= uint64_t{1} << c;
    }
}

// The meter after the block, at its last frame, for hosts to show and record.
void sendMeter(const PluginCore& core, v3_param_changes** output, int32_t frames) {
    if (!output || !*output) return;
    v3_param_id id = kGainReductionId;
    int32_t queueIndex = 0, pointIndex = 0;
    v3_param_value_queue** queue = v3_cpp_obj(output)->add_param_data(output, &id, &queueIndex);
    if (queue && *queue)
        v3_cpp_obj(queue)->add_point(queue, frames - 1, meterNormalised(gainReductionMeter(core)), &pointIndex);
}

// Audio thread: no allocation, lock or system call. A block of 0 frames is
// the host's parameter flush: the changes only. A block without its buffers
// applies its changes and leaves the compressor where it was.
v3_result V3_API process(void* self, v3_process_data* data) {
    if (!data) return kInvalidArgument;
    Vst3Instance* p = instanceOf(self);
    const int32_t frames = data->nframes > 0 ? data->nframes : 0;
    float** in = stereoChannels(data->inputs, data->num_input_buses, data->symbolic_sample_size);
    float** out = stereoChannels(data->outputs, data->num_output_buses, data->symbolic_sample_size);
    const bool audio = frames > 0 && in && out;
    beginBlock(p->core, audio ? in : nullptr, out, frames);
    // A program change's preset values at its frame, among the host's own.
    ParameterChange preset[kPresetParamCount];
    const int32_t presetCount = takeProgramChange(data->input_params, p->program, preset);
    addHostChanges(data->input_params, p->core, preset, presetCount);
    endBlock(p->core);
    if (!audio) {
        if (frames > 0) silenceOutputs(data);
        return data->nframes < 0 ? kInvalidArgument : kResultOk;
    }
    data->outputs[0].channel_silence_bitset = 0;
    sendMeter(p->core, data->output_params, frames);
    return kResultOk;
}

// The compressor reads nothing of the host's transport, tempo or time: it
// asks for no process-context field.
uint32_t V3_API noContextFields(void*) { return 0; }

}  // namespace

const v3_process_context_requirements_cpp kContextRequirementsVtable = {
    {queryInstance, refInstance, unrefInstance},
    {noContextFields},
};

const v3_audio_processor_cpp kProcessorVtable = {
    {queryInstance, refInstance, unrefInstance},
    {setBusArrangements, getBusArrangement, canProcessSampleSize, noLatency, setupProcessing, setProcessing,
     process, noTail},
};
