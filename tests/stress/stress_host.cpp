// A seeded host that misbehaves: two or three instances of the real DLL get any
// opcode, any parameter value and index, any block size, in-place and separate
// buffers, odd sample rates, bypass toggles, editor traffic and mouse input,
// and the plug-in's invariants are checked after every step.
//
//   stress_host [--seed N] [--steps N] [--seconds S]
// DQ_STRESS_SECONDS overrides the default time budget. A failure prints the
// seed and the step; rerunning with that seed replays the same sequence.
#include <windows.h>

#include <atomic>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "crash_guard.h"
#include "stress_random.h"
#include "vst_host.h"

namespace {

constexpr int kMaxBlock = 8192;
constexpr int kAudioGuard = 64;      // floats before and after each audio buffer
constexpr int kGuardBytes = 64;      // bytes before each host text buffer
constexpr int kHostBufferBytes = 1024;
constexpr int kInstancesMax = 3;
constexpr uint8_t kFill = 0xFF;

uint64_t gSeed = 0;
std::atomic<uint64_t> gStep{0};
std::atomic<uint64_t> gStepStartMs{0};
char gAction[256] = "start";

[[noreturn]] void fail(const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    fprintf(stderr, "STRESS FAILURE seed %" PRIu64 " step %" PRIu64 " (%s): %s\n", gSeed,
            gStep.load(), gAction, message);
    fprintf(stderr, "replay: stress_host --seed %" PRIu64 " --steps %" PRIu64 "\n", gSeed,
            gStep.load() + 1);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    abort();
}

void describe(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(gAction, sizeof gAction, format, args);
    va_end(args);
}

void reportCrash(unsigned long code, const void* at) { fail("exception 0x%08lx at %p", code, at); }

// A step that takes this long is a hang.
void watchdog() {
    for (;;) {
        Sleep(1000);
        const uint64_t started = gStepStartMs.load();
        if (started != 0 && GetTickCount64() - started > 20000) fail("step hangs for 20 s");
    }
}

// Index, relative to the buffer's start, of the first byte in `raw` that is
// outside [0, size) and no longer `pattern`; `guard` bytes lie before the buffer.
// Returns false when the guards are intact.
bool writtenOutside(const uint8_t* raw, size_t total, size_t guard, size_t size, uint8_t pattern,
                    long* at) {
    for (size_t i = 0; i < total; ++i) {
        if (i >= guard && i < guard + size) continue;
        if (raw[i] != pattern) {
            *at = long(i) - long(guard);
            return true;
        }
    }
    return false;
}

// A host text buffer between guard bytes, all 0xFF so every written byte shows.
struct GuardedBytes {
    uint8_t raw[kGuardBytes + kHostBufferBytes];
    uint8_t* bytes() { return raw + kGuardBytes; }
    void reset() { memset(raw, kFill, sizeof raw); }
    bool writtenOutside(int size, long* at) const {
        return ::writtenOutside(raw, sizeof raw, kGuardBytes, size_t(size), kFill, at);
    }
};

// One audio channel between guard floats, sized for the largest block. Inputs
// and outputs get different patterns, so a copy past either end shows too.
struct Channel {
    float raw[kAudioGuard + kMaxBlock + kAudioGuard];
    uint8_t pattern;
    float* samples() { return raw + kAudioGuard; }
    const float* samples() const { return raw + kAudioGuard; }
    void fillGuardPattern(uint8_t byte) {
        pattern = byte;
        memset(raw, byte, sizeof raw);
    }
    // The sample index of the first write outside [0, frames), if any.
    bool writtenOutside(int frames, long* at) const {
        const bool outside = ::writtenOutside(reinterpret_cast<const uint8_t*>(raw), sizeof raw,
                                              kAudioGuard * sizeof(float), size_t(frames) * sizeof(float),
                                              pattern, at);
        if (outside) *at = *at >= 0 ? *at / long(sizeof(float)) : -1 - (-*at - 1) / long(sizeof(float));
        return outside;
    }
};

struct Instance {
    AEffect* effect = nullptr;
    HWND parent = nullptr;
    float expected[9] = {};  // what getParameter must return
    bool hostBypass = false;
    bool editorOpen = false;
    int openEdit = -1;  // the parameter of a begun, not yet ended, edit
};

// The host's frame holds one container window per instance; the editor opens
// inside its container. (Destroying a top-level window costs Wine seconds, a
// child window nothing.)
HWND makeParentWindow(int slot) {
    static HWND frame = nullptr;
    if (!frame) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "StressHostWindow";
        RegisterClassA(&wc);
        frame = CreateWindowExA(0, "StressHostWindow", "stress host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                1000, 700, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    return CreateWindowExA(0, "StressHostWindow", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10 * slot,
                           10 * slot, 900, 600, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void pumpMessages(int limit) {
    MSG msg;
    for (int i = 0; i < limit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

const float kDefaults[9] = {0.5f, 0.35f, 0.3f, 0.15f, 0.65f, 0.35f, 0.25f, 1.0f, 0.0f};

class StressHost {
public:
    StressHost(uint64_t seed, LoadedPlugin& plugin) : rng(seed), plugin(plugin) {
        count = 2 + int(rng.below(2));
        for (int i = 0; i < count; ++i) {
            slots[i].parent = makeParentWindow(i);
            create(slots[i]);
        }
    }

    ~StressHost() {
        for (int i = 0; i < count; ++i) {
            if (slots[i].effect) closeEffect(slots[i].effect);
            DestroyWindow(slots[i].parent);
        }
    }

    // What the run covered, printed at the end.
    struct Coverage {
        uint64_t blocks, opcodes, editorOpens, mouseMessages, automations, reopens;
    } seen = {};

    void step() {
        Instance& in = slots[rng.below(uint32_t(count))];
        recordedHostCalls().clear();
        const uint32_t what = rng.below(100);
        if (what < 22) setParameter(in);
        else if (what < 30) getParameter(in);
        else if (what < 48) anyOpcode(in);
        else if (what < 70) processBlock(in);
        else if (what < 74) sampleRate(in);
        else if (what < 79) bypass(in);
        else if (what < 85) editor(in);
        else if (what < 99) mouse(in);
        else if (rng.chance(0.9)) reopen(in);
        else reopenAll();
        takeAutomation();
        for (int i = 0; i < count; ++i) {
            checkParameters(slots[i]);
            checkEditorWindows(slots[i]);
        }
    }

private:
    void create(Instance& in) {
        in.effect = (rng.chance(0.5) ? plugin.entry : plugin.mainAlias)(recordingAudioMaster);
        if (!in.effect) fail("VSTPluginMain returned null");
        memcpy(in.expected, kDefaults, sizeof kDefaults);
        in.hostBypass = false;
        in.editorOpen = false;
        in.openEdit = -1;
    }

    // A closed instance has ended its last edit, and calls its host no more.
    void takeClosingCalls(Instance& in) {
        takeAutomation();
        if (in.openEdit >= 0) fail("instance closed with the edit of parameter %d still open", in.openEdit);
        in.effect = nullptr;
    }

    void reopen(Instance& in) {
        describe("effClose and a new instance");
        ++seen.reopens;
        dispatch(in.effect, effClose);
        takeClosingCalls(in);
        if (FindWindowExA(in.parent, nullptr, "DorlinQuilletEditorWndClass", nullptr))
            fail("editor window outlives its instance");
        create(in);
    }

    // Every instance closed (GDI+ shuts down with the last), then all rebuilt,
    // sometimes from a freshly reloaded library, as a host's rescan does.
    void reopenAll() {
        const bool reload = rng.chance(0.5);
        describe("every instance closed and rebuilt%s", reload ? " after reloading the library" : "");
        for (int i = 0; i < count; ++i) dispatch(slots[i].effect, effClose);
        for (int i = 0; i < count; ++i) takeClosingCalls(slots[i]);
        pumpMessages(200);
        if (reload) {
            unloadPlugin(plugin);
            plugin = loadPlugin(pluginPathBesideProgram());
            if (!plugin.module || !plugin.entry || !plugin.mainAlias) fail("the library does not load again");
            crashGuardModule = plugin.module;
        }
        for (int i = 0; i < count; ++i) create(slots[i]);
        seen.reopens += uint64_t(count);
    }

    int32_t anyIndex() {
        if (rng.chance(0.8)) return rng.between(0, 8);
        static const int32_t odd[] = {-1, 9, 10, -2147483647 - 1, 2147483647, 100, -9};
        return rng.chance(0.5) ? odd[rng.below(7)] : int32_t(rng.next());
    }

    void setParameter(Instance& in) {
        const int32_t index = rng.chance(0.1) ? 8 : anyIndex();
        const float value = anyFloat(rng);
        describe("setParameter(%d, %a)", index, double(value));
        in.effect->setParameter(in.effect, index, value);
        if (index >= 0 && index < 9) in.expected[index] = expectedClamp(value);
    }

    void getParameter(Instance& in) {
        const int32_t index = anyIndex();
        describe("getParameter(%d)", index);
        const float got = in.effect->getParameter(in.effect, index);
        const float want = (index >= 0 && index < 9) ? in.expected[index] : 0.0f;
        if (!sameBits(got, want)) fail("getParameter(%d) = %a, expected %a", index, double(got), double(want));
    }

    void checkParameters(const Instance& in) {
        for (int i = 0; i < 9; ++i) {
            const float got = in.effect->getParameter(in.effect, i);
            if (!(got >= 0.0f && got <= 1.0f) || !sameBits(got, in.expected[i]))
                fail("parameter %d is %a, expected %a", i, double(got), double(in.expected[i]));
        }
    }

    // One editor window while open, none otherwise: nothing leaks or lingers.
    void checkEditorWindows(const Instance& in) {
        int windows = 0;
        for (HWND w = nullptr; (w = FindWindowExA(in.parent, w, "DorlinQuilletEditorWndClass", nullptr));)
            ++windows;
        if (windows != (in.editorOpen ? 1 : 0))
            fail("%d editor windows in the parent of an instance whose editor is %s", windows,
                 in.editorOpen ? "open" : "closed");
    }

    // Drags report each new value through audioMasterAutomate, inside one
    // begin/end edit pair per drag; the model follows.
    void takeAutomation() {
        for (const HostCall& call : recordedHostCalls()) {
            Instance* owner = nullptr;
            for (int i = 0; i < count; ++i)
                if (slots[i].effect == call.effect) owner = &slots[i];
            if (!owner) fail("audioMaster called with an unknown AEffect %p", static_cast<void*>(call.effect));
            if (call.index < 0 || call.index > 6) fail("host call %d for parameter %d", call.opcode, call.index);
            if (call.opcode == audioMasterBeginEdit) {
                if (owner->openEdit >= 0) fail("edit of %d begun inside the edit of %d", call.index, owner->openEdit);
                owner->openEdit = call.index;
                continue;
            }
            if (call.opcode == audioMasterEndEdit) {
                if (owner->openEdit != call.index) fail("end of edit %d, open edit %d", call.index, owner->openEdit);
                owner->openEdit = -1;
                continue;
            }
            if (call.opcode != audioMasterAutomate) fail("unexpected audioMaster opcode %d", call.opcode);
            if (owner->openEdit != call.index) fail("automation of %d outside its edit", call.index);
            if (!(call.opt >= 0.0f && call.opt <= 1.0f)) fail("automated value %a", double(call.opt));
            owner->expected[call.index] = call.opt;
            ++seen.automations;
        }
        recordedHostCalls().clear();
    }

    // Bytes a handled opcode may write into the host's buffer; 0 for the rest.
    static int statedSize(int32_t opcode, int32_t index) {
        const bool validIndex = index >= 0 && index < 9;
        switch (opcode) {
        case effGetParamLabel: return validIndex ? 7 : 0;
        case effGetParamDisplay:
        case effGetParamName: return validIndex ? 15 : 0;
        case effEditGetRect: return int(sizeof(void*));
        case effGetEffectName:
        case effGetVendorString:
        case effGetProductString: return 31;
        default: return 0;
        }
    }

    static bool hasResult(int32_t opcode) {
        static const int32_t handled[] = {effGetParamLabel, effGetParamDisplay, effGetParamName,
                                          effEditGetRect, effEditOpen, effEditClose, effGetPlugCategory,
                                          effSetBypass, effGetEffectName, effGetVendorString,
                                          effGetProductString, effGetVendorVersion, effCanDo};
        for (int32_t h : handled)
            if (h == opcode) return true;
        return false;
    }

    void anyOpcode(Instance& in) {
        const int32_t opcode = rng.between(-5, 80);
        if (opcode == effClose) return reopen(in);
        if (opcode == effEditOpen || opcode == effEditClose || opcode == effEditIdle) return editor(in);
        if (opcode == effSetSampleRate) return sampleRate(in);
        if (opcode == effSetBypass) return bypass(in);
        const int32_t index = anyIndex();
        const intptr_t value = rng.chance(0.5) ? intptr_t(rng.between(-2, 2)) : intptr_t(rng.next());
        const float opt = anyFloat(rng);
        buffer.reset();
        if (opcode == effCanDo) {
            static const char* const strings[] = {"hasCockosExtensions", "1in2out", "2in2out", "",
                                                  "receiveVstEvents", "sendVstMidiEvent", "bypass"};
            const char* s = strings[rng.below(7)];
            memcpy(buffer.bytes(), s, strlen(s) + 1);
        }
        describe("dispatcher(opcode %d, index %d, value %" PRIdPTR ", opt %a)", opcode, index, value,
                 double(opt));
        ++seen.opcodes;
        uint8_t before[sizeof buffer.raw];
        memcpy(before, buffer.raw, sizeof before);
        const intptr_t result = dispatch(in.effect, opcode, index, value, buffer.bytes(), opt);
        const int stated = statedSize(opcode, index);
        if (opcode == effCanDo) {
            if (memcmp(before, buffer.raw, sizeof before) != 0) fail("effCanDo wrote into its string");
        } else if (long at; buffer.writtenOutside(stated, &at)) {
            fail("opcode %d wrote byte %ld of the host buffer; its stated size is %d", opcode, at, stated);
        }
        if (!hasResult(opcode) && result != 0) fail("unhandled opcode %d returned %" PRIdPTR, opcode, result);
        if (opcode == effEditGetRect) {
            const ERect* rect;
            memcpy(&rect, buffer.bytes(), sizeof rect);
            if (!rect || rect->top != 0 || rect->left != 0 || rect->bottom != 520 || rect->right != 840)
                fail("effEditGetRect gave a wrong rectangle");
        }
        if (opcode == effGetParamDisplay && stated && !memchr(buffer.bytes(), 0, 15))
            fail("display text of parameter %d is not terminated", index);
    }

    void sampleRate(Instance& in) {
        const float rate = anySampleRate(rng);
        describe("effSetSampleRate(%a)", double(rate));
        if (dispatch(in.effect, effSetSampleRate, 0, 0, nullptr, rate) != 0)
            fail("effSetSampleRate did not answer 0");
    }

    void bypass(Instance& in) {
        if (rng.chance(0.5)) {
            static const intptr_t values[] = {0, 1, 2, -1, 0x100000000LL};
            const intptr_t value = values[rng.below(5)];
            describe("effSetBypass(%" PRIdPTR ")", value);
            if (dispatch(in.effect, effSetBypass, 0, value) != 1) fail("effSetBypass did not answer 1");
            in.hostBypass = value != 0;
        } else {
            static const float values[] = {0.0f, 0.5f, 0.50000006f, 1.0f, 0.49999997f};
            const float value = values[rng.below(5)];
            describe("setParameter(Bypass, %a)", double(value));
            in.effect->setParameter(in.effect, 8, value);
            in.expected[8] = value;
        }
    }

    HWND editorWindow(const Instance& in) {
        return FindWindowExA(in.parent, nullptr, "DorlinQuilletEditorWndClass", nullptr);
    }

    void editor(Instance& in) {
        const uint32_t what = rng.below(9);
        if (what == 8) {
            // The host tears its own window down under an open editor.
            describe("host destroys the editor's parent window");
            DestroyWindow(in.parent);
            in.parent = makeParentWindow(int(&in - slots));
            in.editorOpen = false;
        } else if (what < 3) {
            describe("effEditOpen");
            const intptr_t opened = dispatch(in.effect, effEditOpen, 0, 0, in.parent);
            if (opened != 0 && opened != 1) fail("effEditOpen answered %" PRIdPTR, opened);
            if (opened) in.editorOpen = true, ++seen.editorOpens;
            if (opened && !editorWindow(in)) fail("effEditOpen answered 1 but no window exists");
        } else if (what < 5) {
            describe("effEditClose");
            if (dispatch(in.effect, effEditClose) != 1) fail("effEditClose did not answer 1");
            in.editorOpen = false;
            if (editorWindow(in)) fail("editor window still exists after effEditClose");
        } else {
            describe("effEditIdle and paint");
            dispatch(in.effect, effEditIdle);
            pumpMessages(200);
        }
    }

    // Presses, moves and releases anywhere, often on a knob so drags happen.
    void mouse(Instance& in) {
        const HWND window = editorWindow(in);
        if (!window) return editor(in);
        static const int knobs[7][2] = {{130, 165}, {710, 165}, {130, 375}, {275, 375},
                                        {420, 375}, {565, 375}, {710, 375}};
        if (rng.chance(0.3)) return drag(window, knobs[rng.below(7)]);
        int x, y;
        if (rng.chance(0.5)) {
            const int* k = knobs[rng.below(7)];
            x = k[0] + rng.between(-50, 50);
            y = k[1] + rng.between(-50, 50);
        } else {
            x = rng.between(-32768, 32767);
            y = rng.between(-32768, 32767);
        }
        static const UINT messages[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSEMOVE,
                                        WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEWHEEL, WM_CAPTURECHANGED};
        const UINT message = messages[rng.below(8)];
        describe("mouse message 0x%x at (%d, %d)", message, x, y);
        const LPARAM where = MAKELPARAM(static_cast<WORD>(int16_t(x)), static_cast<WORD>(int16_t(y)));
        ++seen.mouseMessages;
        SendMessageA(window, message, message == WM_MOUSEMOVE ? MK_LBUTTON : 0, where);
        if (rng.chance(0.1)) pumpMessages(50);
    }

    // A whole gesture: press on a knob, a few moves anywhere, usually a release.
    void drag(HWND window, const int* knob) {
        describe("drag from (%d, %d)", knob[0], knob[1]);
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(knob[0], knob[1]));
        for (int moves = rng.between(1, 6); moves > 0; --moves) {
            const int y = knob[1] + rng.between(-400, 400);
            SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(knob[0], static_cast<WORD>(int16_t(y))));
        }
        if (rng.chance(0.8)) SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(knob[0], knob[1]));
        seen.mouseMessages += 3;
    }

    void fillInput(Channel& c, int frames) {
        const double level = rng.chance(0.2) ? 4.0 : (rng.chance(0.5) ? 1.0 : 0.05);
        const bool broken = rng.chance(0.1);
        for (int i = 0; i < frames; ++i) c.samples()[i] = anySample(rng, level, broken);
    }

    int32_t anyBlockSize() {
        const uint32_t kind = rng.below(10);
        if (kind == 0) return 0;
        if (kind == 1) {
            static const int32_t negative[] = {-1, -64, -8192, -2147483647 - 1};
            return negative[rng.below(4)];
        }
        if (kind < 5) return rng.between(1, 64);
        if (kind < 8) return rng.between(65, 1024);
        return rng.between(1025, kMaxBlock);
    }

    // Buffer layouts hosts use: separate, in place, and a mono track's one
    // buffer feeding both inputs (in place too, all four pointers the same).
    enum Layout { kSeparate, kInPlace, kMonoInput, kMonoInPlace };

    void processBlock(Instance& in) {
        static const char* const layoutNames[] = {"separate buffers", "in place", "mono input",
                                                  "mono in place"};
        const int32_t frames = anyBlockSize();
        const Layout layout = Layout(rng.below(4));
        const bool mono = layout == kMonoInput || layout == kMonoInPlace;
        const bool inPlace = layout == kInPlace || layout == kMonoInPlace;
        const bool replacing = rng.chance(0.5);
        describe("%s(%d frames, %s)", replacing ? "processReplacing" : "process", frames, layoutNames[layout]);
        const int n = frames > 0 ? frames : 0;
        for (Channel* c : {&inputs[0], &inputs[1]}) c->fillGuardPattern(0xA5);
        for (Channel* c : {&outputs[0], &outputs[1]}) c->fillGuardPattern(kFill);  // NaN until written
        fillInput(inputs[0], n);
        if (mono || rng.chance(0.3)) memcpy(inputs[1].samples(), inputs[0].samples(), sizeof(float) * size_t(n));
        else fillInput(inputs[1], n);
        memcpy(original, inputs, sizeof original);

        Channel* inChannel[2] = {&inputs[0], mono ? &inputs[0] : &inputs[1]};
        Channel* outChannel[2] = {&outputs[0], &outputs[1]};
        if (inPlace) outChannel[0] = inChannel[0], outChannel[1] = inChannel[1];
        float* in2[2] = {inChannel[0]->samples(), inChannel[1]->samples()};
        float* out2[2] = {outChannel[0]->samples(), outChannel[1]->samples()};
        const bool bypassed = in.hostBypass || in.expected[8] > 0.5f;
        ++seen.blocks;
        (replacing ? in.effect->processReplacing : in.effect->process)(in.effect, in2, out2, frames);

        for (int ch = 0; ch < 2; ++ch) {
            const Channel& out = *outChannel[ch];
            if (long at; out.writtenOutside(n, &at))
                fail("channel %d written at sample %ld of a %d-sample block", ch, at, int(frames));
            if (!inPlace && memcmp(inputs[ch].raw, original[ch].raw, sizeof inputs[ch].raw) != 0)
                fail("input channel %d was modified", ch);
            for (int i = 0; i < n; ++i) {
                const float y = out.samples()[i];
                const float x = original[ch].samples()[i];
                if (bypassed ? !sameBits(y, x) : !withinCeiling(y))
                    fail("%s output channel %d sample %d is %a (input %a)", bypassed ? "bypassed" : "processed",
                         ch, i, double(y), double(x));
            }
        }
        // A mono pair is one signal twice: both outputs must agree.
        if (mono && !inPlace && memcmp(outputs[0].samples(), outputs[1].samples(), sizeof(float) * size_t(n)) != 0)
            fail("mono input gave two different output channels");
    }

    StressRng rng;
    LoadedPlugin& plugin;
    Instance slots[kInstancesMax];
    int count = 0;
    GuardedBytes buffer;
    Channel inputs[2], outputs[2], original[2];
};

uint64_t parseNumber(const char* text) { return strtoull(text, nullptr, 0); }

}  // namespace

int main(int argc, char** argv) {
    gSeed = GetTickCount64() ^ (uint64_t(GetCurrentProcessId()) << 32);
    uint64_t steps = UINT64_MAX;
    double seconds = 60.0;
    if (const char* env = getenv("DQ_STRESS_SECONDS")) seconds = atof(env);
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--seed")) gSeed = parseNumber(argv[i + 1]);
        else if (!strcmp(argv[i], "--steps")) steps = parseNumber(argv[i + 1]);
        else if (!strcmp(argv[i], "--seconds")) seconds = atof(argv[i + 1]);
    }
    printf("stress host: seed %" PRIu64 ", %.0f s budget\n", gSeed, seconds);
    fflush(stdout);

    LoadedPlugin plugin = loadPlugin(pluginPathBesideProgram());
    if (!plugin.module || !plugin.entry || !plugin.mainAlias) {
        fprintf(stderr, "cannot load DorlinQuillet.dll beside the program\n");
        return 2;
    }
    installCrashGuard(plugin.module, reportCrash);
    std::thread(watchdog).detach();

    const uint64_t start = GetTickCount64();
    uint64_t done = 0;
    StressHost* host = new StressHost(gSeed, plugin);  // large buffers: not on the stack
    for (; done < steps && double(GetTickCount64() - start) < seconds * 1000.0; ++done) {
        gStep = done;
        gStepStartMs = GetTickCount64();
        host->step();
    }
    gStepStartMs = 0;
    describe("closing instances");
    const StressHost::Coverage seen = host->seen;
    delete host;
    printf("stress host: %" PRIu64 " steps clean (seed %" PRIu64 "): %" PRIu64 " blocks, %" PRIu64
           " opcodes, %" PRIu64 " editor opens, %" PRIu64 " mouse messages, %" PRIu64 " automations, %" PRIu64
           " instance replacements\n",
           done, gSeed, seen.blocks, seen.opcodes, seen.editorOpens, seen.mouseMessages, seen.automations,
           seen.reopens);
    return 0;
}
