#!/usr/bin/env python3
"""Test audio without a converter that could touch a bit.
  wav_raw.py make DIR RATE: DIR/in.wav (float32 stereo) and DIR/in.raw, the same frames
  wav_raw.py data WAV RAW:  the frames of a float32 stereo WAV, exactly as stored"""
import math, random, struct, sys

if sys.argv[1] == "make":
    folder, rate = sys.argv[2], int(sys.argv[3])
    random.seed(7)
    frames = [(1.2 * h + 0.3 * math.sin(0.01 * i), 0.9 * h + 0.35 * math.sin(0.013 * i))
              for i, h in ((i, math.exp(-(i % 7000) / 500.0) * random.uniform(-1, 1)) for i in range(2 * rate))]
    frames[9000:9003] = [(math.nan, 0.5), (math.inf, -math.inf), (3e7, 0.0)]  # a broken burst
    data = b"".join(struct.pack("<ff", *f) for f in frames)
    fmt = struct.pack("<HHIIHH", 3, 2, rate, rate * 8, 8, 32)  # IEEE float, stereo
    open(f"{folder}/in.wav", "wb").write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt "
                                         + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(data)) + data)
    open(f"{folder}/in.raw", "wb").write(data)
else:
    blob = open(sys.argv[2], "rb").read()
    assert struct.unpack("<HH", blob[20:24]) == (3, 2), "not float stereo"
    at = blob.index(b"data", 36)
    open(sys.argv[3], "wb").write(blob[at + 8:at + 8 + struct.unpack("<I", blob[at + 4:at + 8])[0]])
