#include "engine.h"
#include "engine_paths.h"

#include <emmintrin.h>
#include <pmmintrin.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "block_values.h"

namespace PATHS_NS {
#ifdef RUNTIME_OPTIONS
// One build for every Bass Armor and Glue setting: the switches are tested at
// run time instead of selecting a template build.
#define GLUE_ON(b) (b).glueOn
#define ARMOR_ON(step) ((step) > 0.0001)
#define SPLIT_ARMOR(b) true
#define SPLIT_GLUE(b) true
#else
#define GLUE_ON(b) true
#define ARMOR_ON(step) true
#define SPLIT_ARMOR(b) (b).bassArmorOn
#define SPLIT_GLUE(b) (b).glueOn
#endif
#ifdef RUNTIME_LOG10
#define METER_DB(g) (-20.0 * std::log10(g))
#else
#define METER_DB(g) reductionDb(g)
#endif
// Program-level analysis: turns the sanitised detector level into crest
// softening, knee level and the per-sample (auto) release coefficient.


struct ProgramLevel {
    double crestSoftening;  // 1/3 .. 1, eases compression on transients
    double kneeLevel;       // 0 .. 1, stiffens the knee near the recent peak
    double adaptiveRelease; // 0.7 .. 0.9999, the envelope's release for this sample
};

constexpr double kTwoPi = 6.283185307179586;
constexpr double kWobblePhaseOffset = 0.8224670334241132;  // pi^2 / 12

// Smallest magnitude the recursive state keeps; anything below is flushed to zero.
constexpr double kStateFloor = 1e-100;
inline double flushBelowFloor(double v) { return std::fabs(v) < kStateFloor ? 0.0 : v; }

// What the analysis state says after one sample, for the control values.
struct ProgramSnapshot {
    double programLevel;
    double programAverage;
    double curvatureSmoothed;
    double wobbleSine;  // sin(wobblePhase + pi^2/12)
};

// The 2 ms window step: the curvature of the fast level. Kept out of line so
// the compiler branches around it rather than computing it (with a division)
// on every sample and selecting the result.
__attribute__((noinline)) inline void takeWindowStep(AnalysisState& a, double curvatureScaleDecay) {
    // The smoothed levels lose at most a factor e^0.5 between window
    // steps at any rate, so flushing them here to zero below 1e-100 keeps
    // them, their squares and products far from the subnormal range.
    a.programLevel = flushBelowFloor(a.programLevel);
    a.programAverage = flushBelowFloor(a.programAverage);
    a.fastLevel = flushBelowFloor(a.fastLevel);
    a.curvatureSmoothed = flushBelowFloor(a.curvatureSmoothed);
    double (&h)[4] = a.curvatureHistory;
    const double d = a.fastLevel - 4.0 * h[0] + 6.0 * h[1] - 4.0 * h[2] + h[3];
    h[3] = h[2];
    h[2] = h[1];
    h[1] = h[0];
    h[0] = a.fastLevel;
    const double scaleDecayed = a.curvatureScale * curvatureScaleDecay;
    double scale = scaleDecayed > std::fabs(d) ? scaleDecayed : std::fabs(d);
    if (scale < 0.02) scale = 0.02;
    a.curvatureScale = scale;
    const double q = d / scale;
    a.curvature = q < 1.0 ? (q > -1.0 ? q : -1.0) : 1.0;  // NaN gives 1
}

// Advances the analysis state by one sample. `wobbleSine(wrapped)` returns
// sin(wobblePhase + pi^2/12) for the phase just advanced; `wrapped` says the
// phase was brought back by 2 pi on this sample. The engine passes a recursive
// oscillator, the plain entry below a sine call.
template <class WobbleSine>
inline ProgramSnapshot advanceProgramLevel(AnalysisState& a, int32_t& windowCounter,
                                           const RateCoefficientValues& c, double level,
                                           WobbleSine&& wobbleSine) {
    // The held peak without this sample depends only on the state, so its
    // reciprocal is taken before the level arrives and the level meets a
    // product, not a division: a level above it is the new peak and
    // normalises to exactly 1, one below it is scaled by the reciprocal.
#ifdef HELD_DIVISION
    const double decayed = a.peakReference * c.peakReferenceDecay;
    a.peakReference = decayed > level ? decayed : level;
    if (a.peakReference < 0.001) a.peakReference = 0.001;
    double normalised = level / a.peakReference;
    if (normalised > 1.0) normalised = 1.0;
#else
    double held = a.peakReference * c.peakReferenceDecay;
    if (held < 0.001) held = 0.001;
    const double inverseHeld = 1.0 / held;
    const bool newPeak = level > held;
    a.peakReference = newPeak ? level : held;
    double normalised = newPeak ? 1.0 : level * inverseHeld;
    if (normalised > 1.0) normalised = 1.0;
#endif

    const double k = normalised > a.programLevel ? c.levelAttackCoeff : c.levelReleaseCoeff;
    a.programLevel = (1.0 - k) * normalised + k * a.programLevel;
    a.programAverage += (a.programLevel - a.programAverage) * c.averageStep;

    a.fastLevel += (normalised - a.fastLevel) * c.fastLevelStep;
    if (++windowCounter >= c.windowLength) {
        windowCounter = 0;
        takeWindowStep(a, c.curvatureScaleDecay);
    }
    a.curvatureSmoothed += (a.curvature - a.curvatureSmoothed) * c.curvatureStep;

    a.wobblePhase += c.wobbleIncrement;
    const bool wrapped = a.wobblePhase > kTwoPi;
    if (wrapped) a.wobblePhase -= kTwoPi;
    return {a.programLevel, a.programAverage, a.curvatureSmoothed, wobbleSine(wrapped)};
}

// The control values from one snapshot; `releaseStep` is 1 - the block's
// release coefficient. Depends on nothing but its inputs, so the engine runs
// it over many samples at once.
inline ProgramLevel programControls(const ProgramSnapshot& p, double releaseStep) {
    // Written out, with c the crest ratio pl / d:
    //   softening     = 1 / (2 (c/25)^2 + 1)        (c/25 at most 1)
    //   wobble        = 0.08 sin / (|c| + 1)
    //   inverse scale = (0.5 max(curvature, 0) + 1) / ((0.4 pl^2 81/91 + 0.65)(1 - 0.2 wobble))
    // Each quotient is rewritten over the crest ratio's own numerator and
    // denominator, and all of them share a single division: the same values
    // to rounding, one divider trip per sample instead of five.
#ifdef WRITTEN_CONTROLS
    const double pl = p.programLevel;
    const double crest = pl / (std::fabs(0.1 * p.programAverage) + 0.04);
    double amount = crest / 25.0;
    if (amount > 1.0) amount = 1.0;
    const double crestSoftening = 1.0 / (2.0 * amount * amount + 1.0);
    const double kneeLevel = pl * std::sqrt(pl);
    const double wobble = 0.08 * p.wobbleSine / (std::fabs(crest) + 1.0);
    const double curvatureDrive = p.curvatureSmoothed > 0.0 ? p.curvatureSmoothed : 0.0;
    double scale = (0.4 * pl * pl * 81.0 / 91.0 + 0.65) * (1.0 - 0.2 * wobble) / (0.5 * curvatureDrive + 1.0);
    scale = scale > 0.35 ? scale : 0.35;
    scale = scale < 2.2 ? scale : 2.2;
    double adaptiveRelease = 1.0 - releaseStep / scale;
    adaptiveRelease = adaptiveRelease < 0.9999 ? adaptiveRelease : 0.9999;
    adaptiveRelease = adaptiveRelease > 0.7 ? adaptiveRelease : 0.7;
#else
    const double pl = p.programLevel;
    const double d = std::fabs(0.1 * p.programAverage) + 0.04;
    const bool fullCrest = pl > 25.0 * d;  // c / 25 limited to 1
    const double amountNum = fullCrest ? 1.0 : pl;
    const double amountDen = fullCrest ? 1.0 : 25.0 * d;
    const double softeningDen = 2.0 * amountNum * amountNum + amountDen * amountDen;
    const double wobbleDen = std::fabs(pl) + d;                     // (|c| + 1) d
    const double wobbleTerm = wobbleDen - 0.016 * p.wobbleSine * d;  // (1 - 0.2 wobble) (|c| + 1) d
    const double levelTerm = 0.4 * (81.0 / 91.0) * (pl * pl) + 0.65;
    const double curvatureDrive = p.curvatureSmoothed > 0.0 ? p.curvatureSmoothed : 0.0;
    const double shared = 1.0 / (softeningDen * levelTerm * wobbleTerm);

    const double crestSoftening = amountDen * amountDen * (levelTerm * wobbleTerm) * shared;

    // The power 1.5 as x * sqrt(x): programLevel stays in [0, 1], and a square
    // root is exact to the last bit where a general power call is not cheap.
    const double kneeLevel = pl * std::sqrt(pl);

    // The release step is divided by the scale, so the scale is kept as its
    // reciprocal, with the scale's limits [0.35, 2.2] applied as [1/2.2, 1/0.35].
    double inverseScale = (0.5 * curvatureDrive + 1.0) * (wobbleDen * softeningDen) * shared;
    inverseScale = inverseScale > 1.0 / 2.2 ? inverseScale : 1.0 / 2.2;
    inverseScale = inverseScale < 1.0 / 0.35 ? inverseScale : 1.0 / 0.35;

    double adaptiveRelease = 1.0 - releaseStep * inverseScale;
    adaptiveRelease = adaptiveRelease < 0.9999 ? adaptiveRelease : 0.9999;
    adaptiveRelease = adaptiveRelease > 0.7 ? adaptiveRelease : 0.7;
#endif
    return {crestSoftening, kneeLevel, adaptiveRelease};
}


// Soft-knee gain computer and the "580 Glue" shaping of deep reduction.

// Gain for one sample from the envelope; exactly 1 at or below the threshold,
// where the overshoot is held at 0 (no branch: the engine runs this over whole
// runs of samples whose envelopes cross the threshold unpredictably).
template <bool kGlue>
inline double compressorGainWith(const BlockValues& b, double envelope, double crestSoftening,
                                 double kneeLevel) {
#ifdef WRITTEN_GAIN
    const double above = envelope - b.thresholdGain;
    const double overshoot = (above > 0.0 ? above : 0.0) / (b.thresholdGain + 0.000001);
    const double drive = overshoot * (0.35 * crestSoftening + 0.65) * b.ratioDrive;
    const double r = drive + (0.08 * kneeLevel + 0.18) * drive * drive;
    const double reduction = r / (1.0 + r);
    if (!kGlue || !GLUE_ON(b)) return 1.0 - reduction;
    double depth = reduction / 0.6;
    depth = depth < 1.0 ? depth : 1.0;
    double curve = (116.0 * depth * depth - 0.00375) * 100.0 / 20.0 / 580.0;
    curve = curve > 0.0 ? (curve < 4.0 ? curve : 4.0) : 0.0;
    return 1.0 - reduction / (b.glueStrength * curve * curve + 1.0);
#else
    // A linear overshoot ratio, not decibels. The factors that do not depend
    // on the envelope are multiplied first, and r = drive + knee drive^2 is
    // taken as drive (1 + knee drive): fewer steps wait on the envelope, which
    // arrives last when frames come one at a time.
    const double driveScale = (0.35 * crestSoftening + 0.65) * (b.overshootScale * b.ratioDrive);
    const double kneeScale = 0.08 * kneeLevel + 0.18;
    const double above = envelope - b.thresholdGain;
    const double drive = (above > 0.0 ? above : 0.0) * driveScale;
    // gain = 1 / (1 + r), so the reduction 1 - gain is r / (1 + r).
    const double r = drive * (1.0 + kneeScale * drive);
    const double den = 1.0 + r;
    if (!kGlue || !GLUE_ON(b)) return 1.0 / den;

    // Gives back part of the reduction, most where it is deepest:
    //   depth = min(reduction / 0.6, 1)
    //   curve = (116 depth^2 - 0.00375) 100/20/580, limited to [0, 4]
    //   gain  = 1 - reduction / (1.2 glue curve^2 + 1)
    // Each quotient is carried as numerator and denominator so that the whole
    // stage costs one division: the same values to rounding. Since depth is
    // at most 1, the curve stays below 1 and its upper limit never applies.
    // No reduction leaves the gain at exactly 1.
    const double depthDen = 0.6 * den;
    const double depthNum = r < depthDen ? r : depthDen;
    const double curveDen = depthDen * depthDen;
    double curveNum = (116.0 * 100.0 / 20.0 / 580.0) * (depthNum * depthNum) -
                      (0.00375 * 100.0 / 20.0 / 580.0) * curveDen;
    curveNum = curveNum > 0.0 ? curveNum : 0.0;
    const double curveDen2 = curveDen * curveDen;
    // den (glue curveNum^2 + curveDen2), expanded so both products run at once.
    const double total = (b.glueStrength * den) * (curveNum * curveNum) + den * curveDen2;
    return 1.0 - r * curveDen2 / total;
#endif
}

inline double compressorGain(const BlockValues& b, double envelope, double crestSoftening,
                             double kneeLevel) {
    return b.glueOn ? compressorGainWith<true>(b, envelope, crestSoftening, kneeLevel)
                    : compressorGainWith<false>(b, envelope, crestSoftening, kneeLevel);
}
namespace {

// Detector levels at or beyond this (and NaN or infinity) count as silence.
constexpr double kLevelLimit = 1000000.0;

// The envelope and the detector filter are flushed to zero below kStateFloor
// at the end of every block, the analysis levels at its window steps, and
// analysis levels below it are silence. Squares and products of values this
// small are still far from the subnormal range, so short blocks with ordinary
// input can run without touching the control word at all.

// True when a sample could bring a subnormal into play: a float that is
// subnormal or, after the gain, could become one on the way out.
inline bool tinyFloat(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return (bits & 0x7fffffffu) - 1u < 0x0c000000u;  // 0 < |x| < about 1e-31
}
bool anyTinyFloat(const float* l, const float* r, int32_t n) {
    bool tiny = false;
    for (int32_t i = 0; i < n; ++i) tiny |= tinyFloat(l[i]) | tinyFloat(r[i]);
    return tiny;
}

// -20 log10(gain) for 0.00001 < gain < 1, without the runtime's log10 (slow
// x87 code in the Windows build) and without a division: gain = 2^e m, m in
// [1, 2); the top seven bits of m pick c near m from a table of 1/c and of
// -20 log10 c, so that m/c = 1 + r with |r| < 1/256, and ln(1 + r) to r^3 is
// off by under 1e-10 (5e-10 dB, far below what the float meter resolves).
// At one frame per call it ends every block, last in a long chain of
// dependent steps, so the table part and the polynomial run side by side.
struct LogTable {
    double inverse[128];   // 1 / c, c the middle of the mantissa interval
    double decibels[128];  // -20 log10 c
};
LogTable makeLogTable() {
    LogTable t;
    for (int j = 0; j < 128; ++j) {
        const double c = 1.0 + (j + 0.5) / 128.0;
        t.inverse[j] = 1.0 / c;
        t.decibels[j] = -20.0 * std::log10(c);
    }
    return t;
}
// Built when the library loads, never on the audio thread.
const LogTable logTable = makeLogTable();

inline double reductionDb(double gain) {
    constexpr double kDbPerLn = -8.685889638065037;    // -20 / ln 10
    constexpr double kDbPerOctave = -6.020599913279624;  // -20 log10 2
    uint64_t bits;
    std::memcpy(&bits, &gain, sizeof bits);
    const int exponent = static_cast<int>(bits >> 52) - 1023;
    const int j = static_cast<int>(bits >> 45) & 127;
    bits = (bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull;
    double m;
    std::memcpy(&m, &bits, sizeof m);
    const double r = m * logTable.inverse[j] - 1.0;
    // kDbPerLn (r - r^2/2 + r^3/3), with the factor folded into the terms.
    const double series = kDbPerLn * r + (r * r) * (kDbPerLn * -0.5 + r * (kDbPerLn / 3));
    return (exponent * kDbPerOctave + logTable.decibels[j]) + series;
}

// Flush-to-zero and denormals-are-zero for the block, the host's control word
// restored on the way out: decaying envelopes and filter states never reach
// the slow subnormal range.
class DenormalGuard {
public:
    // Many hosts already run their audio thread so; writing the control word
    // costs more than a frame of work, so it is only written when it changes.
    DenormalGuard() : saved_(_mm_getcsr()), changed_((saved_ & kFlush) != kFlush) {
        if (changed_) _mm_setcsr(saved_ | kFlush);
    }
    ~DenormalGuard() {
        if (changed_) _mm_setcsr(saved_);
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    static constexpr unsigned int kFlush = _MM_FLUSH_ZERO_ON | _MM_DENORMALS_ZERO_ON;
    unsigned int saved_;
    bool changed_;
};

// Brings the wobble oscillator in line with the live phase and increment.
void syncWobble(WobbleOscillator& w, double phase, double increment) {
    if (!(w.phase == phase)) {
        w.phase = phase;
        w.sine = std::sin(phase + kWobblePhaseOffset);
        w.cosine = std::cos(phase + kWobblePhaseOffset);
    }
    if (!(w.increment == increment)) {
        w.increment = increment;
        w.stepSine = std::sin(increment);
        w.stepCosine = std::cos(increment);
    }
}

// The wobble's sine for a phase just advanced: (sin, cos) rotated through the
// increment instead of a sine call per sample; a phase wrap resynchronises the
// pair from the phase itself, so rounding never builds up over a long run.
inline double stepWobble(double& sine, double& cosine, const WobbleOscillator& w, double phase,
                         bool wrapped) {
    if (wrapped) {
        sine = std::sin(phase + kWobblePhaseOffset);
        cosine = std::cos(phase + kWobblePhaseOffset);
    } else {
        const double s = sine * w.stepCosine + cosine * w.stepSine;
        cosine = cosine * w.stepCosine - sine * w.stepSine;
        sine = s;
    }
    return sine;
}

// The detector's view of one input sample: non-finite and absurd values are
// silence, so they never reach the filter state, the envelope or the analysis.
inline double detectorInput(double x) { return std::fabs(x) < kLevelLimit ? x : 0.0; }

// The linked detector's peak for one frame: each channel high-passed by Bass
// Armor when it is on (`armorL`, `armorR` its filter state, `keep` 1 - step),
// then the larger magnitude.
template <bool kBassArmor>
inline double detectorPeak(double xL, double xR, double& armorL, double& armorR, double step,
                           double keep) {
    double dL = detectorInput(xL);
    double dR = detectorInput(xR);
    if (kBassArmor && ARMOR_ON(step)) {
        // The high-passed sample, x - lowpass, is (x - previous) (1 - step):
        // the same value to rounding, without waiting for the state update.
        const double differenceL = dL - armorL;
        const double differenceR = dR - armorR;
        armorL += differenceL * step;
        armorR += differenceR * step;
        dL = differenceL * keep;
        dR = differenceR * keep;
    }
    const double absL = std::fabs(dL);
    const double absR = std::fabs(dR);
    return absR > absL ? absR : absL;
}

// The level the program analysis sees: absurd and vanishing peaks are silence.
inline double analysisLevel(double peak) { return peak < kLevelLimit && peak >= kStateFloor ? peak : 0.0; }

// Smallest of n > 0 values, two lanes at a time.
double smallestOf(const double* v, int32_t n) {
    __m128d lanes = _mm_set1_pd(v[0]);
    int32_t i = 0;
    for (; i + 2 <= n; i += 2) lanes = _mm_min_pd(lanes, _mm_loadu_pd(v + i));
    if (i < n) lanes = _mm_min_sd(lanes, _mm_load_sd(v + i));
    const double a = _mm_cvtsd_f64(lanes);
    const double b = _mm_cvtsd_f64(_mm_unpackhi_pd(lanes, lanes));
    return a < b ? a : b;
}

inline float ceiling(double y) {
    // NaN falls to +0.98.
    return static_cast<float>(y < 0.98 ? (y > -0.98 ? y : -0.98) : 0.98);
}

// Frames per pass of the sample loop. Each chunk runs in passes: the
// recursive detector and analysis state, the control values, the recursive
// envelope, the gain, then the output. The passes without recursion handle
// each sample on its own, so their long chains of divisions overlap across
// samples (and pair up in vector registers) instead of stalling the recursions.
constexpr int32_t kChunk = 64;
// Blocks shorter than this skip the passes and run sample by sample: from four
// frames on, the passes' overlap pays for their set-up and the guard.
constexpr int32_t kSmallBlock = 4;

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

template <bool kBassArmor, bool kGlue, bool kShort>
__attribute__((always_inline)) inline float runSamples(EngineState& state, const BlockValues& b,
                                                       const RateCoefficientValues& c, const float* inL,
                                                       const float* inR, float* outL, float* outR,
                                                       int32_t n) {
    // State in locals for the loop, written back once; a short block works on
    // the analysis state in place, which spares the copies.
    AnalysisState local;
    if (!kShort) local = state.analysis;
    AnalysisState& a = kShort ? state.analysis : local;
    int32_t windowCounter = state.windowCounter;
    double envelope = state.detectorEnvelope;
    double armorL = state.bassArmorState[0];
    double armorR = state.bassArmorState[1];
    WobbleOscillator localWobble;
    if (!kShort) localWobble = state.wobble;
    WobbleOscillator& w = kShort ? state.wobble : localWobble;
    syncWobble(w, a.wobblePhase, c.wobbleIncrement);
    double wobbleSine = w.sine, wobbleCosine = w.cosine;
    auto nextWobbleSine = [&](bool wrapped) {
        return stepWobble(wobbleSine, wobbleCosine, w, a.wobblePhase, wrapped);
    };

    const double releaseStep = 1.0 - b.releaseCoeff;
    const double bassArmorKeep = 1.0 - b.bassArmorStep;
    // The block's largest reduction comes from its smallest gain, since the
    // dB value falls as the gain rises: one decibel conversion per block.
    // Gains at or below 0.00001 report a flat 24 dB and are tracked apart.
    double smallestGain = 1.0;
    bool tinyGainSeen = false;
    ChunkValues k;

    // The per-sample steps: on values (the short loop keeps them in
    // registers), and on one index of the chunk arrays (the passes).
    auto detect = [&](const float* l, const float* r, int32_t i, double& peakOut) {
        const double peak =
            detectorPeak<kBassArmor>(l[i], r[i], armorL, armorR, b.bassArmorStep, bassArmorKeep);
        peakOut = peak;
        return advanceProgramLevel(a, windowCounter, c, analysisLevel(peak), nextWobbleSine);
    };
    auto analyse = [&](const float* l, const float* r, int32_t i) {
        const ProgramSnapshot p = detect(l, r, i, k.peak[i]);
        k.programLevel[i] = p.programLevel;
        k.programAverage[i] = p.programAverage;
        k.curvatureSmoothed[i] = p.curvatureSmoothed;
        k.wobbleSine[i] = p.wobbleSine;
    };
    auto control = [&](int32_t i) {
        const ProgramLevel p = programControls(
            {k.programLevel[i], k.programAverage[i], k.curvatureSmoothed[i], k.wobbleSine[i]}, releaseStep);
        k.release[i] = p.adaptiveRelease;
        k.softening[i] = p.crestSoftening;
        k.knee[i] = p.kneeLevel;
    };
    auto followPeak = [&](double peak, double release) {
        const double coeff = peak > envelope ? b.attackCoeff : release;
        envelope = (1.0 - coeff) * peak + coeff * envelope;
        return envelope;
    };
    auto follow = [&](int32_t i) { k.envelope[i] = followPeak(k.peak[i], k.release[i]); };
    auto computeGain = [&](int32_t i) {
        k.gain[i] = compressorGainWith<kGlue>(b, k.envelope[i], k.softening[i], k.knee[i]);
    };
    auto count = [&](double gain) {
        if (gain > 0.00001) smallestGain = gain < smallestGain ? gain : smallestGain;
        else tinyGainSeen = true;
    };
    auto countGain = [&](int32_t i) { count(k.gain[i]); };
    // Reads the input sample again before writing the output: in-place is fine.
    auto write = [&](const float* l, const float* r, float* oL, float* oR, int32_t i, double gain) {
        const double wet = gain * b.wetGain;
        const double xL = l[i];
        const double xR = r[i];
        oL[i] = ceiling(xL * b.dryGain + xL * wet);
        oR[i] = ceiling(xR * b.dryGain + xR * wet);
    };
    auto output = [&](const float* l, const float* r, float* oL, float* oR, int32_t i) {
        write(l, r, oL, oR, i, k.gain[i]);
    };

    if (kShort) {
        // A few frames: one sample at a time, without the passes' set-up.
        for (int32_t i = 0; i < n; ++i) {
            double peak;
            const ProgramLevel p = programControls(detect(inL, inR, i, peak), releaseStep);
            const double env = followPeak(peak, p.adaptiveRelease);
            // At or below the threshold the gain computer gives exactly 1.
            const double gain = env > b.thresholdGain
                                    ? compressorGainWith<kGlue>(b, env, p.crestSoftening, p.kneeLevel)
                                    : 1.0;
            count(gain);
            write(inL, inR, outL, outR, i, gain);
        }
    }
    for (int32_t at = 0; !kShort && at < n; at += kChunk) {
        const int32_t m = n - at < kChunk ? n - at : kChunk;
        const float* l = inL + at;
        const float* r = inR + at;
        for (int32_t i = 0; i < m; ++i) analyse(l, r, i);
        for (int32_t i = 0; i < m; ++i) control(i);
        double loudest = 0.0;
        for (int32_t i = 0; i < m; ++i) {
            follow(i);
            loudest = envelope > loudest ? envelope : loudest;
        }
        // A chunk whose envelope never passes the threshold has a gain of
        // exactly 1 throughout, which the gain computer would only confirm.
        if (gSpeedPaths.thresholdSkip && !(loudest > b.thresholdGain)) {
            for (int32_t i = 0; i < m; ++i) k.gain[i] = 1.0;
        } else {
            for (int32_t i = 0; i < m; ++i) computeGain(i);
        }
        // Gains are positive and finite: a plain minimum finds the smallest,
        // and only a chunk that reached the 24 dB floor needs a closer look.
        const double chunkSmallest = gSpeedPaths.simdSmallest ? smallestOf(k.gain, m) : 0.0;
        if (chunkSmallest > 0.00001) {
            smallestGain = chunkSmallest < smallestGain ? chunkSmallest : smallestGain;
        } else {
            for (int32_t i = 0; i < m; ++i) countGain(i);
        }
        for (int32_t i = 0; i < m; ++i) output(l, r, outL + at, outR + at, i);
    }

    if (!kShort) state.analysis = local;
    state.windowCounter = windowCounter;
    state.detectorEnvelope = flushBelowFloor(envelope);
    if (kBassArmor && ARMOR_ON(b.bassArmorStep)) {
        state.bassArmorState[0] = flushBelowFloor(armorL);
        state.bassArmorState[1] = flushBelowFloor(armorR);
    }
    w.phase = a.wobblePhase;
    w.sine = wobbleSine;
    w.cosine = wobbleCosine;
    if (!kShort) state.wobble = localWobble;

    float maxReduction = 0.0f;
    if (smallestGain < 1.0) maxReduction = static_cast<float>(METER_DB(smallestGain));
    if (tinyGainSeen && 24.0f > maxReduction) maxReduction = 24.0f;
    return maxReduction;
}

// The sample loop, built three times: for every x86-64 processor, and for
// those with AVX2 or AVX-512, where the passes without recursion run four or
// eight samples per instruction and the recursions find more registers. All
// builds compute the same values (no fused multiply-add), bit for bit.
using SampleLoop = float (*)(EngineState&, const BlockValues&, const RateCoefficientValues&,
                             const float*, const float*, float*, float*, int32_t);

#define DEFINE_SAMPLE_LOOP(name, attributes)                                                       \
    template <bool kBassArmor, bool kGlue>                                                         \
    attributes float name(EngineState& state, const BlockValues& b, const RateCoefficientValues& c, \
                          const float* inL, const float* inR, float* outL, float* outR, int32_t n) { \
        return runSamples<kBassArmor, kGlue, false>(state, b, c, inL, inR, outL, outR, n);         \
    }
DEFINE_SAMPLE_LOOP(runSamplesBaseline, )
DEFINE_SAMPLE_LOOP(runSamplesAvx2, __attribute__((target("avx2"))))
DEFINE_SAMPLE_LOOP(runSamplesAvx512,
                   __attribute__((target("avx512f,avx512vl,avx2"))))
#undef DEFINE_SAMPLE_LOOP

#define SAMPLE_LOOPS(name) {{name<false, false>, name<false, true>}, {name<true, false>, name<true, true>}}
// Indexed by [instruction set][bass armor][glue].
constexpr SampleLoop kSampleLoops[3][2][2] = {
    SAMPLE_LOOPS(runSamplesBaseline), SAMPLE_LOOPS(runSamplesAvx2), SAMPLE_LOOPS(runSamplesAvx512)};
#undef SAMPLE_LOOPS

// The short-block loop: scalar work in any case, so one baseline build, called
// directly rather than through the table.
template <bool kBassArmor, bool kGlue>
float runShortBlock(EngineState& state, const BlockValues& b, const RateCoefficientValues& c,
                    const float* inL, const float* inR, float* outL, float* outR, int32_t n) {
    return runSamples<kBassArmor, kGlue, true>(state, b, c, inL, inR, outL, outR, n);
}

// One frame, the shortest block and the one hosts send when they split blocks
// at every automation point: the sample loop's steps and arithmetic, in the
// same order and so with the same results, as straight-line code that reads
// the coefficients and the state once and writes the state once. A lone frame
// is one long chain of dependent steps (two divisions, then the meter's
// decibels); the loop's set-up and its state kept in memory only lengthened it.
template <bool kBassArmor, bool kGlue>
float runOneFrame(EngineState& state, const BlockValues& b, const float* inL, const float* inR,
                  float* outL, float* outR) {
    const RateCoefficientValues c = loadRateCoefficients(state.coefficients);
    AnalysisState& a = state.analysis;
    WobbleOscillator& w = state.wobble;
    syncWobble(w, a.wobblePhase, c.wobbleIncrement);

    const double xL = inL[0];
    const double xR = inR[0];
    double armorL = state.bassArmorState[0];
    double armorR = state.bassArmorState[1];
    const double peak =
        detectorPeak<kBassArmor>(xL, xR, armorL, armorR, b.bassArmorStep, 1.0 - b.bassArmorStep);
    if (kBassArmor && ARMOR_ON(b.bassArmorStep)) {
        state.bassArmorState[0] = flushBelowFloor(armorL);
        state.bassArmorState[1] = flushBelowFloor(armorR);
    }

    int32_t windowCounter = state.windowCounter;
    const ProgramSnapshot snapshot =
        advanceProgramLevel(a, windowCounter, c, analysisLevel(peak), [&](bool wrapped) {
            return stepWobble(w.sine, w.cosine, w, a.wobblePhase, wrapped);
        });
    state.windowCounter = windowCounter;
    w.phase = a.wobblePhase;
    const ProgramLevel p = programControls(snapshot, 1.0 - b.releaseCoeff);

    const double previous = state.detectorEnvelope;
    const double coeff = peak > previous ? b.attackCoeff : p.adaptiveRelease;
    const double envelope = (1.0 - coeff) * peak + coeff * previous;
    state.detectorEnvelope = flushBelowFloor(envelope);
    const double gain = envelope > b.thresholdGain
                            ? compressorGainWith<kGlue>(b, envelope, p.crestSoftening, p.kneeLevel)
                            : 1.0;
    const double wet = gain * b.wetGain;
    outL[0] = ceiling(xL * b.dryGain + xL * wet);
    outR[0] = ceiling(xR * b.dryGain + xR * wet);
    // Gains at or below 0.00001 report a flat 24 dB.
    if (!(gain > 0.00001)) return 24.0f;
    return gain < 1.0 ? static_cast<float>(METER_DB(gain)) : 0.0f;
}

using OneFrame = float (*)(EngineState&, const BlockValues&, const float*, const float*, float*,
                           float*);
// Indexed by [bass armor][glue].
constexpr OneFrame kOneFrame[2][2] = {{runOneFrame<false, false>, runOneFrame<false, true>},
                                      {runOneFrame<true, false>, runOneFrame<true, true>}};

__attribute__((always_inline)) inline float runShort(EngineState& state, const BlockValues& b,
                                                     const RateCoefficientValues& c, const float* inL,
                                                     const float* inR, float* outL, float* outR,
                                                     int32_t n) {
    if (SPLIT_ARMOR(b)) {
        return SPLIT_GLUE(b) ? runShortBlock<true, true>(state, b, c, inL, inR, outL, outR, n)
                        : runShortBlock<true, false>(state, b, c, inL, inR, outL, outR, n);
    }
    return SPLIT_GLUE(b) ? runShortBlock<false, true>(state, b, c, inL, inR, outL, outR, n)
                    : runShortBlock<false, false>(state, b, c, inL, inR, outL, outR, n);
}

int widestInstructionSet() {
    __builtin_cpu_init();
    // 512-bit vectors measured 10-20% faster than AVX2 at blocks of 512 and
    // 4096 (256-bit AVX-512 gained nothing), so they are used, but only where
    // VBMI2 is present too: it marks the processors (from Ice Lake and Zen 4
    // on) that run them at little or no clock cost, and leaves out the first
    // AVX-512 generations, which down-clock the whole core for them.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512vbmi2"))
        return 2;
    return __builtin_cpu_supports("avx2") ? 1 : 0;
}

// Decided once when the library loads, never on the audio thread.
const int widestSet = widestInstructionSet();
int instructionSet = widestSet;

// The meter follows each block's largest reduction in dB.
inline void publishMeter(EngineState& state, float maxReduction) {
    const float meter = state.gainReductionMeter.load(std::memory_order_relaxed);
    // Flushed well above the subnormal range, as the state is.
    const float next = 0.82f * meter + 0.18f * maxReduction;
    state.gainReductionMeter.store(next < 1e-20f ? 0.0f : next, std::memory_order_relaxed);
}

// Every block but a one-frame one, out of line so that processBlock stays a
// short way into the one-frame path.
__attribute__((noinline)) void processFrames(EngineState& state, const BlockValues& b,
                                             const float* inL, const float* inR, float* outL,
                                             float* outR, int32_t sampleFrames) {
    float maxReduction = 0.0f;
    if (sampleFrames > 0) {
        // The rate coefficients are taken once per block: a sample-rate request
        // reaches the engine at the next block, and a copy that straddles one
        // still mixes two valid, finite sets.
        const RateCoefficientValues c = loadRateCoefficients(state.coefficients);
        const bool plainLoop = (gSpeedPaths.shortBlock && sampleFrames < kSmallBlock) || !gSpeedPaths.chunked;
        if (gSpeedPaths.guardSkip && plainLoop && sampleFrames < kSmallBlock && !anyTinyFloat(inL, inR, sampleFrames)) {
            // Setting and restoring the control word costs more than a whole
            // frame here, and nothing can go subnormal: the state is kept
            // above kStateFloor or at zero, and the input is not tiny. The
            // host's control bits stay as they are; only the sticky status
            // flags record this arithmetic, as they do the host's own.
            maxReduction = runShort(state, b, c, inL, inR, outL, outR, sampleFrames);
        } else {
            DenormalGuard denormalGuard;
            if (plainLoop) {
                maxReduction = runShort(state, b, c, inL, inR, outL, outR, sampleFrames);
            } else {
                const SampleLoop run = kSampleLoops[gSpeedPaths.isa < widestSet ? gSpeedPaths.isa : widestSet][SPLIT_ARMOR(b)][SPLIT_GLUE(b)];
                maxReduction = run(state, b, c, inL, inR, outL, outR, sampleFrames);
            }
        }
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

    BlockValues fresh;
    if (!gSpeedPaths.blockCache) fresh = blockValuesFor(controls.params, controls.hostSampleRate);
    const BlockValues& b = gSpeedPaths.blockCache
                               ? cachedBlockValues(state.blockCache, controls.params, controls.hostSampleRate)
                               : fresh;
    if (gSpeedPaths.oneFrame && sampleFrames == 1 && !tinyFloat(inL[0]) && !tinyFloat(inR[0])) {
        // As for the short blocks: nothing here can go subnormal, so the
        // control word is left alone.
        publishMeter(state, kOneFrame[SPLIT_ARMOR(b)][SPLIT_GLUE(b)](state, b, inL, inR, outL, outR));
        return;
    }
    processFrames(state, b, inL, inR, outL, outR, sampleFrames);
}

// Tests only, before any processing.
void selectEngineInstructionSet(int widest) {
    instructionSet = widest < widestSet ? (widest > 0 ? widest : 0) : widestSet;
}
}  // namespace PATHS_NS
