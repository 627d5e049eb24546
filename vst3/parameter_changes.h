#pragma once
// The host's input parameter changes of one block into the core's change list.
#include <cstdint>

#include "travesty/audio_processor.h"

#include "../core/plugin_core.h"

// Audio thread; no allocation. Adds the points of every queue for one of the
// nine parameters to the block begun in `core` (beginBlock) by frame (points
// at one frame keep the host's order), offsets as the host sent them: the
// core reads offsets out of order, past the block or negative by its rule.
// The first queue of an id is taken; the meter, unknown ids and points the
// host cannot give are skipped. The plug-in's own changes at one frame (a
// program change's preset, `ownCount` of them) go in after the host's points
// before that frame and before those at it or after it, so a host's value at
// the same frame has the last word.
void addHostChanges(v3_param_changes** changes, PluginCore& core, const ParameterChange* own = nullptr,
                    int32_t ownCount = 0);
