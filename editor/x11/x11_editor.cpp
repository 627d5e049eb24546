// The editor window on X11: the object that owns it, the events its idle
// call takes (expose, presses and moves for the knob drag, size),
// the check that repaints only what went stale, and the panel's scale with
// the window's size. Painting composes the stale areas in a pixmap of the
// window's size and copies them to the window: nothing flickers.
#include "x11_editor.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <cstdlib>
#include <new>

#include "../cairo/cairo_panel.h"
#include "../knob_drag.h"
#include "../panel_size_request.h"
#include "../panel_layout.h"
#include "x11_error_trap.h"

namespace {

// Stale areas of one paint; beyond this many the paint takes their bounding box.
constexpr int kMaxAreas = 32;

}  // namespace

// The Xft.dpi scale of the server as `display` last read its resources.
double scaleOfDisplay(Display* display);

struct X11Editor {
    EditorHost host;
    Display* display;  // the editor's own connection
    Window parent, window;
    Visual* visual;
    int depth;
    // The frame a paint composes, the window's size.
    Pixmap frame;
    cairo_surface_t* frameSurface;
    int32_t frameWidth, frameHeight;
    GC copyGc;
    CairoPanel* panel;
    // What the window shows: the values its knobs and its meter were last
    // drawn from, for the parts in `partsShown` (a part never drawn yet
    // counts as stale).
    PanelValues knobsShown, meterShown;
    uint32_t partsShown;
    PanelBox stale[kMaxAreas];  // device pixels waiting for the next paint
    int staleCount;
    double scale;
    bool scaleFromHost;     // else the display's, followed when its Xft.dpi changes
    int32_t width, height;  // the window's size
    KnobDrag drag;
};

namespace {

PanelLayout layoutOf(const X11Editor* e) { return panelLayoutFor(e->width, e->height, e->scale); }

PanelValues currentValues(const X11Editor* e) {
    PanelValues v;
    for (int32_t i = 0; i < kParamCount; ++i) v.params[i] = e->host.parameter(e->host.context, i);
    v.meter = e->host.meter(e->host.context);
    return v;
}

void markStale(X11Editor* e, const PanelBox& box) {
    if (box.right <= box.left || box.bottom <= box.top) return;
    if (e->staleCount < kMaxAreas) {
        e->stale[e->staleCount++] = box;
        return;
    }
    PanelBox& all = e->stale[kMaxAreas - 1];  // the last one grows into the bounding box
    if (box.left < all.left) all.left = box.left;
    if (box.top < all.top) all.top = box.top;
    if (box.right > all.right) all.right = box.right;
    if (box.bottom > all.bottom) all.bottom = box.bottom;
}

void markAllStale(X11Editor* e) {
    e->staleCount = 0;
    e->partsShown = 0;
    markStale(e, PanelBox{0, 0, e->width, e->height});
}

// Marks the boxes of the parts a repaint would show otherwise. The values
// themselves decide: a host's change from any thread is only a store of the
// value, which the next look finds.
void markChangedParts(X11Editor* e) {
    const PanelValues now = currentValues(e);
    const uint32_t parts = (partsThatDiffer(now, e->knobsShown, e->meterShown) | ~e->partsShown) & kAllParts;
    if (!parts) return;
    const PanelLayout layout = layoutOf(e);
    for (int part = 0; part < kMeterPart; ++part)
        if (parts & (1u << part)) markStale(e, deviceBoxOf(layout, panelPartBox(part)));
    // A meter drawn before repaints only where it changed.
    PanelBox boxes[kMaxMeterChangeBoxes];
    const int count = e->partsShown & (1u << kMeterPart) ? meterChangeBoxes(now, e->meterShown, boxes) : 0;
    for (int i = 0; i < count; ++i) markStale(e, deviceBoxOf(layout, boxes[i]));
    if (parts & (1u << kMeterPart) && count == 0) markStale(e, deviceBoxOf(layout, panelPartBox(kMeterPart)));
}

void releaseFrame(X11Editor* e) {
    if (e->frameSurface) cairo_surface_destroy(e->frameSurface);
    if (e->frame) XFreePixmap(e->display, e->frame);
    e->frameSurface = nullptr;
    e->frame = 0;
    e->frameWidth = e->frameHeight = 0;
}

// The frame pixmap at the window's size; false when it cannot be had.
bool frameReady(X11Editor* e) {
    if (e->frame && e->frameWidth == e->width && e->frameHeight == e->height) return true;
    releaseFrame(e);
    if (e->width <= 0 || e->height <= 0) return false;
    e->frame = XCreatePixmap(e->display, e->window, static_cast<unsigned>(e->width),
                             static_cast<unsigned>(e->height), static_cast<unsigned>(e->depth));
    e->frameSurface = cairo_xlib_surface_create(e->display, e->frame, e->visual, e->width, e->height);
    e->frameWidth = e->width;
    e->frameHeight = e->height;
    if (cairo_surface_status(e->frameSurface) == CAIRO_STATUS_SUCCESS) return true;
    releaseFrame(e);
    return false;
}

void paintStale(X11Editor* e) {
    if (e->staleCount == 0 || !e->window || !frameReady(e)) return;
    const PanelValues now = currentValues(e);
    cairo_t* cr = cairo_create(e->frameSurface);
    const uint32_t drawn =
        paintCairoPanel(*e->panel, cr, now, e->width, e->height, e->stale, e->staleCount, e->scale);
    cairo_destroy(cr);
    cairo_surface_flush(e->frameSurface);
    for (int i = 0; i < e->staleCount; ++i) {
        const PanelBox& b = e->stale[i];
        XCopyArea(e->display, e->frame, e->window, e->copyGc, b.left, b.top, static_cast<unsigned>(b.right - b.left),
                  static_cast<unsigned>(b.bottom - b.top), b.left, b.top);
    }
    e->staleCount = 0;
    XFlush(e->display);
    // Only what was drawn counts as shown.
    for (int32_t i = 0; i < kParamCount; ++i)
        if (drawn & (1u << i)) e->knobsShown.params[i] = now.params[i];
    if (drawn & (1u << kMeterPart)) e->meterShown = now;
    e->partsShown |= drawn;
}

// A move without the button (the release went elsewhere) ends the drag
// unchanged. The server grabs the pointer from the press to the release: the
// drag follows it outside the window too.
void continueDrag(X11Editor* e, unsigned buttons, int32_t y) {
    if (!(buttons & Button1Mask)) return endKnobDrag(e->drag, e->host);
    continueKnobDrag(e->drag, e->host, layoutOf(e), y);
}

// The window went with its parent: the drag ends, the drawing objects go
// with the window; the connection stays until the host closes the editor.
void windowGone(X11Editor* e) {
    endKnobDrag(e->drag, e->host);
    releaseFrame(e);
    e->window = 0;
    e->staleCount = 0;
}

void rescale(X11Editor* e, double scale);
void displayScaleChanged(X11Editor* e);

void handleEvent(X11Editor* e, XEvent& ev) {
    if (ev.type == PropertyNotify && ev.xproperty.atom == XA_RESOURCE_MANAGER) return displayScaleChanged(e);
    if (ev.xany.window != e->window) return;
    switch (ev.type) {
    case Expose:
        markStale(e, PanelBox{ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width,
                              ev.xexpose.y + ev.xexpose.height});
        break;
    case ConfigureNotify:
        // The host may size the window itself: the panel fits what it has.
        if (ev.xconfigure.width != e->width || ev.xconfigure.height != e->height) {
            e->width = ev.xconfigure.width;
            e->height = ev.xconfigure.height;
            markAllStale(e);
        }
        break;
    case ButtonPress:
        if (ev.xbutton.button == Button1) startKnobDrag(e->drag, e->host, layoutOf(e), ev.xbutton.x, ev.xbutton.y);
        break;
    case MotionNotify: {
        // Only the newest position of a burst matters: the value comes from the anchor.
        while (XCheckTypedWindowEvent(e->display, e->window, MotionNotify, &ev)) {
        }
        continueDrag(e, ev.xmotion.state, ev.xmotion.y);
        break;
    }
    case ButtonRelease:
        if (ev.xbutton.button == Button1) endKnobDrag(e->drag, e->host);
        break;
    case DestroyNotify: windowGone(e); break;
    default: break;
    }
}

bool askForPanelSize(X11Editor* e) { return askForPanelSize(e->host, e->scale, e->width, e->height); }

X11Editor* openOn(const EditorHost& host, unsigned long parent, int32_t width, int32_t height, double hostScale);

void rescale(X11Editor* e, double scale) {
    scale = clampScale(scale);
    if (scale == e->scale) return;
    e->scale = scale;
    const X11ErrorTrap trap(e->display);
    // The host may have destroyed the window while it answered.
    if (askForPanelSize(e) && e->window)
        XResizeWindow(e->display, e->window, static_cast<unsigned>(e->width), static_cast<unsigned>(e->height));
    markAllStale(e);
}

// The desktop's scale setting changed (the root window's resources): the
// panel follows it unless the host gave a scale.
void displayScaleChanged(X11Editor* e) {
    if (e->scaleFromHost) return;
    // Xlib keeps the resources it read at connection time: read them again.
    Atom type;
    int format;
    unsigned long count = 0, left;
    unsigned char* text = nullptr;
    if (XGetWindowProperty(e->display, DefaultRootWindow(e->display), XA_RESOURCE_MANAGER, 0, 1 << 16, False,
                           XA_STRING, &type, &format, &count, &left, &text) == Success &&
        text) {
        XrmDatabase db = XrmGetStringDatabase(reinterpret_cast<const char*>(text));
        char* kind = nullptr;
        XrmValue value{};
        const double dpi = db && XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &kind, &value) && value.addr
                               ? std::strtod(value.addr, nullptr)
                               : 0.0;
        if (db) XrmDestroyDatabase(db);
        XFree(text);
        rescale(e, dpi > 0.0 ? dpi / kBaseDpi : kSmallestScale);
    }
}

void freeEditor(X11Editor* e) {
    if (e->panel) destroyCairoPanel(e->panel);
    if (e->display) {
        {
            const X11ErrorTrap trap(e->display);
            releaseFrame(e);
            if (e->copyGc) XFreeGC(e->display, e->copyGc);
            if (e->window) XDestroyWindow(e->display, e->window);
        }
        XCloseDisplay(e->display);
    }
    delete e;
}

}  // namespace

X11Editor* openX11EditorOn(const EditorHost& host, unsigned long parent, int32_t width, int32_t height,
                           double hostScale, unsigned long* window) {
    X11Editor* e = parent ? openOn(host, parent, width, height, hostScale) : nullptr;
    if (window) *window = e ? e->window : 0;
    return e;
}

namespace {

X11Editor* openOn(const EditorHost& host, unsigned long parent, int32_t width, int32_t height, double hostScale) {
    X11Editor* e = new (std::nothrow) X11Editor{};
    if (!e) return nullptr;
    e->host = host;
    e->scaleFromHost = hostGaveScale(hostScale);
    e->width = width;
    e->height = height;
    e->display = XOpenDisplay(nullptr);
    e->panel = createCairoPanel(host.formatName);
    if (!e->display || !e->panel) {
        freeEditor(e);
        return nullptr;
    }
    e->scale = clampScale(e->scaleFromHost ? hostScale : scaleOfDisplay(e->display));
    askForPanelSize(e);
    bool made = false;
    {
        const X11ErrorTrap trap(e->display);
        XWindowAttributes parentAttributes;
        if (XGetWindowAttributes(e->display, parent, &parentAttributes)) {
            const int screen = DefaultScreen(e->display);
            e->visual = DefaultVisual(e->display, screen);
            e->depth = DefaultDepth(e->display, screen);
            // Its own visual, colormap and border: the window fits under a
            // parent of any depth. No background: the paint covers every pixel.
            XSetWindowAttributes a{};
            a.colormap = DefaultColormap(e->display, screen);
            a.border_pixel = 0;
            a.background_pixmap = None;
            a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
            e->parent = parent;
            e->window = XCreateWindow(e->display, parent, 0, 0, static_cast<unsigned>(e->width),
                                      static_cast<unsigned>(e->height), 0, e->depth, InputOutput, e->visual,
                                      CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &a);
            // Copies from the frame never need exposing: no NoExpose event per copy.
            XGCValues gc{};
            gc.graphics_exposures = False;
            e->copyGc = XCreateGC(e->display, e->window, GCGraphicsExposures, &gc);
            // Hosts that embed by XEmbed map the window when it says it is mapped.
            const long xembedInfo[2] = {0, 1};  // protocol version 0, XEMBED_MAPPED
            const Atom xembed = XInternAtom(e->display, "_XEMBED_INFO", False);
            XChangeProperty(e->display, e->window, xembed, xembed, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(xembedInfo), 2);
            if (!e->scaleFromHost) XSelectInput(e->display, DefaultRootWindow(e->display), PropertyChangeMask);
            XMapWindow(e->display, e->window);
        }
        made = e->window && !trap.caughtError();
    }
    if (!made) {
        e->window = 0;
        freeEditor(e);
        return nullptr;
    }
    markAllStale(e);
    return e;
}

}  // namespace

unsigned long x11EditorWindow(const X11Editor* e) { return e ? e->window : 0; }

bool showX11Editor(X11Editor* e, bool shown) {
    if (!e || !e->window) return false;
    const X11ErrorTrap trap(e->display);
    if (shown) XMapWindow(e->display, e->window);  // the expose that follows repaints it
    else XUnmapWindow(e->display, e->window);
    return true;
}

void closeX11Editor(X11Editor* e) {
    if (!e) return;
    endKnobDrag(e->drag, e->host);
    freeEditor(e);
}

bool x11EditorIdle(X11Editor* e) {
    if (!e || !e->window) return false;
    const X11ErrorTrap trap(e->display);
    while (e->window && XPending(e->display) > 0) {
        XEvent ev;
        XNextEvent(e->display, &ev);
        handleEvent(e, ev);
    }
    if (!e->window) return false;
    markChangedParts(e);
    paintStale(e);
    return true;
}

void setX11EditorScale(X11Editor* e, double scale) {
    if (!e) return;
    e->scaleFromHost = true;
    rescale(e, scale);
}

bool resizeX11Editor(X11Editor* e, int32_t width, int32_t height) {
    if (!e || !e->window || width < 1 || height < 1) return false;
    const X11ErrorTrap trap(e->display);
    XResizeWindow(e->display, e->window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    e->width = width;
    e->height = height;
    markAllStale(e);
    return true;
}

double x11EditorScale(const X11Editor* e) { return e ? e->scale : kSmallestScale; }

void x11EditorSize(const X11Editor* e, int32_t* width, int32_t* height) {
    *width = e ? e->width : 0;
    *height = e ? e->height : 0;
}

double x11DisplayScale() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return kSmallestScale;
    const double scale = scaleOfDisplay(d);
    XCloseDisplay(d);
    return scale;
}

double scaleOfDisplay(Display* d) {
    double dpi = 0.0;
    if (const char* resources = XResourceManagerString(d)) {
        XrmInitialize();
        if (XrmDatabase db = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value{};
            if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
                dpi = std::strtod(value.addr, nullptr);
            XrmDestroyDatabase(db);
        }
    }
    return dpi > 0.0 ? clampScale(dpi / kBaseDpi) : kSmallestScale;
}
