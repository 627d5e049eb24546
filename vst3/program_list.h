#pragma once
// The factory presets as the VST 3 program list: one list on the root unit
// and a program-change parameter whose value picks a preset. Hosts show the
// list in their preset menus and choose a preset by setting the parameter;
// a preset sets every parameter but Bypass.
#include <atomic>
#include <cstdint>

#include "travesty/audio_processor.h"
#include "travesty/edit_controller.h"

#include "../core/plugin_core.h"
#include "../dsp/presets.h"

struct Vst3Instance;

// Saved by hosts in projects: fixed forever.
constexpr v3_param_id kProgramChangeId = 2000;
constexpr int32_t kProgramListId = 1;

// The parameter as the controller lists it, after the table and the meter.
void fillProgramChangeInfo(v3_param_info* info);

// The preset a normalised value picks (the nearest step; out of range clamps,
// NaN picks the first), and the value that picks preset `preset`.
int32_t presetAtNormalised(double normalised);
double normalisedOfPreset(int32_t preset);

// Its texts: the preset's name, and a name read back (false for any other text).
void writeProgramText(double normalised, v3_str_128 out);
bool readProgramText(const int16_t* text, double* normalised);

// The parameter's value for the program chosen; with none chosen yet the
// list's first step, the only value the parameter has for it.
double programNormalised(int32_t program);

// Main thread, from the host's setParameterNormalised: the preset's values
// into the core (the current program too: choosing it again in the menu
// reloads it), and the host told that the parameters changed behind it.
void selectProgram(Vst3Instance* instance, double normalised);

// Audio thread, no allocation: a program change among a block's input
// changes, as the preset's changes at its last point's frame, written into
// `out`; returns how many (0 when there is none to load). Only a change to
// another program loads: a host that sends the current one again (as some
// do when playback starts) keeps the user's edits since. With no program
// chosen yet, any program loads, the first one included.
int32_t takeProgramChange(v3_param_changes** changes, std::atomic<int32_t>& selected,
                          ParameterChange (&out)[kPresetParamCount]);
