#include "knob_drag.h"

#include "knob_layout.h"

namespace {

// The drag's anchor: where the pointer is, in panel units, and the value there.
void anchorDrag(KnobDrag& drag, const EditorHost& host, const PanelLayout& layout, int32_t y) {
    drag.layout = layout;
    drag.startY = panelYOf(layout, y);
    drag.startValue = host.parameter(host.context, drag.param);
}

}  // namespace

bool startKnobDrag(KnobDrag& drag, const EditorHost& host, const PanelLayout& layout, int32_t x, int32_t y) {
    const int32_t param = knobParamAt(panelXOf(layout, x), panelYOf(layout, y));
    if (param < 0) return false;
    endKnobDrag(drag, host);
    host.beginEdit(host.context, param);
    drag.param = param;
    anchorDrag(drag, host, layout, y);
    return true;
}

void continueKnobDrag(KnobDrag& drag, const EditorHost& host, const PanelLayout& layout, int32_t y) {
    if (drag.param < 0) return;
    if (!sameLayout(layout, drag.layout)) anchorDrag(drag, host, layout, y);
    const float moved = drag.startY - panelYOf(layout, y);
    host.setAndAutomate(host.context, drag.param, drag.startValue + moved * kDragPerPanelUnit);
}

void endKnobDrag(KnobDrag& drag, const EditorHost& host) {
    if (drag.param < 0) return;
    const int32_t param = drag.param;
    drag.param = -1;
    host.endEdit(host.context, param);
}
