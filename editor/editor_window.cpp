// The editor window: the object that owns it, its window procedure, the
// vertical knob drag with its edit gestures, and the check that repaints
// only what went stale.
#include "editor.h"

#include <new>

#include "../core/product_identity.h"
#include "knob_layout.h"
#include "panel_geometry.h"
#include "panel.h"

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
    int32_t dragParam;  // -1 while no drag
    int32_t dragStartY;
    float dragStartValue;
};

namespace {

constexpr float kDragPerPixel = 0.005f;  // 200 pixels cover the whole range
constexpr UINT_PTR kStaleTimer = 1;
// Host automation shows within about 50 ms even when the host never idles.
constexpr UINT kStaleCheckMs = 33;

Editor* editorOfWindow(HWND window) {
    return reinterpret_cast<Editor*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Mouse coordinates are two signed 16-bit client coordinates.
int32_t mouseX(LPARAM l) { return static_cast<int16_t>(l & 0xFFFF); }
int32_t mouseY(LPARAM l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }

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
    const uint32_t parts =
        (partsThatDiffer(currentValues(e), e->knobsShown, e->meterShown) | ~e->partsShown) & kAllParts;
    for (int part = 0; part <= kMeterPart; ++part)
        if (parts & (1u << part)) {
            const RECT box = panelPartBox(part);
            InvalidateRect(e->window, &box, FALSE);
        }
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
                                      client.bottom - client.top, areas.rects, areas.count);
    // Only what was drawn counts as shown.
    for (int32_t i = 0; i < kParamCount; ++i)
        if (drawn & (1u << i)) e->knobsShown.params[i] = now.params[i];
    if (drawn & (1u << kMeterPart)) e->meterShown = now;
    e->partsShown |= drawn;
}

// Each edit is closed exactly once, whichever way the drag ends.
void endDrag(Editor* e) {
    if (e->dragParam < 0) return;
    const int32_t param = e->dragParam;
    e->dragParam = -1;
    e->host.endEdit(e->host.context, param);
}

void startDrag(Editor* e, int32_t x, int32_t y) {
    const int32_t param = knobParamAt(x, y);
    if (param < 0) return;  // a miss leaves a running drag as it is
    endDrag(e);
    e->host.beginEdit(e->host.context, param);
    e->dragParam = param;
    e->dragStartY = y;
    e->dragStartValue = e->host.parameter(e->host.context, param);
    SetCapture(e->window);
}

// Every move re-derives the value from the start of the drag, and every move
// is reported, even when the clamped value has not changed.
void continueDrag(Editor* e, WPARAM keys, int32_t y) {
    if (e->dragParam < 0) return;
    // The drag follows the pointer only while the left button is held: when the
    // release went elsewhere (capture lost to a dialog or a task switch), the
    // first move without the button ends it unchanged. The capture is not ours
    // to release any more.
    if (!(keys & MK_LBUTTON)) return endDrag(e);
    const float moved = static_cast<float>(e->dragStartY - y);
    const float value = e->dragStartValue + moved * kDragPerPixel;
    e->host.setAndAutomate(e->host.context, e->dragParam, value);
    repaintIfStale(e);
}

void releaseDrag(Editor* e) {
    if (e->dragParam < 0) return;
    endDrag(e);
    ReleaseCapture();
}

// The window is going: the drag ends and every drawing object goes with it.
void windowGone(Editor* e) {
    endDrag(e);
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

Editor* openEditor(const EditorHost& host, HINSTANCE module, HWND parent, int32_t width, int32_t height) {
    Editor* e = new (std::nothrow) Editor{};
    if (!e) return nullptr;
    e->host = host;
    e->dragParam = -1;
    e->module = module;
    e->windowThread = GetCurrentThreadId();
    // WM_CREATE stores the window and makes the drawing objects.
    CreateWindowExA(0, kEditorClassName, kProductName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                    0, 0, width, height, parent, nullptr, module, e);
    if (!e->window) {
        delete e;
        return nullptr;
    }
    return e;
}

void closeEditor(Editor* e) {
    if (!e) return;
    if (e->window && IsWindow(e->window)) DestroyWindow(e->window);  // WM_DESTROY cleans up
    delete e;
}

// Display scaling is not drawn yet: every window shows the panel at 100 %.
double displayScaleFor(HWND) { return 1.0; }

void panelSizeAt(double, int32_t* width, int32_t* height) {
    *width = kPanelWidth;
    *height = kPanelHeight;
}

void setEditorScale(Editor*, double) {}

void editorIdle(Editor* e) {
    if (!e || !e->window || GetCurrentThreadId() != e->windowThread) return;
    e->idleLooked = true;
    repaintIfStale(e);
}

// The editor window's thread, the host's main thread.
LRESULT CALLBACK editorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* e = editorOfWindow(window);
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
            if (!e->idleLooked) repaintIfStale(e);
            e->idleLooked = false;
        }
        return 0;
    case WM_PAINT: {
        const UpdateAreas areas = e ? updateAreasOf(window) : UpdateAreas{};
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(window, &ps);
        if (e) paint(e, hdc, areas.count > 0 ? areas : UpdateAreas{{ps.rcPaint}, 1});
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // the painter covers every pixel
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
