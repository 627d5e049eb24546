#include "display_scale.h"

#include "editor.h"

namespace {

// user32's DPI functions of Windows 10; each is null where the system lacks it.
struct DpiFunctions {
    UINT(WINAPI* dpiForWindow)(HWND);
    UINT(WINAPI* dpiForSystem)();
    DPI_AWARENESS_CONTEXT(WINAPI* windowContext)(HWND);
    DPI_AWARENESS_CONTEXT(WINAPI* setThreadContext)(DPI_AWARENESS_CONTEXT);
};

template <typename F>
void lookUp(HMODULE user32, const char* name, F& function) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

const DpiFunctions& dpiFunctions() {
    static const DpiFunctions functions = [] {
        DpiFunctions f{};
        HMODULE user32 = GetModuleHandleA("user32.dll");
        if (!user32) return f;
        lookUp(user32, "GetDpiForWindow", f.dpiForWindow);
        lookUp(user32, "GetDpiForSystem", f.dpiForSystem);
        lookUp(user32, "GetWindowDpiAwarenessContext", f.windowContext);
        lookUp(user32, "SetThreadDpiAwarenessContext", f.setThreadContext);
        return f;
    }();
    return functions;
}

// The system's DPI as this thread sees it (96 for a thread that is not DPI
// aware): from user32 where it can tell, else from the screen's device context.
int32_t systemDpi() {
    const DpiFunctions& f = dpiFunctions();
    if (f.dpiForSystem) return static_cast<int32_t>(f.dpiForSystem());
    HDC screen = GetDC(nullptr);
    const int32_t dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

// A window that is gone, or null, gives the system's scale.
double displayScaleFor(HWND window) {
    const DpiFunctions& f = dpiFunctions();
    const UINT dpi = window && f.dpiForWindow ? f.dpiForWindow(window) : 0;
    return scaleForDpi(dpi != 0 ? static_cast<int32_t>(dpi) : systemDpi());
}

ThreadDpiAsWindow::ThreadDpiAsWindow(HWND window) : previous(nullptr) {
    const DpiFunctions& f = dpiFunctions();
    if (!window || !f.windowContext || !f.setThreadContext) return;
    DPI_AWARENESS_CONTEXT context = f.windowContext(window);
    if (context) previous = f.setThreadContext(context);
}

ThreadDpiAsWindow::~ThreadDpiAsWindow() {
    if (previous) dpiFunctions().setThreadContext(static_cast<DPI_AWARENESS_CONTEXT>(previous));
}
