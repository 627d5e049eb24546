// The editor's knob drags (editor thread, the host's main thread): each
// begin, value and end goes into the gesture queue, and the host is asked for
// a flush, so it reaches the host in the next process or flush.
#include "clap_instance.h"

namespace {

ClapInstance& instanceOfContext(void* context) { return *static_cast<ClapInstance*>(context); }

// The host's params extension asks for a flush; a host without it at least
// for a process call.
void askForFlush(const ClapInstance& p) {
    if (p.hostParams && p.hostParams->request_flush) p.hostParams->request_flush(p.host);
    else if (p.host->request_process) p.host->request_process(p.host);
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
}

}  // namespace

void wireEditorGestures(ClapInstance& p) {
    p.core.editorCallbacks = EditorCallbacks{&p, begin, perform, end, requestGuiSize};
}
