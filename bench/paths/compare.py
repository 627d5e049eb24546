#!/usr/bin/env python3
"""compare.py DIR ROUNDS VARIANT...: runs the variants in turns, round after
round (each run best of 3 passes), natively and under Wine; per case the best
and median ns per frame and the worth: the variant's best over the first's."""
import collections
import statistics
import subprocess
import sys
from pathlib import Path

folder, rounds, variants = Path(sys.argv[1]), int(sys.argv[2]), sys.argv[3:]
wine_run = Path(__file__).resolve().parents[2] / "scripts" / "wine-run.sh"
for platform in ("native", "mingw-w64 under Wine"):
    times, digests = collections.defaultdict(list), collections.defaultdict(set)
    for _ in range(rounds):
        for v in variants:
            cmd = [str(folder / v), "3"] if platform == "native" else ["bash", str(wine_run), str(folder / f"{v}.exe"), "3"]
            for line in subprocess.run(cmd, capture_output=True, text=True, check=True).stdout.splitlines():
                name, ns, digest = line.split()
                times[(v, name)].append(float(ns))
                digests[name].add(digest)
    print(f"\n{platform}, {rounds} rounds: best / median ns per frame, worth (variant / all paths)")
    print("case".ljust(10) + "".join(v.rjust(24) for v in variants))
    for name in dict.fromkeys(n for (_, n) in times):
        first = min(times[(variants[0], name)])
        cells = [f"{min(times[(v, name)]):7.2f} /{statistics.median(times[(v, name)]):7.2f} {min(times[(v, name)]) / first:5.2f}"
                 for v in variants]
        print(name.ljust(10) + "".join(c.rjust(24) for c in cells))
    differ = [n for n, d in digests.items() if len(d) != 1]
    print("output bits and meters: " + ("the same in every variant" if not differ else "DIFFER in " + ", ".join(differ)))
    if differ:
        sys.exit(1)
