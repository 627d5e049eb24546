#pragma once
// While it lives, X errors on one connection are caught instead of ending
// the process (Xlib's default): the host may destroy the editor's window
// with its own at any moment, and every request on it then fails. Errors of
// other connections (the host's own) still reach the handler that was
// installed before. On leaving it waits for the server's answer to every
// request it covered, only when it covered any. A trap made while another
// is in force leaves the work to the outer one.
#include <X11/Xlib.h>

class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;
    // Waits for the server, then tells whether any covered request failed.
    bool caughtError() const;

private:
    Display* display_;
    unsigned long firstRequest_;
    bool nested_;
};
