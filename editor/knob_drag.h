#pragma once
// The vertical knob drag of every editor window: a press on a knob opens its
// edit, every move sets the value from the drag's anchor, and the edit is
// closed exactly once, whichever way the drag ends. Positions are the
// window's device pixels; the window's own rules (pointer capture, the
// button's state, its lifetime) stay with each editor.
#include <cstdint>

#include "../core/editor_host.h"
#include "panel_layout.h"

// A drag, in panel units: its anchor and the layout it was measured in.
struct KnobDrag {
    int32_t param = -1;  // -1 while no drag
    float startY = 0.0f;
    float startValue = 0.0f;
    PanelLayout layout{};
};

// A press: on a knob, ends a running drag, opens the knob's edit and anchors
// there (true); a miss leaves a running drag as it is (false).
bool startKnobDrag(KnobDrag& drag, const EditorHost& host, const PanelLayout& layout, int32_t x, int32_t y);
// A move with the button held: the value from the anchor, reported even when
// the clamped value has not changed. When the panel's scale or place changed
// under the drag, the move re-anchors where the pointer is: the drag goes on
// from the value it reached, without a jump. Nothing while no drag runs.
void continueKnobDrag(KnobDrag& drag, const EditorHost& host, const PanelLayout& layout, int32_t y);
// Closes the running edit, if any.
void endKnobDrag(KnobDrag& drag, const EditorHost& host);
