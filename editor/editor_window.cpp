// The editor window: the object that owns it, its window procedure, the
// knob drag's capture and lifetime, the check that repaints only
// what went stale, and the panel's scale with the window's size.
#include "editor.h"

#include <new>

#include "../core/product_identity.h"
#include "display_scale.h"
#include "knob_drag.h"
#include "panel_size_request.h"
#include "panel.h"
#include "panel_layout.h"

const char kEditorClassName[] = "DorlinQuilletEditorWndClass";

struct Editor {
    EditorHost host;
    HWND window;
    HINSTANCE module;  // the DLL: the window class's and the embedded fonts' module
    DWORD windowThread;
    PanelResources resources;
    PanelCache cache;
    // What the window shows: the values its knobs and its meter were last
    // drawn from, for the parts in `partsShown` (a part never drawn yet, say
    // one the host's window hides, counts as stale).
    PanelValues knobsShown, meterShown;
    uint32_t partsShown;
    bool idleLooked;  // the host's idle call looked since the last timer tick
    // The last paint's start and duration (performance counter ticks): a look
    // at the values that would repaint waits until the thread had at least as
    // long free again.
    int64_t paintStart, paintTicks;
    // The scale the panel is meant for (the display's, or the host's when it
    // announced one), and the window's size, in the parent's pixels.
    double scale;
    bool scaleFromHost;
    int32_t width, height;
    KnobDrag drag;
    // Lifetime: how many of the editor's own calls are running (window
    // messages, a scale the host set, the close itself), and whether the host
    // closed it; the last call to return frees a closed editor.
    int32_t callsRunning;
    bool closed;
};

namespace {

constexpr UINT_PTR kStaleTimer = 1;
// Host automation shows within about 50 ms even when the host never idles.
constexpr UINT kStaleCheckMs = 33;

// Keeps the editor alive while one of its calls runs: a host may close it from
// inside its answer to one of the editor's calls (a size request, an edit).
struct EditorCall {
    Editor* e;
    explicit EditorCall(Editor* editor) : e(editor) {
        if (e) ++e->callsRunning;
    }
    ~EditorCall() {
        if (e && --e->callsRunning == 0 && e->closed) delete e;
    }
    EditorCall(const EditorCall&) = delete;
    EditorCall& operator=(const EditorCall&) = delete;
};

Editor* editorOfWindow(HWND window) {
    return reinterpret_cast<Editor*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Mouse coordinates are two signed 16-bit client coordinates.
int32_t mouseX(LPARAM l) { return static_cast<int16_t>(l & 0xFFFF); }
int32_t mouseY(LPARAM l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }

int64_t ticksNow() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

PanelLayout layoutOf(const Editor* e) {
    RECT client{};
    GetClientRect(e->window, &client);
    return panelLayoutFor(client.right - client.left, client.bottom - client.top, e->scale);
}

PanelValues currentValues(const Editor* e) {
    PanelValues v;
    for (int32_t i = 0; i < kParamCount; ++i) v.params[i] = e->host.parameter(e->host.context, i);
    v.meter = e->host.meter(e->host.context);
    return v;
}

// Invalidates the boxes of the parts a repaint would show otherwise. The
// values themselves decide: a host's change from any thread is only a store
// of the value, which the next look finds.
void repaintIfStale(Editor* e) {
    if (!e->window) return;  // closed by the host during a call to it
    const PanelValues now = currentValues(e);
    const uint32_t parts = (partsThatDiffer(now, e->knobsShown, e->meterShown) | ~e->partsShown) & kAllParts;
    if (!parts) return;
    const PanelLayout layout = layoutOf(e);
    auto invalidate = [&](const PanelBox& panelBox) {
        const RECT box = rectOf(deviceBoxOf(layout, panelBox));
        InvalidateRect(e->window, &box, FALSE);
    };
    for (int part = 0; part < kMeterPart; ++part)
        if (parts & (1u << part)) invalidate(panelPartBox(part));
    // A meter drawn before repaints only where it changed: the smaller the
    // area, the less the window system copies.
    PanelBox boxes[kMaxMeterChangeBoxes];
    const int count = e->partsShown & (1u << kMeterPart) ? meterChangeBoxes(now, e->meterShown, boxes) : 0;
    for (int i = 0; i < count; ++i) invalidate(boxes[i]);
    if (parts & (1u << kMeterPart) && count == 0) invalidate(panelPartBox(kMeterPart));
}

// The timer's look: on a machine where a paint takes longer than the timer's
// period, it looks again only after the thread had as long free as the last
// paint took, so the editor's own repaints take half the thread at most and
// the host's messages, its idle call among them, keep their turn.
void repaintIfStaleAndDue(Editor* e) {
    if (ticksNow() - e->paintStart < 2 * e->paintTicks) return;
    repaintIfStale(e);
}

// The rectangles of the window's update region, read before BeginPaint
// validates it; its bounding box when there are more than a paint takes.
struct UpdateAreas {
    RECT rects[kMaxPaintAreas];
    int count;
};

UpdateAreas updateAreasOf(HWND window) {
    UpdateAreas a{};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (region && GetUpdateRgn(window, region, FALSE) > NULLREGION) {
        struct {
            RGNDATAHEADER header;
            RECT rects[kMaxPaintAreas];
        } data;
        if (GetRegionData(region, sizeof data, reinterpret_cast<RGNDATA*>(&data)) != 0 &&
            data.header.nCount <= static_cast<DWORD>(kMaxPaintAreas)) {
            a.count = static_cast<int>(data.header.nCount);
            for (int i = 0; i < a.count; ++i) a.rects[i] = data.rects[i];
        } else {
            GetRgnBox(region, &a.rects[0]);
            a.count = 1;
        }
    }
    if (region) DeleteObject(region);
    return a;
}

void paint(Editor* e, HDC hdc, const UpdateAreas& areas) {
    RECT client{};
    GetClientRect(e->window, &client);
    const PanelValues now = currentValues(e);
    const uint32_t drawn = paintPanel(e->cache, e->resources, now, hdc, client.right - client.left,
                                      client.bottom - client.top, areas.rects, areas.count, e->scale);
    // Only what was drawn counts as shown.
    for (int32_t i = 0; i < kParamCount; ++i)
        if (drawn & (1u << i)) e->knobsShown.params[i] = now.params[i];
    if (drawn & (1u << kMeterPart)) e->meterShown = now;
    e->partsShown |= drawn;
}

void printPanel(Editor* e, HDC hdc) {
    RECT client{};
    GetClientRect(e->window, &client);
    paintPanel(e->cache, e->resources, currentValues(e), hdc, client.right, client.bottom, &client, 1, e->scale);
}

// The window captures the pointer from the press to the release.
void startDrag(Editor* e, int32_t x, int32_t y) {
    if (!startKnobDrag(e->drag, e->host, layoutOf(e), x, y)) return;
    // A host that closed the editor while it answered the begin still hears the end.
    if (!e->window) return endKnobDrag(e->drag, e->host);
    SetCapture(e->window);
}

void continueDrag(Editor* e, WPARAM keys, int32_t y) {
    if (e->drag.param < 0) return;
    // The drag follows the pointer only while the left button is held: when the
    // release went elsewhere (capture lost to a dialog or a task switch), the
    // first move without the button ends it unchanged. The capture is not ours
    // to release any more.
    if (!(keys & MK_LBUTTON)) return endKnobDrag(e->drag, e->host);
    continueKnobDrag(e->drag, e->host, layoutOf(e), y);
    repaintIfStale(e);
}

void releaseDrag(Editor* e) {
    if (e->drag.param < 0) return;
    endKnobDrag(e->drag, e->host);
    ReleaseCapture();
}

// The window is going: the drag ends and every drawing object goes with it.
void windowGone(Editor* e) {
    endKnobDrag(e->drag, e->host);
    KillTimer(e->window, kStaleTimer);
    releasePanelCache(e->cache);
    releasePanelResources(e->resources);
    e->window = nullptr;
}

}  // namespace

void registerEditorClass(HINSTANCE module) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = editorWndProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kEditorClassName;
    RegisterClassExA(&wc);  // a failure shows as a failed window creation
}

void unregisterEditorClass(HINSTANCE module) { UnregisterClassA(kEditorClassName, module); }

namespace {

// The window's size, in the parent's pixels whatever the calling thread's
// DPI awareness.
void resizeWindow(Editor* e) {
    const ThreadDpiAsWindow parentPixels(GetParent(e->window));
    SetWindowPos(e->window, nullptr, 0, 0, e->width, e->height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool askForPanelSize(Editor* e) { return askForPanelSize(e->host, e->scale, e->width, e->height); }

void rescale(Editor* e, double scale) {
    scale = clampScale(scale);
    const bool rescaled = scale != e->scale;
    e->scale = scale;
    // The host may have destroyed the window while it answered.
    if (askForPanelSize(e) && e->window) resizeWindow(e);
    if (rescaled && e->window) InvalidateRect(e->window, nullptr, FALSE);
}

// A DPI change the window system reports; a scale the host announced stays.
void displayScaleChanged(Editor* e, double scale) {
    if (!e->scaleFromHost) rescale(e, scale);
}

Editor* openAt(const EditorHost& host, HINSTANCE module, HWND parent, int32_t width, int32_t height, double scale,
               bool scaleFromHost) {
    if (!parent || !IsWindow(parent)) return nullptr;
    Editor* e = new (std::nothrow) Editor{};
    if (!e) return nullptr;
    e->host = host;
    e->module = module;
    e->windowThread = GetCurrentThreadId();
    e->scale = clampScale(scale);
    e->scaleFromHost = scaleFromHost;
    e->width = width;
    e->height = height;
    askForPanelSize(e);
    // WM_CREATE stores the window and makes the drawing objects.
    const ThreadDpiAsWindow parentPixels(parent);
    CreateWindowExA(0, kEditorClassName, kProductName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                    0, 0, e->width, e->height, parent, nullptr, module, e);
    if (!e->window) {
        delete e;
        return nullptr;
    }
    return e;
}

}  // namespace

Editor* openEditor(const EditorHost& host, HINSTANCE module, HWND parent, int32_t width, int32_t height) {
    return openAt(host, module, parent, width, height, displayScaleFor(parent), false);
}

Editor* openEditorAtScale(const EditorHost& host, HINSTANCE module, HWND parent, int32_t width, int32_t height,
                          double scale) {
    return openAt(host, module, parent, width, height, scale, true);
}

// A close from inside the close (a host answering the drag's end edit) is
// the same close.
void closeEditor(Editor* e) {
    if (!e || e->closed) return;
    EditorCall call(e);
    e->closed = true;
    if (e->window && IsWindow(e->window)) DestroyWindow(e->window);  // WM_DESTROY cleans up
}

HWND editorWindow(const Editor* e) { return e ? e->window : nullptr; }

void setEditorScale(Editor* e, double scale) {
    if (!e) return;
    EditorCall call(e);
    e->scaleFromHost = true;
    rescale(e, scale);
}

double editorScale(const Editor* e) { return e ? e->scale : kSmallestScale; }

void editorSize(const Editor* e, int32_t* width, int32_t* height) {
    *width = e ? e->width : 0;
    *height = e ? e->height : 0;
}

void editorIdle(Editor* e) {
    if (!e || !e->window || GetCurrentThreadId() != e->windowThread) return;
    e->idleLooked = true;
    repaintIfStale(e);
}

// The editor window's thread, the host's main thread.
LRESULT CALLBACK editorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* e = editorOfWindow(window);
    EditorCall call(e);
    switch (message) {
    case WM_CREATE: {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        e = create ? static_cast<Editor*>(create->lpCreateParams) : nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(e));
        if (e) {
            e->window = window;
            e->resources = createPanelResources(e->module, e->host.formatName);
            SetTimer(window, kStaleTimer, kStaleCheckMs, nullptr);
        }
        return 0;
    }
    case WM_DESTROY:
        if (e && e->window == window) windowGone(e);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return 0;
    case WM_TIMER:
        // A host that idles often enough does the looking: the timer only
        // covers hosts that idle rarely or never.
        if (e && wParam == kStaleTimer) {
            if (!e->idleLooked) repaintIfStaleAndDue(e);
            e->idleLooked = false;
        }
        return 0;
    case WM_PAINT: {
        const int64_t start = ticksNow();
        const UpdateAreas areas = e ? updateAreasOf(window) : UpdateAreas{};
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(window, &ps);
        if (e) paint(e, hdc, areas.count > 0 ? areas : UpdateAreas{{ps.rcPaint}, 1});
        EndPaint(window, &ps);
        if (e) {
            e->paintStart = start;
            e->paintTicks = ticksNow() - start;
        }
        return 0;
    }
    case WM_PRINTCLIENT:
        // The whole panel into the caller's device context (a host's
        // thumbnail, PrintWindow); the window's own pixels stay as they are.
        if (e) printPanel(e, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND: return 1;  // the painter covers every pixel
    case WM_SIZE:
        // The host may size the window itself: the panel fits what it has.
        if (e) {
            e->width = LOWORD(lParam);
            e->height = HIWORD(lParam);
        }
        return 0;
    case WM_DPICHANGED:  // reaches a child only when a host forwards it
        if (e) displayScaleChanged(e, scaleForDpi(LOWORD(wParam)));
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        if (e) displayScaleChanged(e, displayScaleFor(GetParent(window)));
        return 0;
    case WM_LBUTTONDOWN:
        if (e) startDrag(e, mouseX(lParam), mouseY(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (e) continueDrag(e, wParam, mouseY(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (e) releaseDrag(e);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
