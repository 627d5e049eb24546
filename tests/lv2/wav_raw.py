#!/usr/bin/env python3
"""Test files for the LV2 checks, without any converter that could touch a bit.
  wav_raw.py make DIR RATE   -> DIR/in.wav (float32 stereo) and DIR/in.raw (the same frames)
  wav_raw.py data WAV RAW    -> the float32 stereo frames of WAV, exactly as stored
"""
import math, random, struct, sys


def make(folder, rate):
    random.seed(7)
    frames = []
    for i in range(2 * rate):  # hits over a bass line, louder than full scale at times
        hit = math.exp(-(i % 7000) / 500.0) * random.uniform(-1.0, 1.0)
        frames.append((1.2 * hit + 0.3 * math.sin(0.01 * i), 0.9 * hit + 0.35 * math.sin(0.013 * i)))
    frames[9000:9003] = [(math.nan, 0.5), (math.inf, -math.inf), (3e7, 0.0)]  # a broken burst
    data = b"".join(struct.pack("<ff", l, r) for l, r in frames)
    fmt = struct.pack("<HHIIHH", 3, 2, rate, rate * 8, 8, 32)  # IEEE float, stereo
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    open(f"{folder}/in.wav", "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
    open(f"{folder}/in.raw", "wb").write(data)


def data(wav, raw):
    blob = open(wav, "rb").read()
    at, fmt = 12, None
    while at + 8 <= len(blob):
        kind, size = blob[at:at + 4], struct.unpack("<I", blob[at + 4:at + 8])[0]
        if kind == b"fmt ":
            fmt = struct.unpack("<HH", blob[at + 8:at + 12]), struct.unpack("<H", blob[at + 22:at + 24])[0]
            tag = struct.unpack("<H", blob[at + 32:at + 34])[0] if fmt[0][0] == 0xFFFE else fmt[0][0]
            if tag != 3 or fmt[0][1] != 2 or fmt[1] != 32:
                sys.exit(f"{wav}: not float32 stereo")
        elif kind == b"data":
            open(raw, "wb").write(blob[at + 8:at + 8 + size])
            return
        at += 8 + size + (size & 1)
    sys.exit(f"{wav}: no data chunk")


if __name__ == "__main__":
    make(sys.argv[2], int(sys.argv[3])) if sys.argv[1] == "make" else data(sys.argv[2], sys.argv[3])
