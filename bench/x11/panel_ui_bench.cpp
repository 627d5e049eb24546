// What the open editor costs its host on Linux: the UI thread's CPU time
// (CLOCK_THREAD_CPUTIME_ID) while the editor window is driven as a CLAP
// host's timer drives it, 30 times a second, for a few seconds each, at 100 %
// and at 200 %: nothing changes; the meter moves (a new reading every tick);
// the host sets one knob before every tick. The baseline, in the same run:
// every knob and the meter changing every tick (the whole live layer
// repainted). With the X server's process id in DQ_XSERVER_PID, the server's
// own share for the same time is printed beside the editor's.
//   panel_ui_bench [SECONDS]   (DISPLAY: the X server to open the window on)
#include <X11/Xlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "../../editor/panel_parts.h"
#include "../../editor/x11/x11_editor.h"

namespace {

double threadCpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// The server's user and system time from /proc, in seconds; 0 without a pid.
double serverCpuSeconds() {
    const char* pid = std::getenv("DQ_XSERVER_PID");
    if (!pid) return 0.0;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
    FILE* f = std::fopen(path, "r");
    if (!f) return 0.0;
    unsigned long user = 0, system = 0;
    const int read = std::fscanf(f, "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system);
    std::fclose(f);
    return read == 2 ? static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK)) : 0.0;
}

EditorHost hostOf(PanelValues& v) {
    return EditorHost{&v,
                      "CLAP",
                      [](void* c, int32_t i) { return static_cast<PanelValues*>(c)->params[i]; },
                      [](void* c) { return static_cast<PanelValues*>(c)->meter; },
                      [](void*, int32_t) {},
                      [](void* c, int32_t i, float value) { static_cast<PanelValues*>(c)->params[i] = value; },
                      [](void*, int32_t) {},
                      [](void*, int32_t, int32_t) { return true; }};
}

enum class Moving { kNothing, kMeter, kKnob, kEverything };

struct Share {
    double editor, server;  // of one core, in %
};

Share measure(Display* display, double scale, Moving moving, double seconds) {
    PanelValues v{};
    for (int32_t i = 0; i < kParamCount; ++i) v.params[i] = kParamTable[i].defaultValue;
    v.meter = 4.0f;
    int32_t w, h;
    panelSizeAt(scale, &w, &h);
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(w),
                                              static_cast<unsigned>(h), 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    X11Editor* editor = openX11EditorOn(hostOf(v), parent, w, h, scale, nullptr);
    if (!editor) {
        std::fprintf(stderr, "panel_ui_bench: no editor window\n");
        std::exit(1);
    }
    x11EditorIdle(editor);  // the first paint (fixed layer included) is not measured
    const auto period = std::chrono::microseconds(33333);
    const int ticks = static_cast<int>(seconds * 30.0);
    const double cpu0 = threadCpuSeconds(), server0 = serverCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int t = 1; t <= ticks; ++t) {
        const float phase = static_cast<float>(t) * 0.21f;
        if (moving == Moving::kMeter || moving == Moving::kEverything) v.meter = 6.0f + 5.0f * std::sin(phase);
        if (moving == Moving::kKnob) v.params[kThreshold] = 0.5f + 0.4f * std::sin(phase);
        if (moving == Moving::kEverything)
            for (int32_t i = 0; i < kParamCount; ++i) v.params[i] = 0.5f + 0.4f * std::sin(phase + static_cast<float>(i));
        x11EditorIdle(editor);
        std::this_thread::sleep_until(start + period * t);
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Share share{100.0 * (threadCpuSeconds() - cpu0) / wall, 100.0 * (serverCpuSeconds() - server0) / wall};
    closeX11Editor(editor);
    XDestroyWindow(display, parent);
    XSync(display, False);
    return share;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    Display* display = XOpenDisplay(nullptr);
    if (!display || seconds <= 0.0) {
        std::fprintf(stderr, "usage: panel_ui_bench [SECONDS] (with DISPLAY set)\n");
        return 2;
    }
    const struct {
        const char* name;
        Moving moving;
    } situations[] = {{"nothing changes", Moving::kNothing},
                      {"meter moving", Moving::kMeter},
                      {"a knob automated", Moving::kKnob},
                      {"baseline: every value changing", Moving::kEverything}};
    const double scales[2] = {1.0, 2.0};
    Share base[2];
    for (int i = 0; i < 2; ++i) base[i] = measure(display, scales[i], Moving::kEverything, seconds);
    std::printf("| UI thread (X server), %% of a core, %.0f s at 30 Hz | 100 %% | 200 %% |\n|---|---|---|\n", seconds);
    for (const auto& s : situations) {
        std::printf("| %s |", s.name);
        for (int i = 0; i < 2; ++i) {
            const Share share = s.moving == Moving::kEverything ? base[i] : measure(display, scales[i], s.moving, seconds);
            std::printf(" %.2f%% (%.2f%%), %.2f× the baseline |", share.editor, share.server, share.editor / base[i].editor);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    XCloseDisplay(display);
    return 0;
}
