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
// host cannot give are skipped.
void addHostChanges(v3_param_changes** changes, PluginCore& core);
