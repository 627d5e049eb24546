#pragma once
// The factory presets: starting points for real material, offered by every
// format that has a preset list (LV2 bundle presets, the VST 3 program list
// and .vstpreset files, CLAP's preset discovery). Each holds its values in
// the parameters' units; Bypass is no part of a preset, so loading one never
// turns it on or off.
#include <cstdint>

#include "parameters.h"

// Every parameter a preset sets: all but Bypass, the table's last row.
constexpr int32_t kPresetParamCount = kBypass;
static_assert(kBypass == kParamCount - 1, "a preset's values are the rows before Bypass");

struct Preset {
    const char* name;         // shown in hosts' preset menus; also the .vstpreset file name
    const char* key;          // stable identifier: [a-z0-9-]+, never reused
    const char* description;  // one line: what it is for
    double units[kPresetParamCount];  // in table order, each in its row's unit
};

constexpr int32_t kPresetCount = 11;
extern const Preset kPresets[kPresetCount];

inline bool isPresetIndex(int32_t index) { return static_cast<uint32_t>(index) < kPresetCount; }

// The normalised value preset `preset` gives parameter `index` (< kPresetParamCount):
// the unit value through the table's inverse, as the float every format stores.
float presetNormalised(int32_t preset, int32_t index);

// The preset whose key is `key`, or -1.
int32_t presetIndexOfKey(const char* key);
