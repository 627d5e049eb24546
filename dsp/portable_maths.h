#pragma once
// The engine's own exp, 10^x, sine and cosine and log10: plain IEEE-754
// double arithmetic (add, subtract, multiply, divide, comparisons and integer
// work on the bits), no maths library, no x87 instruction, built with
// contraction off. Their results therefore depend on nothing but the inputs:
// not on the C runtime, the processor, or the x87 precision a host sets on its
// thread, so the engine's output bits are the same on every build.
// Error bounds are measured by tests/maths/accuracy.py against mpmath over the
// domains named, at least 100,000 points each, dense near the edges; costs
// per call against the platform's own by bench/maths_bench.cpp in one run,
// natively (glibc) and under Wine (the runtime the DLL links).

namespace portable_maths_detail {
extern const double kExpTable[128][2];
extern const double kLogTable[128][2];
extern const double kLn2By128[2];
extern const double kLn2[2];
extern const double kLn10[2];
extern const double kInverseLn10[2];
extern const double kHalfPi[3];
}  // namespace portable_maths_detail

// e^x. Method: x = (128 e + j) ln2/128 + r with |r| <= ln2/256 (ln2/128 in two
// parts, so the reduction is exact), e^r - 1 by its Taylor series to r^5, and
// 2^(j/128) from a table held as two doubles. Engine domain: [-1.25, 0] (time
// constants at 8 kHz and up). Largest error measured: 0.507 ulp over
// [-745, 709.8]; exp(0) = 1 exactly. Beyond 709.78 +inf, below -745.13 +0,
// NaN stays NaN; subnormal results are rounded once. 3.2 ns a call natively
// (glibc's 1.15x that), 3.6 ns under Wine (the runtime's x87 code 3.8x).
double portableExp(double x);

// 10^x. The same method, with x ln10 carried as two doubles. Engine domain:
// [-1.8, 1] (decibel gains -36 dB .. +20 dB divided by 20). Largest error
// measured: 0.506 ulp over [-323, 308]; 10^0 = 1 and 10^1 = 10 exactly.
// Beyond 308.26 +inf, below -323.31 +0, NaN stays NaN. 6.8 ns a call
// natively (glibc's pow 1.3x that), 7.1 ns under Wine (the runtime's 14.5x).
double portablePowerOfTen(double x);

// sin x and cos x together. Method: x - n pi/2 with pi/2 in three parts (two
// 33-bit heads, exact for |n| < 2^20), the remainder kept as two doubles, then
// Taylor series to r^17 (sine) and r^18 (cosine) on |r| <= pi/4, cosine with
// 1 - r^2/2 rounded once. Engine domain: [0, 7.11] (the wobble's phase plus
// pi^2/12, and its step). Largest error measured: 0.69 ulp (sine) and 0.77 ulp
// (cosine) over [-1e5, 1e5]; sin(+-0) = +-0, cos(0) = 1 exactly. From
// |x| = 1647099 (2^20 pi/2) on, where this reduction would lose accuracy,
// and for infinities and NaN: NaN. The pair costs 12.6 ns natively (glibc's
// two calls 0.84x that; the engine needs it only at phase wraps and rate
// changes), 13.6 ns under Wine (the runtime's 1.8x).
// Returned by value: no address of the caller's state escapes into the call,
// so the engine's recursive pass keeps its oscillator in registers (against
// writing through references, about 1.13x at blocks of 512 in two runs).
struct SineCosine {
    double sine, cosine;
};
SineCosine portableSineCosine(double x);
double portableSine(double x);

// log10 x. Method: x = 2^e (c + f) with c = 1 + j/128, ln x = e ln2 + ln c +
// ln(1 + f/c) in two doubles (the quotient with its remainder, the series to
// u^9), times 1/ln10 as two doubles, rounded once; near 1 ln(1 + (x - 1))
// directly. Engine domain: [1, 2] (the meter's table). Largest error
// measured: 0.54 ulp over all positive doubles; log10(1) = 0 and log10(10) = 1
// exactly. log10(+0) = -inf, +inf gives +inf, negatives and NaN give NaN.
// 14.7 ns a call, slower than the platform's (glibc 0.33x, the runtime
// 0.53x): it runs 128 times, when the library loads.
double portableLog10(double x);
