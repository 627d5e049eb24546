// The editor's knob drags (editor thread, the host's main thread): each
// begin, value and end goes into the gesture queue, and a host with the
// params extension is asked for a flush, so it reaches the host in the next
// process or flush. The editor has stored each value in the core already, so
// a host without that extension gets it the ways the format leaves: the next
// process reads it, the state holds it, and the host is told at the drag's
// end that the state changed. It is never asked to process: that call means
// "activate and start processing", and a plug-in the user switched off would
// come back on.
#include <clap/ext/state.h>

#include "clap_instance.h"

namespace {

ClapInstance& instanceOfContext(void* context) { return *static_cast<ClapInstance*>(context); }

void askForFlush(const ClapInstance& p) {
    if (p.hostParams && p.hostParams->request_flush) p.hostParams->request_flush(p.host);
}

void begin(void* context, int32_t index) {
    ClapInstance& p = instanceOfContext(context);
    pushGestureBegin(p.gestures, index);
    askForFlush(p);
}

void perform(void* context, int32_t index, float normalised) {
    ClapInstance& p = instanceOfContext(context);
    pushGestureValue(p.gestures, index, normalised);
    askForFlush(p);
}

void end(void* context, int32_t index) {
    ClapInstance& p = instanceOfContext(context);
    pushGestureEnd(p.gestures, index);
    askForFlush(p);
    if (p.hostState && p.hostState->mark_dirty) p.hostState->mark_dirty(p.host);
}

}  // namespace

void wireEditorGestures(ClapInstance& p) {
    p.core.editorCallbacks = EditorCallbacks{&p, begin, perform, end, requestGuiSize};
}
