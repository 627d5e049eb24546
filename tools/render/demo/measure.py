#!/usr/bin/env python3
"""Measurements on raw 32-bit float stereo files (input and rendered output),
printed as columns for gnuplot.

  measure.py curve IN.raw OUT.raw        input level and output level (dBFS peak) per tone step
  measure.py gain IN.raw OUT.raw MAKEUP_DB STEP_MS [START_S]
                                         time (s) and gain reduction (dB) over time
  measure.py envelope FILE.raw STEP_MS   time (s), lowest and highest sample of the left channel
"""
import array
import math
import sys

from demo_signals import RATE, STEP_LEVELS_DB, STEP_SECONDS


def left_channel(path):
    frames = array.array('f')
    with open(path, 'rb') as f:
        frames.frombytes(f.read())
    return frames[0::2]


def rms(samples):
    return math.sqrt(sum(s * s for s in samples) / len(samples))


def curve(inp, out):
    hold = int(STEP_SECONDS * RATE)
    tail = int(0.1 * RATE)  # the settled end of each step
    for k, level_db in enumerate(STEP_LEVELS_DB):
        end = (k + 1) * hold
        ratio = rms(out[end - tail:end]) / rms(inp[end - tail:end])
        print(f"{level_db:.1f} {level_db + 20 * math.log10(ratio):.3f}")


def gain(inp, out, makeup_db, step, start=0):
    """Both channels get one gain, so y / x of any sample that is neither tiny
    nor at the ceiling gives it exactly; each step reports its largest reduction."""
    for begin in range(start, len(inp) - step + 1, step):
        worst = None
        for x, y in zip(inp[begin:begin + step], out[begin:begin + step]):
            if abs(x) > 1e-3 and abs(y) < 0.975:
                reduction = makeup_db - 20 * math.log10(max(abs(y / x), 1e-9))
                worst = reduction if worst is None else max(worst, reduction)
        if worst is not None:
            print(f"{(begin - start) / RATE:.4f} {worst:.3f}")


def envelope(samples, step):
    for begin in range(0, len(samples) - step + 1, step):
        chunk = samples[begin:begin + step]
        print(f"{begin / RATE:.4f} {min(chunk):.4f} {max(chunk):.4f}")


def main():
    a = sys.argv[1:]
    if len(a) == 3 and a[0] == 'curve':
        curve(left_channel(a[1]), left_channel(a[2]))
    elif len(a) in (5, 6) and a[0] == 'gain':
        start = int(float(a[5]) * RATE) if len(a) == 6 else 0
        gain(left_channel(a[1]), left_channel(a[2]), float(a[3]), int(float(a[4]) * RATE / 1000), start)
    elif len(a) == 3 and a[0] == 'envelope':
        envelope(left_channel(a[1]), int(float(a[2]) * RATE / 1000))
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main()
