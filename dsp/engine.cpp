#include "engine.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "block_values.h"
#include "denormal_guard.h"
#include "engine_constants.h"
#include "gain_computer.h"
#include "meter_decibels.h"
#include "portable_maths.h"
#include "program_analysis.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#define DQ_X86_PASSES 1
#endif

namespace {

// The per-sample steps, in the order of the algorithm: detector with Bass
// Armor, program analysis, envelope, gain computer with glue, mix and ceiling,
// meter. processOneFrame runs them once; the passes below run each over a
// chunk of samples.

// Detector levels at or beyond this (and NaN or infinity) count as silence.
constexpr double kLevelLimit = 1000000.0;

// The detector's view of one input sample: non-finite and absurd values are
// silence, so they never reach the filter state, the envelope or the analysis.
inline double detectorInput(double x) { return std::fabs(x) < kLevelLimit ? x : 0.0; }

// The linked detector's peak for one frame: each channel high-passed by Bass
// Armor when it is on (`armorL`, `armorR` its one-pole low-pass state), then
// the larger magnitude.
inline double detectorPeak(double xL, double xR, double& armorL, double& armorR, const BlockValues& b) {
    double dL = detectorInput(xL);
    double dR = detectorInput(xR);
    if (b.bassArmorOn) {
        // The high-passed sample, x - lowpass, taken as (x - previous) (1 - step):
        // kept for today's bits.
        const double keep = 1.0 - b.bassArmorStep;
        const double differenceL = dL - armorL;
        const double differenceR = dR - armorR;
        armorL += differenceL * b.bassArmorStep;
        armorR += differenceR * b.bassArmorStep;
        dL = differenceL * keep;
        dR = differenceR * keep;
    }
    const double absL = std::fabs(dL);
    const double absR = std::fabs(dR);
    return absR > absL ? absR : absL;
}

// The oscillator's (sin, cos) pair taken afresh from the phase itself.
void setWobblePhase(WobbleOscillator& w, double phase) {
    w.phase = phase;
    const SineCosine sc = portableSineCosine(phase + kWobblePhaseOffset);
    w.sine = sc.sine;
    w.cosine = sc.cosine;
}

// Brings the wobble oscillator in line with the live phase and increment.
void syncWobble(WobbleOscillator& w, double phase, double increment) {
    if (!(w.phase == phase)) setWobblePhase(w, phase);
    if (!(w.increment == increment)) {
        w.increment = increment;
        const SineCosine step = portableSineCosine(increment);
        w.stepSine = step.sine;
        w.stepCosine = step.cosine;
    }
}

// The wobble's sine for a phase just advanced: (sin, cos) rotated through the
// increment instead of a sine call per sample (the rotation sets today's
// bits); a phase wrap resynchronises the pair from the phase itself, so
// rounding never builds up over a long run.
inline double stepWobble(WobbleOscillator& w, double phase, bool wrapped) {
    if (wrapped) {
        setWobblePhase(w, phase);
    } else {
        w.phase = phase;
        const double s = w.sine * w.stepCosine + w.cosine * w.stepSine;
        w.cosine = w.cosine * w.stepCosine - w.sine * w.stepSine;
        w.sine = s;
    }
    return w.sine;
}

// The program analysis of one detector peak: absurd and vanishing peaks are silence.
inline ProgramSnapshot analysePeak(AnalysisState& a, int32_t& windowCounter, WobbleOscillator& w,
                                   const RateCoefficientValues& c, double peak) {
    const double level = peak < kLevelLimit && peak >= kStateFloor ? peak : 0.0;
    return advanceProgramLevel(a, windowCounter, c, level,
                               [&](bool wrapped) { return stepWobble(w, a.wobblePhase, wrapped); });
}

// The envelope: attack while the peak rises above it, the adaptive release otherwise.
inline double followEnvelope(double envelope, double peak, double attackCoeff, double release) {
    const double coeff = peak > envelope ? attackCoeff : release;
    return (1.0 - coeff) * peak + coeff * envelope;
}

// Dry and wet mix of one sample, then the ceiling (NaN falls to +kOutputCeiling).
inline float mixAndCeiling(double x, double gain, const BlockValues& b) {
    const double y = x * b.dryGain + x * (gain * b.wetGain);
    constexpr double c = kOutputCeiling;
    return static_cast<float>(y < c ? (y > -c ? y : -c) : c);
}

// Smallest of n > 0 values, two lanes at a time: worth 1.2x at blocks of 32
// and more against a comparison per gain. The values are positive and
// finite, so the order of comparison never changes the result: other
// processors take the plain loop.
double smallestOf(const double* v, int32_t n) {
#if !defined(DQ_X86_PASSES)
    double least = v[0];
    for (int32_t i = 1; i < n; ++i) least = v[i] < least ? v[i] : least;
    return least;
#else
    __m128d lanes = _mm_set1_pd(v[0]);
    int32_t i = 0;
    for (; i + 2 <= n; i += 2) lanes = _mm_min_pd(lanes, _mm_loadu_pd(v + i));
    if (i < n) lanes = _mm_min_sd(lanes, _mm_load_sd(v + i));
    const double a = _mm_cvtsd_f64(lanes);
    const double b = _mm_cvtsd_f64(_mm_unpackhi_pd(lanes, lanes));
    return a < b ? a : b;
#endif
}

// The block's largest reduction for the meter. It comes from the smallest
// gain, since the decibels fall as the gain rises: one conversion per block.
// A gain at or below 0.00001 counts as a reduction of kMeterRangeDb.
struct BlockReduction {
    double smallestGain = 1.0;
    bool floorReached = false;

    void add(double gain) {
        if (gain > 0.00001) smallestGain = gain < smallestGain ? gain : smallestGain;
        else floorReached = true;
    }
    // Gains are positive and finite: a plain minimum finds the smallest, and
    // only a run that reached the floor needs a closer look.
    void addAll(const double* gains, int32_t n) {
        const double least = smallestOf(gains, n);
        if (least > 0.00001) smallestGain = least < smallestGain ? least : smallestGain;
        else for (int32_t i = 0; i < n; ++i) add(gains[i]);
    }
    float decibels() const {
        float db = smallestGain < 1.0 ? static_cast<float>(reductionDb(smallestGain)) : 0.0f;
        return floorReached && kMeterRangeDb > db ? kMeterRangeDb : db;
    }
};

// The meter follows each block's largest reduction in dB.
inline void publishMeter(EngineState& state, float maxReduction) {
    const float meter = state.gainReductionMeter.load(std::memory_order_relaxed);
    // Flushed well above the subnormal range, as the state is.
    const float next = kMeterKeep * meter + kMeterTake * maxReduction;
    state.gainReductionMeter.store(next < 1e-20f ? 0.0f : next, std::memory_order_relaxed);
}

// One frame through every step, on the engine state in place. The block of
// hosts that split at every automation point: a lone frame is one long chain
// of dependent steps, which this straight line keeps short (1.5x against the
// chunked passes' set-up, natively and under Wine). Returns the reduction in dB.
float processOneFrame(EngineState& state, const BlockValues& b, const float* inL, const float* inR,
                      float* outL, float* outR) {
    const RateCoefficientValues c = loadRateCoefficients(state.coefficients);
    syncWobble(state.wobble, state.analysis.wobblePhase, c.wobbleIncrement);
    const double xL = inL[0];
    const double xR = inR[0];

    double armorL = state.bassArmorState[0];
    double armorR = state.bassArmorState[1];
    const double peak = detectorPeak(xL, xR, armorL, armorR, b);
    if (b.bassArmorOn) {
        state.bassArmorState[0] = flushBelowFloor(armorL);
        state.bassArmorState[1] = flushBelowFloor(armorR);
    }

    const ProgramSnapshot snapshot = analysePeak(state.analysis, state.windowCounter, state.wobble, c, peak);
    const ProgramLevel p = programControls(snapshot, 1.0 - b.releaseCoeff);

    const double envelope = followEnvelope(state.detectorEnvelope, peak, b.attackCoeff, p.adaptiveRelease);
    state.detectorEnvelope = flushBelowFloor(envelope);

    // At or below the threshold the gain computer gives exactly 1: skipping
    // its divisions is worth 1.2x on quiet frames.
    const double gain =
        envelope > b.thresholdGain ? compressorGain(b, envelope, p.crestSoftening, p.kneeLevel) : 1.0;

    outL[0] = mixAndCeiling(xL, gain, b);
    outR[0] = mixAndCeiling(xR, gain, b);

    BlockReduction reduction;
    reduction.add(gain);
    return reduction.decibels();
}

// Frames per chunk of the passes.
constexpr int32_t kChunk = 64;

struct ChunkValues {
    double peak[kChunk];
    double programLevel[kChunk];
    double programAverage[kChunk];
    double curvatureSmoothed[kChunk];
    double wobbleSine[kChunk];
    double release[kChunk];
    double softening[kChunk];
    double knee[kChunk];
    double envelope[kChunk];
    double gain[kChunk];
};

// Any block but a lone frame: the same steps, each as a pass over a chunk of
// 64 frames. The recursive ones (detector and analysis, envelope) go sample
// after sample; the others handle each sample on its own, so their long chains
// of divisions overlap across samples and pair up in vector registers instead
// of stalling the recursions: 1.5x to 2.4x at blocks of 32 and 512 against
// running every step per sample.
// The recursive state lives in locals for the block and is written back once.
__attribute__((always_inline)) inline float runPasses(EngineState& state, const BlockValues& b,
                                                      const RateCoefficientValues& c, const float* inL,
                                                      const float* inR, float* outL, float* outR,
                                                      int32_t n) {
    AnalysisState analysis = state.analysis;
    int32_t windowCounter = state.windowCounter;
    WobbleOscillator wobble = state.wobble;
    syncWobble(wobble, analysis.wobblePhase, c.wobbleIncrement);
    double armorL = state.bassArmorState[0];
    double armorR = state.bassArmorState[1];
    double envelope = state.detectorEnvelope;
    const double releaseStep = 1.0 - b.releaseCoeff;
    BlockReduction reduction;
    ChunkValues k;

    for (int32_t at = 0; at < n; at += kChunk) {
        const int32_t m = n - at < kChunk ? n - at : kChunk;
        const float* l = inL + at;
        const float* r = inR + at;
        // Detector with Bass Armor and program analysis (recursive).
        for (int32_t i = 0; i < m; ++i) {
            k.peak[i] = detectorPeak(l[i], r[i], armorL, armorR, b);
            const ProgramSnapshot p = analysePeak(analysis, windowCounter, wobble, c, k.peak[i]);
            k.programLevel[i] = p.programLevel;
            k.programAverage[i] = p.programAverage;
            k.curvatureSmoothed[i] = p.curvatureSmoothed;
            k.wobbleSine[i] = p.wobbleSine;
        }
        // The analysis's control values (each sample on its own).
        for (int32_t i = 0; i < m; ++i) {
            const ProgramLevel p = programControls(
                {k.programLevel[i], k.programAverage[i], k.curvatureSmoothed[i], k.wobbleSine[i]}, releaseStep);
            k.release[i] = p.adaptiveRelease;
            k.softening[i] = p.crestSoftening;
            k.knee[i] = p.kneeLevel;
        }
        // Envelope (recursive).
        for (int32_t i = 0; i < m; ++i)
            k.envelope[i] = envelope = followEnvelope(envelope, k.peak[i], b.attackCoeff, k.release[i]);
        // Gain computer with glue (each sample on its own), then the meter.
        for (int32_t i = 0; i < m; ++i) k.gain[i] = compressorGain(b, k.envelope[i], k.softening[i], k.knee[i]);
        reduction.addAll(k.gain, m);
        // Mix and ceiling. Reads the whole frame before writing any of it: in
        // place is fine, even with one buffer for both channels.
        for (int32_t i = 0; i < m; ++i) {
            const double xL = l[i];
            const double xR = r[i];
            outL[at + i] = mixAndCeiling(xL, k.gain[i], b);
            outR[at + i] = mixAndCeiling(xR, k.gain[i], b);
        }
    }

    state.analysis = analysis;
    state.windowCounter = windowCounter;
    state.wobble = wobble;
    state.detectorEnvelope = flushBelowFloor(envelope);
    if (b.bassArmorOn) {
        state.bassArmorState[0] = flushBelowFloor(armorL);
        state.bassArmorState[1] = flushBelowFloor(armorR);
    }
    return reduction.decibels();
}

// The passes built for every x86-64 processor, for those with AVX2 (1.35x to
// 1.4x at blocks of 32 and 512: the passes without recursion run four samples
// per instruction) and for those with AVX-512 (a further 1.1x to 1.17x at
// block 512, eight samples). All compute the same values (no fused
// multiply-add), bit for bit.
#if defined(DQ_X86_PASSES)
using Passes = float (*)(EngineState&, const BlockValues&, const RateCoefficientValues&, const float*,
                         const float*, float*, float*, int32_t);
float runPassesBaseline(EngineState& state, const BlockValues& b, const RateCoefficientValues& c,
                        const float* inL, const float* inR, float* outL, float* outR, int32_t n) {
    return runPasses(state, b, c, inL, inR, outL, outR, n);
}
__attribute__((target("avx2"))) float runPassesAvx2(EngineState& state, const BlockValues& b,
                                                    const RateCoefficientValues& c, const float* inL,
                                                    const float* inR, float* outL, float* outR, int32_t n) {
    return runPasses(state, b, c, inL, inR, outL, outR, n);
}
__attribute__((target("avx512f,avx512vl,avx2"))) float runPassesAvx512(
    EngineState& state, const BlockValues& b, const RateCoefficientValues& c, const float* inL,
    const float* inR, float* outL, float* outR, int32_t n) {
    return runPasses(state, b, c, inL, inR, outL, outR, n);
}
constexpr Passes kPasses[3] = {runPassesBaseline, runPassesAvx2, runPassesAvx512};

// Decided once when the library loads, never on the audio thread. AVX-512
// only where VBMI2 is present too: it marks the processors (from Ice Lake and
// Zen 4 on) that run 512-bit vectors at little or no clock cost, and leaves
// out the first AVX-512 generations, which down-clock the whole core for them.
int widestInstructionSet() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512vbmi2"))
        return 2;
    return __builtin_cpu_supports("avx2") ? 1 : 0;
}
const int widestSet = widestInstructionSet();
int instructionSet = widestSet;
float runSelectedPasses(EngineState& state, const BlockValues& b, const RateCoefficientValues& c,
                        const float* inL, const float* inR, float* outL, float* outR, int32_t n) {
    return kPasses[instructionSet](state, b, c, inL, inR, outL, outR, n);
}
#else
// Other processors: one build of the passes.
constexpr int widestSet = 0;
int instructionSet = 0;
float runSelectedPasses(EngineState& state, const BlockValues& b, const RateCoefficientValues& c,
                        const float* inL, const float* inR, float* outL, float* outR, int32_t n) {
    return runPasses(state, b, c, inL, inR, outL, outR, n);
}
#endif

// The envelope and the detector filter are flushed to zero below kStateFloor
// at the end of every block, the analysis levels at its window steps, and
// analysis levels below it are silence: squares and products of values this
// small are still far from the subnormal range. So only the input can bring a
// subnormal into play: a float that is subnormal or, after the gain, could
// become one on the way out.
inline bool tinyFloat(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return (bits & 0x7fffffffu) - 1u < 0x0c000000u;  // 0 < |x| < about 1e-31
}

// Every block but a clean lone frame, out of line so that processBlock stays
// a short way into the one-frame path.
__attribute__((noinline)) void processFrames(EngineState& state, const BlockValues& b, const float* inL,
                                             const float* inR, float* outL, float* outR,
                                             int32_t sampleFrames) {
    float maxReduction = 0.0f;
    if (sampleFrames > 0) {
        // The rate coefficients are taken once per block: a sample-rate request
        // reaches the engine at the next block, and a copy that straddles one
        // still mixes two valid, finite sets.
        const RateCoefficientValues c = loadRateCoefficients(state.coefficients);
        DenormalGuard denormalGuard;
        maxReduction = runSelectedPasses(state, b, c, inL, inR, outL, outR, sampleFrames);
    }
    publishMeter(state, maxReduction);
}

}  // namespace

// Audio thread.
void processBlock(EngineState& state, const BlockControls& controls, const float* const* inputs,
                  float* const* outputs, int32_t sampleFrames) {
    const float* inL = inputs[0];
    const float* inR = inputs[1];
    float* outL = outputs[0];
    float* outR = outputs[1];

    if (controls.hostBypass || controls.params[kBypass] > 0.5f) {
        // Bit-for-bit copy; state and meter stay frozen. A negative count copies nothing.
        if (sampleFrames > 0) {
            const size_t bytes = sizeof(float) * static_cast<size_t>(sampleFrames);
            if (outL != inL) std::memmove(outL, inL, bytes);
            if (outR != inR) std::memmove(outR, inR, bytes);
        }
        return;
    }

    const BlockValues& b = cachedBlockValues(state.blockCache, controls.params, controls.hostSampleRate);
    if (sampleFrames == 1 && !tinyFloat(inL[0]) && !tinyFloat(inR[0])) {
        // Writing and restoring the control word would cost 1.1x to 1.2x,
        // and nothing here can go subnormal: the state is kept above kStateFloor
        // or at zero, and the input is not tiny. The host's control bits stay
        // as they are; only the sticky status flags record this arithmetic,
        // as they do the host's own.
        publishMeter(state, processOneFrame(state, b, inL, inR, outL, outR));
        return;
    }
    processFrames(state, b, inL, inR, outL, outR, sampleFrames);
}

void changeBlockParameter(EngineState& state, BlockControls& controls, ParamIndex index, float value) {
    controls.params[index] = value;
    refreshForParameter(state.blockCache, controls.params, controls.hostSampleRate, index);
}

// Tests only, before any processing.
void selectEngineInstructionSet(int widest) {
    instructionSet = widest < widestSet ? (widest > 0 ? widest : 0) : widestSet;
}
