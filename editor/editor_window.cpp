// The editor window: class registration, creation and destruction, the
// window procedure and the vertical knob drag that automates the host.
#include "editor.h"

#include "../plugin/plugin_instance.h"
#include "knob_layout.h"
#include "panel.h"

const char kEditorClassName[] = "DorlinQuilletEditorWndClass";

namespace {

constexpr float kDragPerPixel = 0.005f;  // 200 pixels cover the whole range

void registerEditorClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = editorWndProc;
    wc.hInstance = moduleHandle;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kEditorClassName;
    RegisterClassExA(&wc);  // a failure shows as a failed window creation
    editorClassRegistered = true;
}

PluginInstance* instanceOfWindow(HWND window) {
    return reinterpret_cast<PluginInstance*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Mouse coordinates are two signed 16-bit client coordinates.
int32_t mouseX(LPARAM l) { return static_cast<int16_t>(l & 0xFFFF); }
int32_t mouseY(LPARAM l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }

bool dragging(const PluginInstance* p) { return static_cast<uint32_t>(p->dragParam) < kParamCount; }

void startDrag(PluginInstance* p, int32_t x, int32_t y) {
    const int32_t param = knobParamAt(x, y);
    if (param < 0) return;  // a miss leaves a running drag as it is
    p->dragParam = param;
    p->dragStartY = y;
    p->dragStartValue = p->params[param].load(std::memory_order_relaxed);
    SetCapture(p->editorWindow);
}

// Every move re-derives the value from the start of the drag, and every move
// is reported, even when the clamped value has not changed.
void continueDrag(PluginInstance* p, WPARAM keys, int32_t y) {
    if (!dragging(p)) return;
    // The drag follows the pointer only while the left button is held: when the
    // release went elsewhere (capture lost to a dialog or a task switch), the
    // first move without the button ends it unchanged. The capture is not ours
    // to release any more.
    if (!(keys & MK_LBUTTON)) {
        p->dragParam = -1;
        return;
    }
    const float moved = static_cast<float>(p->dragStartY - y);
    const float value = clampParameter(p->dragStartValue + moved * kDragPerPixel);
    p->params[p->dragParam].store(value, std::memory_order_relaxed);
    if (p->audioMaster) p->audioMaster(&p->effect, audioMasterAutomate, p->dragParam, 0, nullptr, value);
    InvalidateRect(p->editorWindow, nullptr, FALSE);
}

void endDrag(PluginInstance* p) {
    if (p->dragParam < 0) return;
    p->dragParam = -1;
    ReleaseCapture();
}

}  // namespace

// Host main thread (effEditOpen). An instance has at most one window: a second
// open closes the first before creating the new one.
int openEditor(PluginInstance* p, HWND parent) {
    closeEditor(p);
    if (!editorClassRegistered) registerEditorClass();
    p->editorWindow = CreateWindowExA(0, kEditorClassName, "Dorlin Quillet",
                                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                      p->editorRect.right, p->editorRect.bottom, parent, nullptr,
                                      moduleHandle, p);
    return p->editorWindow ? 1 : 0;
}

// Host main thread (effEditClose, effClose).
void closeEditor(PluginInstance* p) {
    if (p->editorWindow && IsWindow(p->editorWindow)) DestroyWindow(p->editorWindow);
    p->editorWindow = nullptr;
    releasePanelFontFamilies(p->editorFonts);  // also those of a window whose creation failed
}

// Any host thread (effEditIdle, setParameter). Only invalidates: the paint
// itself happens on the window's own thread when WM_PAINT arrives.
void repaintEditor(PluginInstance* p) {
    if (p->editorWindow && IsWindow(p->editorWindow)) InvalidateRect(p->editorWindow, nullptr, FALSE);
}

// The editor window's thread, the host's main thread.
LRESULT CALLBACK editorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PluginInstance* p = instanceOfWindow(window);
    switch (message) {
    case WM_CREATE: {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        void* instance = create ? create->lpCreateParams : nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(instance));
        if (PluginInstance* created = static_cast<PluginInstance*>(instance)) {
            releasePanelFontFamilies(created->editorFonts);
            created->editorFonts = createPanelFontFamilies();
        }
        return 0;
    }
    case WM_DESTROY:
        if (p && p->editorWindow == window) {
            p->editorWindow = nullptr;
            p->dragParam = -1;  // a drag never carries over into a later window
            releasePanelFontFamilies(p->editorFonts);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(window, &ps);
        if (p) paintPanel(p, hdc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // the painter covers every pixel
    case WM_LBUTTONDOWN:
        if (p) startDrag(p, mouseX(lParam), mouseY(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (p) continueDrag(p, wParam, mouseY(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (p) endDrag(p);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
