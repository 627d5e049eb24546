#include "host_window.h"

#include <gdiplus.h>

using namespace Gdiplus;

namespace {
LRESULT CALLBACK hostWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

const char kHostClass[] = "Vst2HostWindow";

void registerHostClass() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = hostWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = kHostClass;
    RegisterClassExA(&wc);
    done = true;
}

void startGdiplusOnce() {
    static ULONG_PTR token = 0;
    if (token) return;
    GdiplusStartupInput input;
    GdiplusStartup(&token, &input, nullptr);
}
}  // namespace

HWND sharedHostWindow() {
    static HWND host = nullptr;
    if (host && IsWindow(host)) return host;
    registerHostClass();
    host = CreateWindowExA(0, kHostClass, "VST 2 host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           1000, 700, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    pumpMessages();
    return host;
}

HWND createChildParent() {
    registerHostClass();
    HWND child = CreateWindowExA(0, kHostClass, "parent", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900,
                                 600, sharedHostWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
    pumpMessages();
    return child;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

Capture captureWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pumpMessages();
    return readWindowPixels(window);
}

namespace {

// The window's client area as `draw` puts it into a 32-bit top-down DIB.
template <typename Draw>
Capture clientPixels(HWND window, Draw draw) {
    Capture c;
    RECT client{};
    GetClientRect(window, &client);
    c.width = client.right;
    c.height = client.bottom;
    if (c.width <= 0 || c.height <= 0) return c;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = c.width;
    info.bmiHeader.biHeight = -c.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP dib = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memoryDc, dib);
    draw(memoryDc, windowDc, c);
    GdiFlush();
    const uint32_t* px = static_cast<const uint32_t*>(bits);
    c.pixels.assign(px, px + static_cast<size_t>(c.width) * c.height);
    for (uint32_t& p : c.pixels) p &= 0xFFFFFF;
    SelectObject(memoryDc, old);
    DeleteObject(dib);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return c;
}

}  // namespace

Capture readWindowPixels(HWND window) {
    return clientPixels(window, [](HDC memoryDc, HDC windowDc, const Capture& c) {
        BitBlt(memoryDc, 0, 0, c.width, c.height, windowDc, 0, 0, SRCCOPY);
    });
}

Capture printWindow(HWND window) {
    return clientPixels(window, [window](HDC memoryDc, HDC, const Capture&) {
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memoryDc), PRF_CLIENT);
    });
}

bool savePng(const Capture& c, const std::wstring& path) {
    if (c.width <= 0 || c.height <= 0) return false;
    startGdiplusOnce();
    // The PNG encoder of GDI+.
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    GpBitmap* bitmap = nullptr;
    DllExports::GdipCreateBitmapFromScan0(c.width, c.height, c.width * 4, PixelFormat32bppRGB,
                                          reinterpret_cast<BYTE*>(const_cast<uint32_t*>(c.pixels.data())),
                                          &bitmap);
    const Status status = DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr);
    DllExports::GdipDisposeImage(bitmap);
    return status == Ok;
}
