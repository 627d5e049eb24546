#pragma once
// What an editor may ask of the plug-in, and the core's side of it. The
// editor reads values and the meter; a knob drag's begin, values and end go
// to the format that owns the instance (its EditorCallbacks).
#include <cstdint>

struct PluginCore;

// Every call passes `context` back; all are made on the editor's thread.
struct EditorHost {
    void* context;
    const char* formatName;  // the host format the instance runs in: "VST2", "VST3", "CLAP"
    float (*parameter)(void* context, int32_t index);  // normalised
    float (*meter)(void* context);                      // gain reduction in dB
    void (*beginEdit)(void* context, int32_t index);
    // Clamps and stores the value and reports it to the host for automation.
    void (*setAndAutomate)(void* context, int32_t index, float value);
    void (*endEdit)(void* context, int32_t index);
    // Asks the host for a window of this size in device pixels; true when it agreed.
    bool (*requestSize)(void* context, int32_t width, int32_t height);
};

EditorHost editorHostFor(PluginCore& core, const char* formatName);

// The scale a host announced for its editor, as every format keeps it: a
// factor, or kNoHostScale while the host gave none (the editor then follows
// the display). A host that announces 1 has given a scale.
constexpr double kNoHostScale = 0.0;
inline bool hostGaveScale(double scale) { return scale > 0.0; }
