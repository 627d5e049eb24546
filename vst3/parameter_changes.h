#pragma once
// The host's input parameter changes of one block as the core's change list.
#include <cstdint>

#include "travesty/audio_processor.h"

#include "../core/plugin_core.h"

// Audio thread; no allocation. Writes the points of every queue for one of
// the nine parameters into `out` by frame (points at one frame keep the
// host's order), offsets as the host sent them: the core reads a list's
// offsets out of order, past the block or negative by its rule. The first
// queue of an id is taken; the meter, unknown ids and points the host cannot
// give are skipped. When more points come than `capacity`, each parameter's
// remaining points fold into its last one. Returns the count written.
int32_t gatherChanges(v3_param_changes** changes, ParameterChange* out, int32_t capacity);
