#include "x11_error_trap.h"

namespace {

// The trap in force on the UI thread, and the handler it replaced.
Display* trappedDisplay = nullptr;
bool caught = false;
XErrorHandler replaced = nullptr;

int onError(Display* display, XErrorEvent* error) {
    if (display == trappedDisplay) {
        caught = true;
        return 0;
    }
    return replaced ? replaced(display, error) : 0;
}

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display), firstRequest_(NextRequest(display)), nested_(trappedDisplay != nullptr) {
    if (nested_) return;
    replaced = XSetErrorHandler(onError);
    trappedDisplay = display;
    caught = false;
}

bool X11ErrorTrap::caughtError() const {
    XSync(display_, False);
    return caught;
}

X11ErrorTrap::~X11ErrorTrap() {
    if (nested_) return;
    if (NextRequest(display_) != firstRequest_) XSync(display_, False);
    XSetErrorHandler(replaced);
    trappedDisplay = nullptr;
    replaced = nullptr;
}
