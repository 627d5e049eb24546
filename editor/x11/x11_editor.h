#pragma once
// The editor on Linux: one object per open window, an X11 child of the
// host's window on a display connection of its own, made, driven and closed
// on the host's UI thread. It has no thread and no timer of its own: the
// host's idle call (or timer) hands it the window's events and lets it
// repaint what changed. It reaches the plug-in only through EditorHost.
#include <cstdint>

#include "../../core/editor_host.h"

struct X11Editor;

// How every Linux format opens its editor: a child of the host's window
// `parent` (an X11 Window id), drawn at `hostScale` (clamped to [1, 3]) or,
// for kNoHostScale, at the display's (x11DisplayScale). `width` x `height` is
// the size the host was told, 0 x 0 when it was told none: when the scale
// wants another, the editor asks the host for it (EditorHost::requestSize),
// and a host that refuses keeps the told size, into which the panel fits
// itself. The editor's own window comes back in `window` (0 when it could not
// be made: no display, no such parent), which is also when the editor is null.
X11Editor* openX11EditorOn(const EditorHost& host, unsigned long parent, int32_t width, int32_t height,
                           double hostScale, unsigned long* window);
// Maps or unmaps the window (a host that hides the editor but keeps its own
// window); false once the window is gone.
bool showX11Editor(X11Editor* editor, bool shown);
// The editor's own window (an X11 Window id); 0 once it is gone.
unsigned long x11EditorWindow(const X11Editor* editor);
// Ends a running drag, destroys the window if it still exists (the host may
// have destroyed it with its parent already), closes the connection, frees
// the editor.
void closeX11Editor(X11Editor* editor);
// The host's idle call or timer: takes the window's events (expose, drag,
// size), then repaints only what would look different. Returns false once
// the window is gone (its parent was destroyed).
bool x11EditorIdle(X11Editor* editor);
// Draws the panel at `scale` (clamped to [1, 3]): the window takes the
// panel's size at it and asks the host for it; a host that refuses keeps its
// frame, and the panel fits itself into it.
void setX11EditorScale(X11Editor* editor, double scale);
double x11EditorScale(const X11Editor* editor);
// The host frames the editor at another size: the window takes it, and the
// panel fits itself into it (scaled down and centred when it is smaller).
// Sizes below 1 pixel are refused.
bool resizeX11Editor(X11Editor* editor, int32_t width, int32_t height);
// The window's size as the host should frame it.
void x11EditorSize(const X11Editor* editor, int32_t* width, int32_t* height);

// The display's scale: its Xft.dpi resource over 96, clamped to [1, 3]; 1
// when the server has none (or no server can be reached).
double x11DisplayScale();
