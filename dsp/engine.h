#pragma once
// The compressor's block flow. Knows nothing of the plug-in interface: the
// shell takes one snapshot of the shared values per block and hands it here.
#include <cstdint>

#include "engine_state.h"
#include "parameters.h"

struct BlockControls {
    float params[kParamCount];  // normalised, already clamped to [0, 1]
    double hostSampleRate;      // as stored by the rate rule (not raised to kLowestSampleRate)
    bool hostBypass;
};

// Reads inputs[0..1], writes outputs[0..1] (never accumulates); outputs may
// alias inputs. Audio thread only: no allocation, locks or system calls.
// Input samples that are NaN, infinite or 1000000 and beyond in size are
// silence to the detector (filter, envelope, analysis), so they never stick in
// its state; the output path still carries them (a NaN is written as
// +kOutputCeiling).
// The detector high-pass step is capped at 1, keeping it stable at any rate.
void processBlock(EngineState& state, const BlockControls& controls, const float* const* inputs,
                  float* const* outputs, int32_t sampleFrames);

// Between two engine blocks of one host call (a host block cut where a
// parameter changes): parameter `index` of `controls` takes `value`, already
// clamped, and the block values kept in `state` recompute only what it feeds.
void changeBlockParameter(EngineState& state, BlockControls& controls, ParamIndex index, float value);

// The engine's passes exist in baseline, AVX2 and AVX-512 builds; the widest
// the processor runs is chosen when the library loads, and all give the same
// output. Tests cap it here (0 baseline, 1 AVX2, 2 AVX-512).
void selectEngineInstructionSet(int widest);
