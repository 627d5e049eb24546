#!/usr/bin/python3
"""How close two pictures of the panel are: the mean absolute difference per
channel (R, G, B, in levels of 255) and the share of pixels where any channel
differs by more than 32 levels. Pictures of different sizes are an error.

  compare_pictures.py A.png B.png [--diff DIFF.png] [--max-mean M] [--max-share S]

With --max-mean / --max-share, exits 1 when a figure is above its limit.
"""
import argparse
import sys

import numpy as np
from PIL import Image


def closeness(a, b):
    """(mean difference per channel, share of pixels off by more than 32)."""
    if a.shape != b.shape:
        raise ValueError(f"sizes differ: {a.shape[1]}x{a.shape[0]} and {b.shape[1]}x{b.shape[0]}")
    diff = np.abs(a.astype(np.int16) - b.astype(np.int16))
    return diff.reshape(-1, 3).mean(axis=0), float((diff.max(axis=2) > 32).mean()), diff


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("a")
    parser.add_argument("b")
    parser.add_argument("--diff")
    parser.add_argument("--max-mean", type=float)
    parser.add_argument("--max-share", type=float)
    args = parser.parse_args()
    a = np.asarray(Image.open(args.a).convert("RGB"))
    b = np.asarray(Image.open(args.b).convert("RGB"))
    try:
        mean, share, diff = closeness(a, b)
    except ValueError as error:
        print(f"compare_pictures: {error}", file=sys.stderr)
        return 2
    print(f"mean difference R {mean[0]:.2f} G {mean[1]:.2f} B {mean[2]:.2f}; "
          f"pixels off by more than 32: {100 * share:.2f} %")
    if args.diff:
        Image.fromarray(np.clip(diff.max(axis=2) * 4, 0, 255).astype(np.uint8)).save(args.diff)
    too_far = (args.max_mean is not None and mean.max() > args.max_mean) or (
        args.max_share is not None and share > args.max_share)
    return 1 if too_far else 0


if __name__ == "__main__":
    sys.exit(main())
