#pragma once
// The engine as it was before its restructuring, with each speed path
// switchable at run time (block-level choices) or build time (arithmetic
// rewrites, one namespace per build), for measuring what each path buys.
#include "engine.h"

struct SpeedPaths {
    bool oneFrame = true;       // straight-line one-frame path
    bool shortBlock = true;     // plain sample loop for blocks under 4 frames
    bool chunked = true;        // chunked passes (off: plain loop for every block)
    int isa = 2;                // widest instruction-set build of the passes
    bool blockCache = true;     // block values reused while controls stay
    bool guardSkip = true;      // control word left alone for short clean blocks
    bool thresholdSkip = true;  // chunk gains 1 without the gain computer below threshold
    bool simdSmallest = true;   // vector minimum for the meter's smallest gain
};
extern SpeedPaths gSpeedPaths;

#define DECLARE_PATHS_ENGINE(ns)                                                                     \
    namespace ns {                                                                                   \
    void processBlock(EngineState& state, const BlockControls& controls, const float* const* inputs, \
                      float* const* outputs, int32_t sampleFrames);                                 \
    }
DECLARE_PATHS_ENGINE(pathsToday)
DECLARE_PATHS_ENGINE(pathsHeldDivision)
DECLARE_PATHS_ENGINE(pathsWrittenControls)
DECLARE_PATHS_ENGINE(pathsWrittenGain)
DECLARE_PATHS_ENGINE(pathsRuntimeLog10)
DECLARE_PATHS_ENGINE(pathsRuntimeOptions)
#undef DECLARE_PATHS_ENGINE
