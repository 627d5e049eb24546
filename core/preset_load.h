#pragma once
// A factory preset into the core, as every format loads it: its values as
// changes (for a format that loads it inside a block) or at once. Bypass is
// never among them.
#include <cstdint>

#include "../dsp/presets.h"
#include "plugin_core.h"

// Writes preset `preset`'s kPresetParamCount changes at frame `offset` into
// `out`; returns how many (0 for an index outside the table).
int32_t presetChanges(int32_t preset, int32_t offset, ParameterChange* out);

// Any thread, when the host does not process (a format's main-thread load):
// the preset's values at once. False, and nothing changed, for an index
// outside the table.
bool loadPreset(PluginCore& core, int32_t preset);
