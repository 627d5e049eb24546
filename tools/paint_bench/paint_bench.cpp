// What an open editor costs its host per repaint: one full panel paint into
// the editor window, beside a baseline paint that only fills the off-screen
// bitmap and copies it. Both run interleaved in the same process, so the
// ratio holds whatever the machine's speed.
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "editor/editor.h"
#include "editor/panel.h"
#include "plugin/plugin_instance.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);

namespace {

intptr_t silentHost(AEffect*, int32_t, int32_t, intptr_t, void*, float) { return 0; }

// The same double buffering as the panel, with a single fill for content.
void baselinePaint(HWND window, HDC hdc) {
    RECT client{};
    GetClientRect(window, &client);
    HDC memoryDc = CreateCompatibleDC(hdc);
    HBITMAP bitmap = CreateCompatibleBitmap(hdc, client.right, client.bottom);
    HGDIOBJ previous = SelectObject(memoryDc, bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(10, 12, 18));
    FillRect(memoryDc, &client, brush);
    BitBlt(hdc, 0, 0, client.right, client.bottom, memoryDc, 0, 0, SRCCOPY);
    DeleteObject(brush);
    SelectObject(memoryDc, previous);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
}

struct Spread {
    double median, p10, p90;
};

Spread spreadOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))]; };
    return Spread{at(0.5), at(0.1), at(0.9)};
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(10, atoi(argv[1])) : 300;
    moduleHandle = GetModuleHandleA(nullptr);
    AEffect* effect = VSTPluginMain(silentHost);
    PluginInstance* p = instanceOf(effect);
    p->engine.gainReductionMeter.store(6.0f, std::memory_order_relaxed);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = moduleHandle;
    wc.lpszClassName = "PaintBenchHost";
    RegisterClassExA(&wc);
    HWND host = CreateWindowExA(0, "PaintBenchHost", "paint bench", WS_POPUP | WS_VISIBLE, 0, 0, 900, 600,
                                nullptr, nullptr, moduleHandle, nullptr);
    if (!openEditor(p, host)) {
        fprintf(stderr, "paint_bench: the editor window could not be opened\n");
        return 1;
    }
    HDC hdc = GetDC(p->editorWindow);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    auto microseconds = [&](auto&& paint) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        paint();
        GdiFlush();
        QueryPerformanceCounter(&end);
        return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    };
    for (int i = 0; i < 20; ++i) paintPanel(p, hdc);  // warm font and glyph caches

    // Each paint looks its font families up by name nine times (two for the
    // panel, one per knob): that share is shown on its own.
    auto lookupInter = [] {
        Gdiplus::GpFontFamily* family = nullptr;
        Gdiplus::DllExports::GdipCreateFontFamilyFromName(L"Inter", nullptr, &family);
        Gdiplus::DllExports::GdipDeleteFontFamily(family);
    };
    // The panel's first element, the full-window vertical gradient, on its own.
    auto gradientOnly = [&] {
        Gdiplus::GpGraphics* g = nullptr;
        Gdiplus::DllExports::GdipCreateFromHDC(hdc, &g);
        Gdiplus::DllExports::GdipSetSmoothingMode(g, Gdiplus::SmoothingModeAntiAlias);
        const Gdiplus::Rect frame(0, 0, 840, 520);
        Gdiplus::GpLineGradient* brush = nullptr;
        Gdiplus::DllExports::GdipCreateLineBrushFromRectI(&frame, 0xFF0A0C12, 0xFF040508,
                                                          Gdiplus::LinearGradientModeVertical,
                                                          Gdiplus::WrapModeTile, &brush);
        Gdiplus::DllExports::GdipFillRectangleI(g, brush, 0, 0, 840, 520);
        Gdiplus::DllExports::GdipDeleteBrush(brush);
        Gdiplus::DllExports::GdipDeleteGraphics(g);
    };
    std::vector<double> panel, baseline, lookup, gradient;
    for (int i = 0; i < rounds; ++i) {
        p->params[i % 7].store(static_cast<float>(i % 101) / 100.0f, std::memory_order_relaxed);
        panel.push_back(microseconds([&] { paintPanel(p, hdc); }));
        baseline.push_back(microseconds([&] { baselinePaint(p->editorWindow, hdc); }));
        lookup.push_back(microseconds(lookupInter));
        gradient.push_back(microseconds(gradientOnly));
    }
    ReleaseDC(p->editorWindow, hdc);

    const Spread a = spreadOf(panel), b = spreadOf(baseline), f = spreadOf(lookup), d = spreadOf(gradient);
    printf("editor paint, %d rounds, 840x520, under this process's GDI/GDI+\n", rounds);
    printf("  full paintPanel : median %8.1f us  (p10 %8.1f, p90 %8.1f)\n", a.median, a.p10, a.p90);
    printf("  fill+copy only  : median %8.1f us  (p10 %8.1f, p90 %8.1f)\n", b.median, b.p10, b.p90);
    printf("  family lookup   : median %8.1f us  (p10 %8.1f, p90 %8.1f), 9 per paint = %.0f%% of it\n",
           f.median, f.p10, f.p90, 900.0 * f.median / a.median);
    printf("  gradient fill   : median %8.1f us  (p10 %8.1f, p90 %8.1f), the background alone\n", d.median,
           d.p10, d.p90);
    printf("  ratio (median)  : %.1fx the baseline\n", a.median / b.median);
    printf("  at 30 idle repaints/s the open editor takes %.1f%% of one core\n", a.median * 30.0 / 1e4);

    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    DestroyWindow(host);
    return 0;
}
