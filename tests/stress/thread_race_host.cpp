// Host threads at once, as in a DAW: two instances, each processed without a
// pause on an audio thread of its own, while the user-interface thread sets
// parameters, changes the sample rate and bypass, opens, paints and closes the
// editors and drags knobs.
// Every output sample must stay finite and within the ceiling, and the
// published meter finite and within its range.
//
//   thread_race_host [--seed N] [--seconds S]   (DQ_THREADS_SECONDS too)
#include <windows.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "vst2/plugin_instance.h"
#include "crash_guard.h"
#include "stress_random.h"
#include "vst_host.h"

namespace {

std::atomic<bool> stopAudio{false};
std::atomic<uint64_t> blocksProcessed{0};
uint64_t gSeed = 0;

[[noreturn]] void fail(const char* what, double a, double b) {
    fprintf(stderr, "THREAD RACE FAILURE seed %" PRIu64 " after %" PRIu64 " blocks: %s (%g, %g)\n", gSeed,
            blocksProcessed.load(), what, a, b);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    abort();
}

void reportCrash(unsigned long code, const void* at) {
    fail("exception in plug-in or test code", double(code), double(reinterpret_cast<uintptr_t>(at)));
}

// Audio thread: in-range program in, every sample checked out. Bypassed blocks
// copy the input, which is in range too, so one rule holds for both.
void audioThread(AEffect* effect, uint64_t seed) {
    StressRng rng(seed);
    std::vector<float> buffers(4 * 4096);  // this thread's own
    float* in[2] = {&buffers[0], &buffers[4096]};
    float* out[2] = {&buffers[2 * 4096], &buffers[3 * 4096]};
    while (!stopAudio.load(std::memory_order_relaxed)) {
        const int32_t frames = rng.chance(0.02) ? 0 : rng.between(1, 4096);
        const double level = rng.chance(0.5) ? 0.98 : 0.02;
        for (int i = 0; i < frames; ++i) {
            in[0][i] = static_cast<float>(level * rng.symmetric());
            in[1][i] = static_cast<float>(level * rng.symmetric());
        }
        // Automation playback: hosts also set parameters from the audio thread.
        if (rng.chance(0.01)) effect->setParameter(effect, rng.between(0, 7), static_cast<float>(rng.unit()));
        const bool inPlace = rng.chance(0.3);
        effect->processReplacing(effect, in, inPlace ? in : out, frames);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < frames; ++i) {
                const float y = inPlace ? in[ch][i] : out[ch][i];
                if (!withinCeiling(y)) fail("output sample outside the ceiling", y, ch);
            }
        blocksProcessed.fetch_add(1, std::memory_order_relaxed);
    }
}

HWND makeParentWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ThreadRaceParent";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "ThreadRaceParent", "thread race", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900,
                           600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void pumpMessages() {
    MSG msg;
    for (int i = 0; i < 10 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// One knob drag: press on a knob centre, a few moves, release.
void dragKnob(HWND editor, StressRng& rng) {
    static const int knobs[7][2] = {{130, 165}, {710, 165}, {130, 375}, {275, 375},
                                    {420, 375}, {565, 375}, {710, 375}};
    const int* k = knobs[rng.below(7)];
    SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(k[0], k[1]));
    for (int m = 0; m < 8; ++m) {
        const int y = k[1] + rng.between(-300, 300);
        SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(k[0], static_cast<WORD>(int16_t(y))));
    }
    SendMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(k[0], k[1]));
}

void uiStep(AEffect* effect, HWND parent, StressRng& rng) {
    switch (rng.below(8)) {
    case 0:
    case 1: effect->setParameter(effect, rng.between(0, 7), anyFloat(rng)); break;
    case 2: dispatch(effect, effSetSampleRate, 0, 0, nullptr, anySampleRate(rng)); break;
    case 3:
        if (rng.chance(0.5)) dispatch(effect, effSetBypass, 0, rng.chance(0.3) ? 1 : 0);
        else effect->setParameter(effect, 8, rng.chance(0.3) ? 1.0f : 0.0f);
        break;
    case 4:
        if (rng.chance(0.5)) dispatch(effect, effEditOpen, 0, 0, parent);
        else dispatch(effect, effEditClose);
        break;
    case 5:
        if (HWND editor = FindWindowExA(parent, nullptr, "DorlinQuilletEditorWndClass", nullptr))
            dragKnob(editor, rng);
        break;
    default:
        dispatch(effect, effEditIdle);
        pumpMessages();
        break;
    }
    for (int i = 0; i < 9; ++i) {
        const float v = effect->getParameter(effect, i);
        if (!(v >= 0.0f && v <= 1.0f)) fail("parameter outside [0, 1]", i, v);
    }
    // The meter's range: a per-sample reduction is reported as at most 100 dB.
    const float meter =
        static_cast<PluginInstance*>(effect->object)->core.engine.gainReductionMeter.load(std::memory_order_relaxed);
    if (!(meter >= 0.0f && meter <= 100.0f)) fail("meter outside its range", meter, 0);
}

}  // namespace

int main(int argc, char** argv) {
    gSeed = GetTickCount64();
    double seconds = 10.0;
    if (const char* env = getenv("DQ_THREADS_SECONDS")) seconds = atof(env);
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--seed")) gSeed = strtoull(argv[i + 1], nullptr, 0);
        else if (!strcmp(argv[i], "--seconds")) seconds = atof(argv[i + 1]);
    }
    printf("thread race: seed %" PRIu64 ", %.0f s\n", gSeed, seconds);
    fflush(stdout);
    LoadedPlugin plugin = loadPlugin(pluginPathBesideProgram());
    if (!plugin.module || !plugin.entry) {
        fprintf(stderr, "cannot load DorlinQuillet.dll beside the program\n");
        return 2;
    }
    installCrashGuard(plugin.module, reportCrash);
    constexpr int kInstances = 2;
    AEffect* effects[kInstances];
    HWND parents[kInstances];
    std::thread audio[kInstances];
    for (int i = 0; i < kInstances; ++i) {
        effects[i] = plugin.entry(recordingAudioMaster);
        parents[i] = makeParentWindow();
        audio[i] = std::thread(audioThread, effects[i], gSeed ^ (0xA5A5A5A5ull + uint64_t(i)));
    }
    StressRng rng(gSeed);

    uint64_t uiSteps = 0;
    const uint64_t start = GetTickCount64();
    while (double(GetTickCount64() - start) < seconds * 1000.0) {
        const int i = int(rng.below(kInstances));
        uiStep(effects[i], parents[i], rng);
        recordedHostCalls().clear();
        ++uiSteps;
    }
    stopAudio = true;
    for (int i = 0; i < kInstances; ++i) {
        audio[i].join();
        closeEffect(effects[i]);
        DestroyWindow(parents[i]);
    }
    unloadPlugin(plugin);
    printf("thread race: seed %" PRIu64 ", %" PRIu64 " blocks against %" PRIu64 " UI steps, clean\n", gSeed,
           blocksProcessed.load(), uiSteps);
    return 0;
}
