#include "portable_maths.h"

#include <cstdint>
#include <cstring>
#include <limits>

using namespace portable_maths_detail;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Adding and subtracting it rounds a double below 2^51 to an integer (nearest, ties even).
constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 * 2^52

uint64_t bitsOf(double x) {
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}
double fromBits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}
// 2^e for -1022 <= e <= 1023.
double powerOfTwo(int e) { return fromBits(static_cast<uint64_t>(e + 1023) << 52); }

// a times b as head and exact tail (Dekker's product: no fused multiply-add).
struct Pair {
    double hi, lo;
};
Pair split(double a) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double hi = c - (c - a);
    return {hi, a - hi};
}
Pair exactProduct(double a, double b) {
    const double p = a * b;
    const Pair x = split(a), y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}
Pair exactSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// e^(hi + lo) for |hi| <= 745.2, |lo| tiny against ln2/256.
double expOfPair(double hi, double lo) {
    constexpr double kScale = 184.6649652337873;  // 128 / ln 2
    const double kd = (hi * kScale + kRoundingShift) - kRoundingShift;
    const int k = static_cast<int>(kd);
    const double r = ((hi - kd * kLn2By128[0]) - kd * kLn2By128[1]) + lo;
    const int j = k & 127;
    const int e = (k - j) / 128;
    // e^r - 1, Taylor to r^5: the next term is below 2^-61 of the result.
    const double p = r + (r * r) * (0.5 + r * (1.0 / 6 + r * (1.0 / 24 + r * (1.0 / 120))));
    const double* t = kExpTable[j];
    const double small = t[1] + t[0] * p;
    if (e > -1022 || (e == -1022 && t[0] + small >= 1.0)) {
        if (e > 1023) return (t[0] + small) * 2.0 * powerOfTwo(e - 1);  // e = 1024: the top binade
        return (t[0] + small) * powerOfTwo(e);
    }
    // A subnormal result: rounded once, where 1 + y puts the subnormal grid
    // (2^-1074 after the scaling) on the doubles in [1, 2).
    const double scale = powerOfTwo(e + 1022);
    const double a = t[0] * scale;
    const double top = 1.0 + a;
    const double rest = ((1.0 - top) + a) + small * scale;
    return ((top + rest) - 1.0) * 0x1p-1022;
}

}  // namespace

double portableExp(double x) {
    if (!(x < 709.782712893384)) return x > 0.0 ? kInfinity : x;  // NaN stays NaN
    if (x < -745.1332191019412) return 0.0;
    return expOfPair(x, 0.0);
}

double portablePowerOfTen(double x) {
    if (!(x < 308.2547155599167)) return x > 0.0 ? kInfinity : x;
    if (x < -323.3062153431158) return 0.0;
    // x ln10 as two doubles: the head's product exactly, the tail's rounded.
    const Pair p = exactProduct(x, kLn10[0]);
    const Pair y = exactSum(p.hi, p.lo + x * kLn10[1]);
    return expOfPair(y.hi, y.lo);
}

namespace {

// sin and cos of r + rl, |r| <= pi/4 (a hair over), |rl| tiny.
double sineKernel(double r, double rl) {
    const double z = r * r;
    const double poly =
        -1.0 / 6 +
        z * (1.0 / 120 +
             z * (-1.0 / 5040 +
                  z * (1.0 / 362880 +
                       z * (-1.0 / 39916800 +
                            z * (1.0 / 6227020800 + z * (-1.0 / 1307674368000 + z * (1.0 / 355687428096000)))))));
    // sin(r + rl) = sin r + rl cos r, cos r taken as 1 - r^2/2 for the tail.
    return r + ((z * r) * poly + (rl - 0.5 * z * rl));
}
double cosineKernel(double r, double rl) {
    // r^2 exactly: its rounding would reach the result through 1 - r^2/2.
    const Pair zz = exactProduct(r, r);
    const double z = zz.hi;
    const double half = 0.5 * z;
    const double w = 1.0 - half;
    const double poly =
        1.0 / 24 +
        z * (-1.0 / 720 +
             z * (1.0 / 40320 +
                  z * (-1.0 / 3628800 +
                       z * (1.0 / 479001600 + z * (-1.0 / 87178291200 + z * (1.0 / 20922789888000 +
                                                                             z * (-1.0 / 6402373705728000)))))));
    // (1 - w) - half is exactly what rounding w lost; cos(r + rl) = cos r - rl sin r.
    return w + ((((1.0 - w) - half) - 0.5 * zz.lo) + ((z * z) * poly - r * rl));
}

}  // namespace

SineCosine portableSineCosine(double x) {
    const double magnitude = x < 0.0 ? -x : x;
    if (!(magnitude < 1647099.0)) return {kNaN, kNaN};  // 2^20 pi/2 and beyond, infinities and NaN
    if (magnitude < 0x1p-27) return {x, 1.0};  // x^3/6 is below half an ulp of x, x^2/2 of 1
    // n = x / (pi/2) to the nearest integer, below 2^20 in size.
    constexpr double kTwoByPi = 0.6366197723675814;
    const double nd = (x * kTwoByPi + kRoundingShift) - kRoundingShift;
    const int n = static_cast<int>(nd);
    // x - n pi/2: the first two products are exact, the first difference too.
    const double a = x - nd * kHalfPi[0];
    const Pair t = exactSum(a, -(nd * kHalfPi[1]));
    const Pair r = exactSum(t.hi, t.lo - nd * kHalfPi[2]);
    const double s = sineKernel(r.hi, r.lo);
    const double c = cosineKernel(r.hi, r.lo);
    switch (n & 3) {
    case 0: return {s, c};
    case 1: return {c, -s};
    case 2: return {-s, -c};
    default: return {-c, s};
    }
}

double portableSine(double x) { return portableSineCosine(x).sine; }

double portableLog10(double x) {
    if (!(x > 0.0)) return x == 0.0 ? -kInfinity : kNaN;
    if (x == kInfinity) return x;
    // ln x = head + tail in two doubles.
    double head, tail;
    if (x > 0.984375 && x < 1.015625) {
        // Near 1: x - 1 is exact, and ln(1 + f) needs no table (series to f^9).
        const double f = x - 1.0;
        head = f;
        tail = (f * f) * (-0.5 + f * (1.0 / 3 + f * (-0.25 + f * (0.2 + f * (-1.0 / 6 + f * (1.0 / 7 + f * (-0.125 + f * (1.0 / 9))))))));
    } else {
        uint64_t bits = bitsOf(x);
        int e = static_cast<int>(bits >> 52) - 1023;
        if (e == -1023) {  // subnormal: bring it into the normal range first
            bits = bitsOf(x * 0x1p54);
            e = static_cast<int>(bits >> 52) - 1023 - 54;
        }
        const int j = static_cast<int>(bits >> 45) & 127;
        const double m = fromBits((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
        const double c = 1.0 + j * (1.0 / 128);
        const double f = m - c;  // exact, in [0, 1/128)
        // u = f / c with its remainder: ln(1 + u) to u^9 from its head, the tail added once.
        const double u = f / c;
        const Pair uc = exactProduct(u, c);
        const double ul = ((f - uc.hi) - uc.lo) / c;
        const double series =
            (u * u) * (-0.5 + u * (1.0 / 3 + u * (-0.25 + u * (0.2 + u * (-1.0 / 6 + u * (1.0 / 7 + u * (-0.125 + u * (1.0 / 9))))))));
        const double ed = e;
        const Pair s1 = exactSum(ed * kLn2[0], kLogTable[j][0]);
        const Pair s2 = exactSum(s1.hi, u);
        head = s2.hi;
        tail = s2.lo + (s1.lo + ((ed * kLn2[1] + kLogTable[j][1]) + (ul + series)));
    }
    const Pair h = exactSum(head, tail);
    const Pair p = exactProduct(h.hi, kInverseLn10[0]);
    return p.hi + (p.lo + (h.hi * kInverseLn10[1] + h.lo * kInverseLn10[0]));
}
