#!/usr/bin/python3
"""Holds the engine's own exp, 10^x, sin, cos and log10 against mpmath.

Usage: accuracy.py [EMULATOR...] POINTS_PROGRAM. Each function is evaluated on
at least 100,000 points: most over the domain the engine gives it, many near
its edges, some over the whole range it serves; exact answers and the
answers at zero, subnormal, huge and non-finite arguments are checked one by
one. Prints the largest error in ulps per function; fails above 1 ulp."""
import math
import random
import struct
import subprocess
import sys

import mpmath

mpmath.mp.prec = 160
PROGRAM = sys.argv[1:]
INF = float("inf")
NAN = float("nan")


def run(name, xs):
    data = struct.pack("<%dd" % len(xs), *xs)
    out = subprocess.run(PROGRAM + [name],
                         input=data, capture_output=True, check=True).stdout
    vals = struct.unpack("<%dd" % (2 * len(xs)), out)
    return vals[0::2], vals[1::2]


def ulp(ref):
    """The spacing of doubles in the binade of the exact result."""
    if ref == 0:
        return 2.0 ** -1074
    e = mpmath.frexp(ref)[1]  # |ref| in [2^(e-1), 2^e)
    return 2.0 ** max(e - 53, -1074)


def error_ulps(got, ref):
    if abs(ref) > mpmath.mpf(1.7976931348623157e308):  # beyond the largest double: infinity
        return 0.0 if got == INF * mpmath.sign(ref) else INF
    if math.isnan(got) or math.isinf(got):
        return INF
    return float(abs(mpmath.mpf(got) - ref) / mpmath.mpf(ulp(ref)))


def float_ulps(got, ref):
    """Error in ulps of the float the meter carries."""
    e = mpmath.frexp(ref)[1]
    return float(abs(mpmath.mpf(got) - ref) / mpmath.mpf(2) ** max(e - 24, -149))


def spread(lo, hi, n, rng):
    return [rng.uniform(lo, hi) for _ in range(n)]


def log_spread(lo, hi, n, rng, sign=1.0):
    return [sign * math.exp(rng.uniform(math.log(lo), math.log(hi))) for _ in range(n)]


def near(centres, n, rng, width=1e-9):
    out = []
    for _ in range(n):
        c = rng.choice(centres)
        out.append(c + rng.uniform(-width, width) * max(1.0, abs(c)))
    return out


def check(name, refs, xs, evaluate, column=0):
    got = run(evaluate, xs)[column]
    worst, at = 0.0, None
    for x, y in zip(xs, got):
        e = error_ulps(y, refs(mpmath.mpf(x)))
        if e > worst:
            worst, at = e, x
    print("%-6s %7d points, largest error %.3f ulp (at %r)" % (name, len(xs), worst, at))
    return worst


def exact_cases(evaluate, cases, column=0):
    xs = [x for x, _ in cases]
    got = run(evaluate, xs)[column]
    bad = []
    for (x, want), y in zip(cases, got):
        same = (math.isnan(want) and math.isnan(y)) or (y == want and math.copysign(1, y) == math.copysign(1, want))
        if not same:
            bad.append((x, want, y))
    for x, want, y in bad:
        print("  %s(%r): want %r, got %r" % (evaluate, x, want, y))
    return not bad


def main():
    rng = random.Random(20261207)
    failures = []
    # Attack 0.1 .. 30 ms and the rate coefficients' 1 ms .. 1.5 s at 8 kHz
    # and up: -1.25 .. 0, time constants at absurd rates approach 0 from below.
    exp_points = (spread(-1.25, 0.0, 60000, rng) + log_spread(1e-300, 1e-3, 20000, rng, -1.0)
                  + spread(-745.13, 709.78, 15000, rng) + near([709.78, -708.39, -745.13], 5000, rng, 1e-5))
    # Threshold and Makeup: (36 v - 36) / 20 and 20 v / 20 from float v.
    decibel = [(36.0 * float(struct.unpack("f", struct.pack("f", v))[0]) - 36.0) / 20.0 for v in
               [rng.random() for _ in range(20000)]]
    decibel += [20.0 * float(struct.unpack("f", struct.pack("f", v))[0]) / 20.0 for v in
                [rng.random() for _ in range(10000)]]
    pow_points = (spread(-1.8, 1.0, 50000, rng) + decibel + spread(-323.3, 308.25, 15000, rng)
                  + near([0.0, 1.0, -1.8, 308.25, -307.65, -323.3], 5000, rng, 1e-6))
    # The wobble: phase in [0, 2 pi] plus pi^2/12, and its step 2 pi 5.8 Hz / rate.
    half_pis = [k * math.pi / 2 for k in range(-8, 9)]
    trig_points = (spread(0.0, 7.11, 60000, rng) + log_spread(1e-300, 0.0046, 15000, rng)
                   + spread(-1e5, 1e5, 15000, rng) + near(half_pis, 10000, rng, 1e-12))
    # The meter table: 1 .. 2; the edges 1 (from both sides) and 2, and every positive double.
    log_points = (spread(1.0, 2.0, 60000, rng) + near([1.0, 2.0, 10.0], 15000, rng, 1e-3)
                  + [2.0 ** rng.uniform(-1074, 1023.9) for _ in range(25000)])
    results = {
        "exp": check("exp", mpmath.exp, exp_points, "exp"),
        "pow10": check("10^x", lambda x: mpmath.power(10, x), pow_points, "pow10"),
        "sin": check("sin", mpmath.sin, trig_points, "sincos", 0),
        "cos": check("cos", mpmath.cos, trig_points, "sincos", 1),
        "log10": check("log10", mpmath.log10, log_points, "log10"),
    }
    # The meter's decibels, -20 log10 g for 0.00001 < g < 1, as the float it publishes.
    meter_points = ([10.0 ** rng.uniform(-5, 0) for _ in range(60000)]
                    + [1.0 - 10.0 ** rng.uniform(-15, -1) for _ in range(25000)]
                    + [1e-5 * (1.0 + rng.uniform(0, 1e-3)) for _ in range(15000)])
    got = run("meter", meter_points)[0]
    worst, at = 0.0, None
    for g, y in zip(meter_points, got):
        e = float_ulps(y, -20 * mpmath.log10(mpmath.mpf(g)))
        if e > worst:
            worst, at = e, g
    print("%-6s %7d points, largest error %.3f float ulp (at %r)" % ("meter", len(meter_points), worst, at))
    results["meter (float)"] = worst
    for name, worst in results.items():
        if not worst <= 1.0:
            failures.append("%s: %.3f ulp" % (name, worst))
    tiny = 5e-324
    exact = [
        ("exp", [(0.0, 1.0), (-0.0, 1.0), (-INF, 0.0), (INF, INF), (710.0, INF), (-746.0, 0.0), (tiny, 1.0),
                 (-tiny, 1.0), (1e300, INF)], 0),
        ("pow10", [(0.0, 1.0), (-0.0, 1.0), (1.0, 10.0), (2.0, 100.0), (-INF, 0.0), (INF, INF), (309.0, INF),
                   (-324.0, 0.0), (tiny, 1.0)], 0),
        ("sincos", [(0.0, 0.0), (-0.0, -0.0), (tiny, tiny), (-tiny, -tiny), (INF, NAN), (-INF, NAN),
                    (1e300, NAN), (2e6, NAN)], 0),
        ("sincos", [(0.0, 1.0), (-0.0, 1.0), (tiny, 1.0), (INF, NAN), (1e300, NAN)], 1),
        ("log10", [(1.0, 0.0), (10.0, 1.0), (100.0, 2.0), (0.0, -INF), (-0.0, -INF), (INF, INF), (-1.0, NAN),
                   (-INF, NAN), (tiny, float(mpmath.log10(mpmath.mpf(tiny))))], 0),
    ]
    for evaluate, cases, column in exact:
        for x in (NAN,):
            cases = cases + [(x, NAN)]
        if not exact_cases(evaluate, cases, column):
            failures.append("%s: exact or edge answers" % evaluate)
    if failures:
        print("FAILED: " + "; ".join(failures))
        return 1
    print("all within 1 ulp; exact and edge answers as stated")
    return 0


if __name__ == "__main__":
    sys.exit(main())
