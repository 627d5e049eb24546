#pragma once
// The plug-in as every host format sees it: the nine parameter values, the
// host's rate and bypass, the engine and its meter. A format's wrapper only
// translates its binary interface onto these functions; it never reaches into
// the engine itself.
#include <atomic>
#include <cstdint>

#include "../dsp/engine_state.h"
#include "../dsp/parameters.h"

// One parameter change at a frame inside a block: from that frame on,
// parameter `index` has the normalised `value`.
struct ParameterChange {
    int32_t offset;
    int32_t index;
    float value;
};

// The one list of a block's changes every format fills, change by change in
// the host's order: fixed size, never allocated. Its overflow rule: when a
// change comes to a full list, the frames before that change are processed
// with the changes listed so far and the list starts again, which sounds
// exactly as the host cutting the block there would. So no change is ever
// dropped or folded, however many a block brings.
constexpr int32_t kChangeListCapacity = 256;

struct BlockChanges {
    const float* const* inputs;  // null for a flush: the changes apply at once
    float* const* outputs;
    int32_t frames;
    int32_t done;        // frames processed so far
    int32_t lastOffset;  // the last change's frame, as the list's rule read it
    int32_t count;
    ParameterChange changes[kChangeListCapacity];
};

// How the format that owns the instance hears from its editor, on the
// editor's (main) thread: a knob drag's begin, each new value and its end, and
// a request for another window size in device pixels (true when the host
// took it). Any member may be null.
struct EditorCallbacks {
    void* context;
    void (*begin)(void* context, int32_t index);
    void (*perform)(void* context, int32_t index, float normalised);
    void (*end)(void* context, int32_t index);
    bool (*requestSize)(void* context, int32_t width, int32_t height);
};

struct PluginCore {
    // Shared with the audio thread: relaxed atomics, each one aligned value.
    std::atomic<float> params[kParamCount];
    std::atomic<double> hostSampleRate;  // as the rate rule stored it
    std::atomic<bool> hostBypass;
    float requestedRate;  // the host's last rate request; startOver keeps it
    EditorCallbacks editorCallbacks;
    EngineState engine;
    BlockChanges block;  // audio thread (or the host's flush)
};

// Main thread, before any other call: defaults, not bypassed, the fallback rate.
void initCore(PluginCore& core);

// Any thread. The value goes through the clamp rule (NaN gives 1); an index
// outside the table is ignored (and reads as 0).
void setParameter(PluginCore& core, int32_t index, float normalised);
float parameter(const PluginCore& core, int32_t index);
float gainReductionMeter(const PluginCore& core);

// Main thread, while the host does not process: the rate rule (zero, negative
// or NaN runs at the fallback rate) and new coefficients.
void setSampleRate(PluginCore& core, float hostRate);
// A rate a host gives as a double (LV2, CLAP, VST 3) as the float the rate rule
// takes: zero, negative and NaN give 0 (so the fallback rate); a rate beyond
// the float range gives the largest float.
float hostRateAsFloat(double rate);
// Any thread; reaches the engine at its next block.
void setHostBypass(PluginCore& core, bool bypassed);
// Main thread, while the host does not process (activate, reset): the
// compressor and meter start afresh at the current rate; parameters, bypass
// and rate stay.
void startOver(PluginCore& core);

// Audio thread. Processes `frames` frames (outputs may alias inputs). The
// changes apply in list order, each from its frame on: the block is split at
// their offsets and each piece is one engine block, exactly as if the host had
// split it there and set the values in between. An offset below the previous
// change's (or negative) counts as that change's offset; an offset at or past
// the block's end applies after the last frame. A change with an unknown index
// or a NaN value is dropped. A block of 0 frames (or fewer) applies its
// changes and then runs one empty engine block, as a host's empty call does.
void processCore(PluginCore& core, const float* const* inputs, float* const* outputs, int32_t frames,
                  const ParameterChange* changes = nullptr, int32_t changeCount = 0);
// Any thread, when the host does not process: the changes, applied at once.
void applyChanges(PluginCore& core, const ParameterChange* changes, int32_t changeCount);

// Audio thread (or a flush): processCore fed change by change through the
// core's change list. beginBlock starts a block of `frames` frames (null
// buffers: a flush, whose changes apply at once); addBlockChange takes the
// next change, read by processCore's rule for offsets, unknown indices and
// NaN; endBlock processes the rest of the block.
void beginBlock(PluginCore& core, const float* const* inputs, float* const* outputs, int32_t frames);
void addBlockChange(PluginCore& core, const ParameterChange& change);
void endBlock(PluginCore& core);
