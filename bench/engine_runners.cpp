#include "engine_runners.h"

#include <algorithm>
#include <cstring>

#include "engine.h"
#include "engine_state.h"
#include "literal_engine.h"

struct ShippedRunner::Impl {
    EngineState state;
};

ShippedRunner::ShippedRunner() : impl_(new Impl) { initEngineState(impl_->state); }
ShippedRunner::~ShippedRunner() { delete impl_; }

void ShippedRunner::run(const BenchSignal& signal, int32_t blockSize, StereoBuffer& out) {
    initEngineState(impl_->state);
    BlockControls controls;
    static_assert(kParamCount == kBenchParamCount, "parameter count");
    std::memcpy(controls.params, signal.params, sizeof controls.params);
    controls.hostSampleRate = kBenchRate;
    controls.hostBypass = false;
    const int64_t frames = signal.frames();
    for (int64_t at = 0; at < frames; at += blockSize) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(blockSize, frames - at));
        const float* in[2] = {signal.left.data() + at, signal.right.data() + at};
        float* outs[2] = {out.left.data() + at, out.right.data() + at};
        processBlock(impl_->state, controls, in, outs, n);
    }
}

float ShippedRunner::meter() const {
    return impl_->state.gainReductionMeter.load(std::memory_order_relaxed);
}

struct LiteralRunner::Impl {
    LiteralCompressor state;
};

LiteralRunner::LiteralRunner() : impl_(new Impl) {
    float params[kBenchParamCount];
    defaultBenchParams(params);
    literalInit(impl_->state, params);
}
LiteralRunner::~LiteralRunner() { delete impl_; }

void LiteralRunner::run(const BenchSignal& signal, int32_t blockSize, StereoBuffer& out) {
    literalInit(impl_->state, signal.params);
    const int64_t frames = signal.frames();
    for (int64_t at = 0; at < frames; at += blockSize) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(blockSize, frames - at));
        const float* in[2] = {signal.left.data() + at, signal.right.data() + at};
        float* outs[2] = {out.left.data() + at, out.right.data() + at};
        literalProcessBlock(impl_->state, in, outs, n);
    }
}

float LiteralRunner::meter() const { return impl_->state.gainReductionMeter; }
