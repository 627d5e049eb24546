// What an open editor costs its host, in one run under this process's GDI
// and GDI+ (Wine draws GDI+ in software):
//  1. one paint with every value changed, against the panel painted from
//     scratch element after element as the editor did before its fixed layer
//     was cached (the editor's uncached paint, with every drawing object made
//     for the paint), interleaved so the ratio holds whatever the machine's
//     speed;
//  2. the editor thread's CPU time while a host drives the real DLL: the
//     editor open, effEditIdle 30 times a second with messages pumped in
//     between, for three situations (nothing changes; the meter moves under
//     audio processed on a thread of its own; the host sets one knob before
//     every idle call), with the WM_PAINT messages counted.
// Both at 100 % and at 200 % (the panel drawn at twice the size, as at
// 192 DPI; the host announces that scale to the DLL).
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "editor/editor.h"
#include "editor/panel.h"
#include "vst2_host/vst_host.h"

namespace {

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double threadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME f) {
        return static_cast<double>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

HWND makeHostWindow() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PaintBenchHost";
    RegisterClassExA(&wc);
    return CreateWindowExA(0, "PaintBenchHost", "paint bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           1700, 1060, nullptr, nullptr, wc.hInstance, nullptr);
}

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The panel as the editor painted it before the fixed layer was cached: every
// drawing object made for the paint, the whole panel drawn off-screen, then
// copied in one transfer.
void paintFromScratch(HDC hdc, const PanelValues& v, int32_t w, int32_t h, double scale) {
    HDC memoryDc = CreateCompatibleDC(hdc);
    HBITMAP bitmap = CreateCompatibleBitmap(hdc, w, h);
    HGDIOBJ previousBitmap = SelectObject(memoryDc, bitmap);
    PanelResources resources = createPanelResources(GetModuleHandleA(nullptr));
    paintWholePanel(resources, v, memoryDc, w, h, scale);
    BitBlt(hdc, 0, 0, w, h, memoryDc, 0, 0, SRCCOPY);
    releasePanelResources(resources);
    SelectObject(memoryDc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
}

// 1. Paint cost, both painters into the same window device context.
void paintCost(HWND window, int rounds, double scale) {
    PanelResources resources = createPanelResources(GetModuleHandleA(nullptr));
    PanelCache cache{};
    HDC hdc = GetDC(window);
    PanelValues v{};
    int32_t w = 0, h = 0;
    panelSizeAt(scale, &w, &h);
    // What the editor invalidates when every value changed: each part's box.
    const PanelLayout layout = panelLayoutFor(w, h, scale);
    RECT boxes[kMeterPart + 1];
    int boxCount = 0;
    for (int part = 0; part <= kMeterPart; ++part)
        if (kAllParts & (1u << part)) boxes[boxCount++] = rectOf(deviceBoxOf(layout, panelPartBox(part)));
    const RECT whole{0, 0, w, h};
    auto change = [&](int i) {
        for (int p = 0; p < 9; ++p) v.params[p] = static_cast<float>((i * 7 + p * 13) % 101) / 100.0f;
        v.meter = static_cast<float>(i % 37) * 0.5f;
    };
    change(0);
    for (int i = 0; i < 10; ++i) {  // warm caches: glyphs, the fixed layer
        paintPanel(cache, resources, v, hdc, w, h, boxes, boxCount, scale);
        paintFromScratch(hdc, v, w, h, scale);
    }
    std::vector<double> layered, full;
    for (int i = 1; i <= rounds; ++i) {
        change(i);
        double t = now();
        paintPanel(cache, resources, v, hdc, w, h, boxes, boxCount, scale);
        GdiFlush();
        layered.push_back(now() - t);
        t = now();
        paintFromScratch(hdc, v, w, h, scale);
        GdiFlush();
        full.push_back(now() - t);
    }
    double t = now();
    PanelCache fresh{};
    paintPanel(fresh, resources, v, hdc, w, h, &whole, 1, scale);
    GdiFlush();
    const double firstPaint = now() - t;
    ReleaseDC(window, hdc);
    releasePanelCache(fresh);
    releasePanelCache(cache);
    releasePanelResources(resources);

    const double a = median(layered), b = median(full);
    printf("paint at %.0f %%, %d rounds, %dx%d, every value changed each round\n", scale * 100, rounds, w, h);
    printf("  from scratch (before)   : median %7.2f ms\n", b * 1e3);
    printf("  cached layer (now)      : median %7.2f ms  -> %.1fx cheaper\n", a * 1e3, b / a);
    printf("  first paint, layer built: %7.2f ms (once per window and size)\n", firstPaint * 1e3);
}

// Counts the editor window's WM_PAINT messages.
WNDPROC editorProc = nullptr;
std::atomic<int> paints{0};
LRESULT CALLBACK countingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) ++paints;
    return CallWindowProcA(editorProc, w, m, wp, lp);
}

// Audio processed in real time, 512-frame blocks at 48 kHz, a 100 Hz tone
// whose level steps every 100 ms, so the meter keeps moving.
void audioThread(AEffect* effect, std::atomic<bool>& running) {
    constexpr int kBlock = 512;
    constexpr double kRate = 48000.0;
    std::vector<float> left(kBlock), right(kBlock);
    float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {left.data(), right.data()};
    long long frame = 0;
    const double start = now();
    while (running.load()) {
        for (int i = 0; i < kBlock; ++i, ++frame) {
            const double seconds = static_cast<double>(frame) / kRate;
            const float level = (static_cast<long long>(seconds * 10.0) % 2) ? 0.9f : 0.05f;
            left[i] = right[i] = level * static_cast<float>(std::sin(2.0 * 3.141592653589793 * 100.0 * seconds));
        }
        effect->processReplacing(effect, ins, outs, kBlock);
        const double due = start + static_cast<double>(frame) / kRate;
        const double wait = due - now();
        if (wait > 0) Sleep(static_cast<DWORD>(wait * 1000.0));
    }
}

enum class Situation { kNothingChanges, kMeterMoves, kKnobAutomated };

void hostDrivenCost(const LoadedPlugin& plugin, HWND host, Situation situation, double seconds, double scale) {
    AEffect* effect = plugin.entry(recordingAudioMaster);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    if (scale != 1.0)
        dispatch(effect, effVendorSpecific, kVendorPresonus, kVendorContentScale, nullptr, static_cast<float>(scale));
    if (dispatch(effect, effEditOpen, 0, 0, host) != 1) {
        fprintf(stderr, "paint_bench: the editor window could not be opened\n");
        exit(1);
    }
    HWND editor = FindWindowExA(host, nullptr, "DorlinQuilletEditorWndClass", nullptr);
    editorProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&countingProc)));
    std::atomic<bool> running{situation == Situation::kMeterMoves};
    std::thread audio;
    if (running) audio = std::thread(audioThread, effect, std::ref(running));

    // The first paint, then the measured stretch.
    const double tick = 1.0 / 30.0;
    double next = now();
    auto hostLoop = [&](double until, int& idles) {
        while (now() < until) {
            if (situation == Situation::kKnobAutomated)
                effect->setParameter(effect, idles % 7, static_cast<float>(idles % 97) / 96.0f);
            dispatch(effect, effEditIdle);
            ++idles;
            next += tick;
            for (double left = next - now(); left > 0; left = next - now()) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left * 1000.0) + 1, QS_ALLINPUT);
                pump();
            }
        }
    };
    int idles = 0;
    hostLoop(now() + 0.5, idles);
    paints = 0;
    idles = 0;
    const double cpu0 = threadCpuSeconds(), wall0 = now();
    hostLoop(wall0 + seconds, idles);
    const double cpu = threadCpuSeconds() - cpu0, wall = now() - wall0;
    running = false;
    if (audio.joinable()) audio.join();

    static const char* const names[] = {"nothing changes", "meter moves", "knob automated"};
    printf("  %-16s: %5.2f%% of one core, %4d WM_PAINT in %.1f s (%d idle calls)\n",
           names[static_cast<int>(situation)], 100.0 * cpu / wall, paints.load(), wall, idles);
    dispatch(effect, effEditClose);
    closeEffect(effect);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, atof(argv[1])) : 10.0;
    const int rounds = argc > 2 ? std::max(10, atoi(argv[2])) : 200;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    HWND host = makeHostWindow();
    pump();

    for (double scale : {1.0, 2.0}) paintCost(host, rounds, scale);

    LoadedPlugin plugin = loadPlugin(pluginPathBesideProgram());
    if (!plugin.entry) {
        fprintf(stderr, "paint_bench: DorlinQuillet.dll must sit beside the program\n");
        return 1;
    }
    for (double scale : {1.0, 2.0}) {
        printf("editor thread at %.0f %%, effEditIdle 30 times a second, %.0f s each, the real DLL\n", scale * 100,
               seconds);
        for (Situation s : {Situation::kNothingChanges, Situation::kMeterMoves, Situation::kKnobAutomated})
            hostDrivenCost(plugin, host, s, seconds, scale);
    }
    unloadPlugin(plugin);
    DestroyWindow(host);
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
