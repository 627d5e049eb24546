// Deliberately broken plug-in DLLs for the render host's error paths. One
// source, one kind per build (FAKE_NO_ENTRY, FAKE_NULL_ENTRY, FAKE_BAD_MAGIC,
// FAKE_MONO_IO, FAKE_CRASH, FAKE_REFUSES_THIRD).
#include <cmath>
#include <cstdio>
#include <cstring>

#include "vst2/vst2_interface.h"

namespace {

// One parameter whose unit is only in its display text, on a logarithmic
// curve that shows no number at 0: what a host meets in plug-ins of other makers.
float gain = 0.5f;

intptr_t fakeDispatcher(AEffect*, int32_t opcode, int32_t index, intptr_t, void* ptr, float) {
    char* text = static_cast<char*>(ptr);
    if (opcode == effGetParamName && index == 0) std::strcpy(text, "Gain");
    if (opcode == effGetParamDisplay && index == 0) {
        if (gain <= 0.0f) std::strcpy(text, "-inf dB");
        else std::snprintf(text, 16, "%+.2f dB", 20.0 * std::log10(static_cast<double>(gain)));
    }
    return 0;
}
float fakeGetParameter(AEffect*, int32_t) { return gain; }
void fakeSetParameter(AEffect*, int32_t, float value) { gain = value; }

// Writes through a null pointer the way a broken plug-in would.
[[maybe_unused]] void crashingProcess(AEffect*, float**, float**, int32_t) {
    volatile float* nowhere = nullptr;
    *nowhere = 1.0f;
}
void silentProcess(AEffect*, float**, float** outputs, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) outputs[0][i] = outputs[1][i] = 0.0f;
}

AEffect makeEffect() {
    AEffect e = {};
    e.magic = kEffectMagic;
    e.dispatcher = fakeDispatcher;
    e.getParameter = fakeGetParameter;
    e.setParameter = fakeSetParameter;
    e.numParams = 1;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing;
    e.process = silentProcess;
    e.processReplacing = silentProcess;
    return e;
}

AEffect effect = makeEffect();

}  // namespace

#if defined(FAKE_NO_ENTRY)
extern "C" __declspec(dllexport) int notAPluginEntry() { return 0; }
#else
// Called by the host on its main thread.
extern "C" __declspec(dllexport) AEffect* VSTPluginMain(audioMasterCallback) {
#if defined(FAKE_NULL_ENTRY)
    return nullptr;
#elif defined(FAKE_REFUSES_THIRD)
    // Starts, then fails to start once partway through a batch: the render host
    // asks once for its settings and once per file, so the second file is refused.
    static int calls = 0;
    return ++calls == 3 ? nullptr : &effect;
#else
#if defined(FAKE_BAD_MAGIC)
    effect.magic = 0x12345678;
#elif defined(FAKE_MONO_IO)
    effect.numInputs = 1;
    effect.numOutputs = 1;
#elif defined(FAKE_CRASH)
    effect.process = crashingProcess;
    effect.processReplacing = crashingProcess;
#endif
    return &effect;
#endif
}
#endif
