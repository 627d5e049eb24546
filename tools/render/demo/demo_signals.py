#!/usr/bin/env python3
"""Deterministic test and demo signals, written as raw 32-bit float stereo
interleaved frames (sox turns them into audio files).

  demo_signals.py clip OUT.raw      six seconds of drums over a bass line
  demo_signals.py steps OUT.raw     1 kHz tone rising in 2 dB steps, -60 to 0 dBFS
  demo_signals.py release KIND OUT.raw
                                    a loud burst in a sparse (KIND=sparse) or a dense
                                    (KIND=dense) program
"""
import array
import math
import random
import sys

RATE = 44100

# Stepped tone: every level is held long enough for the detector to settle.
STEP_SECONDS = 0.5
STEP_LEVELS_DB = list(range(-60, 1, 2))
TONE_HZ = 1000.0

# Release test: where the burst ends, its level, and the program around it.
BURST_END_SECONDS = 2.0
BURST_LEVEL = 0.95
PROBE_LEVEL = 0.05  # -26 dBFS
DENSE_LEVEL = 0.3   # -10.5 dBFS


def write(path, left, right):
    frames = array.array('f', [0.0]) * (2 * len(left))
    frames[0::2] = array.array('f', left)
    frames[1::2] = array.array('f', right)
    with open(path, 'wb') as f:
        frames.tofile(f)


def add(buffer, start, samples, gain=1.0):
    for i, s in enumerate(samples):
        j = start + i
        if j >= len(buffer):
            break
        buffer[j] += gain * s


def kick(rng):
    n = int(0.35 * RATE)
    out, phase = [], 0.0
    for i in range(n):
        t = i / RATE
        freq = 45.0 + 95.0 * math.exp(-t / 0.03)
        phase += 2 * math.pi * freq / RATE
        click = (rng.uniform(-1, 1) * math.exp(-t / 0.002)) * 0.5
        out.append(math.sin(phase) * math.exp(-t / 0.12) + click)
    return out


def snare(rng):
    n = int(0.25 * RATE)
    out, last = [], 0.0
    for i in range(n):
        t = i / RATE
        noise = rng.uniform(-1, 1)
        bright = noise - 0.6 * last  # tilt the noise upwards
        last = noise
        tone = math.sin(2 * math.pi * 185.0 * t) * math.exp(-t / 0.05)
        out.append(0.7 * bright * math.exp(-t / 0.07) + 0.5 * tone)
    return out


def hat(rng, decay):
    n = int(6 * decay * RATE)
    out, last = [], 0.0
    for i in range(n):
        noise = rng.uniform(-1, 1)
        out.append((noise - last) * 0.5 * math.exp(-i / RATE / decay))
        last = noise
    return out


def bass_note(freq, seconds):
    n = int(seconds * RATE)
    out, lp = [], 0.0
    for i in range(n):
        t = i / RATE
        saw = sum(math.sin(2 * math.pi * freq * k * t) / k for k in range(1, 7))
        lp += (saw - lp) * 0.25  # soft low-pass
        env = min(1.0, t / 0.005) * math.exp(-t / 0.6) * min(1.0, (seconds - t) / 0.01)
        out.append(lp * env)
    return out


def clip():
    """Three bars at 120 bpm: kick, snare, hats and a bass line, mixed in stereo."""
    rng = random.Random(580)
    seconds = 6.0
    n = int(seconds * RATE)
    left, right = [0.0] * n, [0.0] * n
    sixteenth = 0.125
    kick_s, snare_s = kick(rng), snare(rng)
    hats = [hat(rng, 0.012) for _ in range(4)] + [hat(rng, 0.05)]
    kicks = [0, 8, 10, 16, 24, 32, 40, 42, 44]  # sixteenth positions over three bars
    snares = [4, 12, 20, 28, 36, 44, 46]
    for pos in kicks:
        start = int(pos * sixteenth * RATE)
        add(left, start, kick_s, 0.95)
        add(right, start, kick_s, 0.95)
    for pos in snares:
        start = int(pos * sixteenth * RATE)
        add(left, start, snare_s, 0.62)
        add(right, start, snare_s, 0.5)
    for pos in range(0, 48, 2):
        start = int(pos * sixteenth * RATE)
        sample = hats[4] if pos % 8 == 6 else hats[pos % 4]
        add(left, start, sample, 0.10)
        add(right, start, sample, 0.22)
    # A-minor line in eighths: root, octave, fifth and the walk back.
    line = [55.0, 55.0, 110.0, 55.0, 65.41, 65.41, 82.41, 73.42,
            55.0, 55.0, 110.0, 55.0, 49.0, 49.0, 61.74, 65.41,
            55.0, 55.0, 110.0, 82.41, 73.42, 65.41, 61.74, 49.0]
    for k, freq in enumerate(line):
        note = bass_note(freq, 2 * sixteenth * 0.95)
        start = int(k * 2 * sixteenth * RATE)
        add(left, start, note, 0.42)
        add(right, start, note, 0.42)
    fade = int(0.05 * RATE)
    for i in range(fade):
        left[n - 1 - i] *= i / fade
        right[n - 1 - i] *= i / fade
    peak = max(max(map(abs, left)), max(map(abs, right)))
    scale = 0.89 / peak  # -1 dBFS
    return [s * scale for s in left], [s * scale for s in right]


def steps():
    hold = int(STEP_SECONDS * RATE)
    w = 2 * math.pi * TONE_HZ / RATE
    out = []
    for level_db in STEP_LEVELS_DB:
        a = 10 ** (level_db / 20)
        out.extend(a * math.sin(w * i) for i in range(hold))
    return out, out


def release(kind):
    """A 250 ms burst well over the threshold, before and after it either a
    quiet probe tone (sparse) or a steady program just under the threshold
    (dense). The tone never stops, so the gain can be read off every sample."""
    level = DENSE_LEVEL if kind == 'dense' else PROBE_LEVEL
    n = int((BURST_END_SECONDS + 1.0) * RATE)
    burst_start = int((BURST_END_SECONDS - 0.25) * RATE)
    burst_end = int(BURST_END_SECONDS * RATE)
    w = 2 * math.pi * 220.0 / RATE
    out = [(BURST_LEVEL if burst_start <= i < burst_end else level) * math.sin(w * i)
           for i in range(n)]
    return out, out


def main():
    what = sys.argv[1] if len(sys.argv) > 1 else ''
    if what == 'clip' and len(sys.argv) == 3:
        write(sys.argv[2], *clip())
    elif what == 'steps' and len(sys.argv) == 3:
        write(sys.argv[2], *steps())
    elif what == 'release' and len(sys.argv) == 4 and sys.argv[2] in ('sparse', 'dense'):
        write(sys.argv[3], *release(sys.argv[2]))
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main()
