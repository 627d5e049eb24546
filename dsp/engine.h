#pragma once
// The compressor's block flow. Knows nothing of the plug-in interface: the
// shell takes one snapshot of the shared values per block and hands it here.
#include <cstdint>

#include "engine_state.h"
#include "parameters.h"

struct BlockControls {
    float params[kParamCount];  // normalised, already clamped to [0, 1]
    double hostSampleRate;      // as stored by the rate rule (not raised to 8000)
    bool hostBypass;
};

// Reads inputs[0..1], writes outputs[0..1] (never accumulates); outputs may
// alias inputs. Audio thread only: no allocation, locks or system calls.
void processBlock(EngineState& state, const BlockControls& controls, const float* const* inputs,
                  float* const* outputs, int32_t sampleFrames);
