#pragma once
// The engine's own exp, 10^x, sine and cosine and log10: plain IEEE-754
// double arithmetic (add, subtract, multiply, divide, comparisons and integer
// work on the bits), no maths library, no x87 instruction, built with
// contraction off. Their results therefore depend on nothing but the inputs:
// not on the C runtime, the processor, or the x87 precision a host sets on its
// thread, so the engine's output bits are the same on every build.
// Against the platform's own, per call (bench/maths_bench): see README.
//
// Error bounds are measured by tests/maths/accuracy.py against mpmath over the
// domains named, at least 100,000 points each, dense near the edges.

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
// constants at 8 kHz and up). Largest error measured: 0.502 ulp over
// [-745, 709.8]; exp(0) = 1 exactly. Beyond 709.78 +inf, below -745.13 +0,
// NaN stays NaN; subnormal results are rounded once.
double portableExp(double x);

// 10^x. The same method, with x ln10 carried as two doubles. Engine domain:
// [-1.8, 1] (decibel gains -36 dB .. +20 dB divided by 20). Largest error
// measured: 0.502 ulp over [-323, 308]; 10^0 = 1 and 10^1 = 10 exactly.
// Beyond 308.26 +inf, below -323.31 +0, NaN stays NaN.
double portablePowerOfTen(double x);

// sin x and cos x together. Method: x - n pi/2 with pi/2 in three parts (two
// 33-bit heads, exact for |n| < 2^20), the remainder kept as two doubles, then
// Taylor series to r^17 (sine) and r^18 (cosine) on |r| <= pi/4, cosine with
// 1 - r^2/2 rounded once. Engine domain: [0, 7.11] (the wobble's phase plus
// pi^2/12, and its step). Largest error measured: 0.56 ulp (sine) and 0.54 ulp
// (cosine) over [-1e5, 1e5]; sin(+-0) = +-0, cos(0) = 1 exactly. From
// |x| = 1647099 (2^20 pi/2) on, where this reduction would lose accuracy,
// and for infinities and NaN: NaN.
void portableSineCosine(double x, double& sine, double& cosine);
double portableSine(double x);

// log10 x. Method: x = 2^e (c + f) with c = 1 + j/128, ln x = e ln2 + ln c +
// ln(1 + f/c) in two doubles (the quotient with its remainder, the series to
// u^9), times 1/ln10 as two doubles, rounded once; near 1 ln(1 + (x - 1))
// directly. Engine domain: [1, 2] (the meter's table). Largest error
// measured: 0.51 ulp over all positive doubles; log10(1) = 0 and log10(10) = 1
// exactly. log10(+0) = -inf, +inf gives +inf, negatives and NaN give NaN.
double portableLog10(double x);
