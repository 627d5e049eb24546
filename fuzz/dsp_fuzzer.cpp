// libFuzzer target on the engine: the input bytes are a script of host events
// (sample-rate requests, parameter values, bypass, blocks of any size with any
// sample data, in place, separate or from one mono buffer). After every block
// the outputs must be a copy of the inputs when bypassed and finite within the
// ceiling otherwise, the meter finite within 0..100 dB and the recursive state
// finite and never subnormal; a twin engine fed the same block in separate
// buffers, through any of the passes' instruction-set builds, must agree
// bit for bit whatever the layout. Buffers are exactly as long as the block,
// so AddressSanitizer sees any access beyond.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine.h"
#include "engine_constants.h"
#include "engine_state.h"
#include "rate_coefficients.h"
#include "../tests/stress/engine_checks.h"
#include "../tests/stress/stress_random.h"

namespace {

struct Script {
    const uint8_t* data;
    size_t size;
    template <class T> T take() {
        T value{};
        const size_t n = size < sizeof(T) ? size : sizeof(T);
        memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
};

void check(bool ok) {
    if (!ok) abort();
}

// How the host lays out its buffers: the twin always gets separate ones.
enum Layout { kSeparate, kInPlace, kMonoInput, kMonoInPlace };

void runBlock(Script& in, EngineState& state, EngineState& twin, const BlockControls& controls) {
    const int32_t frames = in.take<int16_t>() % 4097;  // -4096 .. 4096
    const uint8_t mode = in.take<uint8_t>();
    const Layout layout = Layout((mode >> 1) & 3);
    const bool mono = layout == kMonoInput || layout == kMonoInPlace;
    const size_t n = frames > 0 ? size_t(frames) : 0;
    std::vector<float> l(n), r(n);
    if (mode & 1) {  // raw float bits from the script, then silence
        for (size_t i = 0; i < n; ++i) l[i] = in.take<float>(), r[i] = in.take<float>();
    } else {  // 16-bit samples scaled by a script gain: long blocks from few bytes
        const float gain = in.take<float>();
        for (size_t i = 0; i < n; ++i) {
            l[i] = gain * float(in.size ? int8_t(in.data[i % in.size]) : 0) / 128.0f;
            r[i] = (mode & 8) ? l[i] : -0.5f * l[i];
        }
    }
    if (mono) r = l;  // one buffer feeds both inputs
    const std::vector<float> originalL = l, originalR = r;
    std::vector<float> twinL = l, twinR = r;
    // new[] of the exact length (zero included) so ASan guards both ends.
    float* outL = new float[n];
    float* outR = new float[n];
    float* twinOutL = new float[n];
    float* twinOutR = new float[n];
    const float* ins[2] = {l.data(), mono ? l.data() : r.data()};
    float* outs[2] = {outL, outR};
    if (layout == kInPlace) outs[0] = l.data(), outs[1] = r.data();
    if (layout == kMonoInPlace) outs[0] = outs[1] = l.data();
    const float* twinIns[2] = {twinL.data(), twinR.data()};
    float* twinOuts[2] = {twinOutL, twinOutR};
    if (n == 0) ins[0] = ins[1] = outs[0] = outs[1] = outL;
    selectEngineInstructionSet(2);  // the widest this processor has
    processBlock(state, controls, ins, outs, frames);
    selectEngineInstructionSet((mode >> 4) % 3);  // baseline, AVX2 or AVX-512
    processBlock(twin, controls, twinIns, twinOuts, frames);

    // Every layout and every build of the passes gives the same bits.
    const bool bypassed = controls.hostBypass || controls.params[kBypass] > 0.5f;
    for (size_t i = 0; i < n; ++i)
        for (int ch = 0; ch < 2; ++ch) {
            const float y = outs[ch][i];
            const float x = (ch ? originalR : originalL)[i];
            check(bypassed ? sameBits(x, y) : withinCeiling(y));
            check(sameBits(y, twinOuts[ch][i]));
        }
    const float meter = state.gainReductionMeter.load(std::memory_order_relaxed);
    check(meter >= 0.0f && meter <= 100.0f);
    check(sameBits(meter, twin.gainReductionMeter.load(std::memory_order_relaxed)));
    double value;
    check(uncleanStateField(state, &value) == nullptr);
    delete[] outL;
    delete[] outR;
    delete[] twinOutL;
    delete[] twinOutR;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Script in{data, size};
    EngineState state, twin;
    initEngineState(state);
    initEngineState(twin);
    std::atomic<double> hostSampleRate{kFallbackSampleRate}, twinSampleRate{kFallbackSampleRate};
    BlockControls controls{};
    for (int i = 0; i < kParamCount; ++i) controls.params[i] = kParamTable[i].defaultValue;
    controls.hostSampleRate = kFallbackSampleRate;
    for (int event = 0; event < 64 && in.size > 0; ++event) {
        const uint8_t op = in.take<uint8_t>() % 4;
        if (op == 0) {
            const float rate = in.take<float>();
            applySampleRate(hostSampleRate, state.coefficients, rate);
            applySampleRate(twinSampleRate, twin.coefficients, rate);
            controls.hostSampleRate = hostSampleRate.load();
        } else if (op == 1) {
            const uint8_t index = in.take<uint8_t>() % kParamCount;
            controls.params[index] = clampParameter(in.take<float>());
        } else if (op == 2) {
            controls.hostBypass = in.take<uint8_t>() & 1;
        } else {
            runBlock(in, state, twin, controls);
        }
    }
    return 0;
}
