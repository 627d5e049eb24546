#include "plugin_core.h"

#include <cfloat>
#include <cmath>

#include "engine.h"
#include "engine_constants.h"

void initCore(PluginCore& core) {
    for (int i = 0; i < kParamCount; ++i)
        core.params[i].store(kParamTable[i].defaultValue, std::memory_order_relaxed);
    core.hostSampleRate.store(kFallbackSampleRate, std::memory_order_relaxed);
    core.hostBypass.store(false, std::memory_order_relaxed);
    core.requestedRate = static_cast<float>(kFallbackSampleRate);
    core.editorCallbacks = EditorCallbacks{};
    initEngineState(core.engine);  // includes the coefficients for the fallback rate
}

void setParameter(PluginCore& core, int32_t index, float normalised) {
    if (!isParamIndex(index)) return;
    core.params[index].store(clampParameter(normalised), std::memory_order_relaxed);
}

float parameter(const PluginCore& core, int32_t index) {
    return isParamIndex(index) ? core.params[index].load(std::memory_order_relaxed) : 0.0f;
}

float gainReductionMeter(const PluginCore& core) {
    return core.engine.gainReductionMeter.load(std::memory_order_relaxed);
}

void setSampleRate(PluginCore& core, float hostRate) {
    core.requestedRate = hostRate;
    applySampleRate(core.hostSampleRate, core.engine.coefficients, hostRate);
}

float hostRateAsFloat(double rate) {
    if (!(rate > 0.0)) return 0.0f;
    return rate < FLT_MAX ? static_cast<float>(rate) : FLT_MAX;
}

void setHostBypass(PluginCore& core, bool bypassed) {
    core.hostBypass.store(bypassed, std::memory_order_relaxed);
}

void startOver(PluginCore& core) {
    initEngineState(core.engine);
    applySampleRate(core.hostSampleRate, core.engine.coefficients, core.requestedRate);
}

namespace {

bool usable(const ParameterChange& c) { return isParamIndex(c.index) && !std::isnan(c.value); }

// The shared values as they stand.
BlockControls snapshot(const PluginCore& core) {
    BlockControls controls;
    for (int i = 0; i < kParamCount; ++i) controls.params[i] = core.params[i].load(std::memory_order_relaxed);
    controls.hostSampleRate = core.hostSampleRate.load(std::memory_order_relaxed);
    controls.hostBypass = core.hostBypass.load(std::memory_order_relaxed);
    return controls;
}

// One engine block over frames [from, to).
void runPiece(PluginCore& core, const BlockControls& controls, const float* const* inputs, float* const* outputs,
              int32_t from, int32_t to) {
    const float* in[2] = {inputs[0] + from, inputs[1] + from};
    float* out[2] = {outputs[0] + from, outputs[1] + from};
    processBlock(core.engine, controls, in, out, to - from);
}

}  // namespace

void applyChanges(PluginCore& core, const ParameterChange* changes, int32_t changeCount) {
    for (int32_t i = 0; changes && i < changeCount; ++i)
        if (usable(changes[i])) setParameter(core, changes[i].index, changes[i].value);
}

void beginBlock(PluginCore& core, const float* const* inputs, float* const* outputs, int32_t frames) {
    BlockChanges& b = core.block;
    const bool audio = inputs && outputs;
    b.inputs = audio ? inputs : nullptr;
    b.outputs = audio ? outputs : nullptr;
    b.frames = audio && frames > 0 ? frames : 0;
    b.done = b.lastOffset = b.count = 0;
}

namespace {

// Frames [done, to) with the listed changes (at once when there are no
// frames to run), then an empty list from `to` on.
void runListed(PluginCore& core, int32_t to) {
    BlockChanges& b = core.block;
    if (!b.inputs || to == b.done) {
        applyChanges(core, b.changes, b.count);
    } else {
        for (int32_t i = 0; i < b.count; ++i) b.changes[i].offset -= b.done;
        const float* in[2] = {b.inputs[0] + b.done, b.inputs[1] + b.done};
        float* out[2] = {b.outputs[0] + b.done, b.outputs[1] + b.done};
        processCore(core, in, out, to - b.done, b.changes, b.count);
    }
    b.done = to;
    b.count = 0;
}

}  // namespace

// The offset is read here as processCore would read it in one list, so that
// a cut keeps the rule across the pieces.
void addBlockChange(PluginCore& core, const ParameterChange& change) {
    if (!usable(change)) return;
    BlockChanges& b = core.block;
    ParameterChange c = change;
    c.offset = c.offset < b.lastOffset ? b.lastOffset : (c.offset < b.frames ? c.offset : b.frames);
    b.lastOffset = c.offset;
    if (b.count == kChangeListCapacity) runListed(core, c.offset);
    b.changes[b.count++] = c;
}

// A block of 0 frames with buffers is a host's empty call: its changes, then
// one empty engine block.
void endBlock(PluginCore& core) {
    BlockChanges& b = core.block;
    if (b.inputs && b.frames == 0) {
        processCore(core, b.inputs, b.outputs, 0, b.changes, b.count);
        b.count = 0;
    } else {
        runListed(core, b.frames);
    }
    b.inputs = nullptr;
    b.outputs = nullptr;
}

void processCore(PluginCore& core, const float* const* inputs, float* const* outputs, int32_t frames,
                  const ParameterChange* changes, int32_t changeCount) {
    if (!changes) changeCount = 0;
    if (frames <= 0) {
        applyChanges(core, changes, changeCount);
        processBlock(core.engine, snapshot(core), inputs, outputs, frames);
        return;
    }
    // The shared values are read once per host block: a change from the list
    // reaches both them and this copy (reading them again for every piece
    // would cost 1.04x to 1.13x with a change every frame), and the engine's
    // kept block values recompute only what the changed parameter feeds.
    BlockControls controls = snapshot(core);
    int32_t done = 0;
    for (int32_t i = 0; i < changeCount; ++i) {
        const ParameterChange& c = changes[i];
        if (!usable(c)) continue;
        const int32_t at = c.offset < done ? done : (c.offset < frames ? c.offset : frames);
        if (at > done) {
            runPiece(core, controls, inputs, outputs, done, at);
            done = at;
        }
        const float value = clampParameter(c.value);
        core.params[c.index].store(value, std::memory_order_relaxed);
        changeBlockParameter(core.engine, controls, static_cast<ParamIndex>(c.index), value);
    }
    if (done < frames) runPiece(core, controls, inputs, outputs, done, frames);
}
