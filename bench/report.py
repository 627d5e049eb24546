#!/usr/bin/env python3
"""Turns the raw benchmark results in a results folder into one table of
per-frame costs and ratios against the shipped engine, and one line per goal."""
import json
import math
import re
import statistics
import sys
from pathlib import Path

PEERS = [
    ("http://gareus.org/oss/lv2/darc#stereo", "x42 darc"),
    ("http://lsp-plug.in/plugins/lv2/compressor_stereo", "LSP Comp St"),
    ("http://calf.sourceforge.net/plugins/Compressor", "Calf Comp"),
]
# The plug-in's own LV2 build, in the same host as the peers: its ratio is the
# cost of the LV2 wrapper around the shipped engine (lv2_bench --ours).
LV2_BUILD = ("ours", "Quillet LV2")
COLUMNS = PEERS + [LV2_BUILD]
SIGNALS = ["music", "heavy", "tail"]
BLOCKS = [1, 32, 512, 4096]
SIGNAL_INDEX = {0: "music", 1: "heavy", 2: "tail"}


def json_lines(path):
    if not path.exists():
        return []
    rows = []
    for line in path.read_text().splitlines():
        line = line.strip()
        if line.startswith("{"):
            rows.append(json.loads(line))
    return rows


def benchmark_runs(path, pattern):
    """(match, ns per frame) for every repetition whose run name matches."""
    if not path.exists():
        return
    for b in json.loads(path.read_text()).get("benchmarks", []):
        if b.get("run_type") == "iteration" and "ns_per_frame" in b:
            m = re.match(pattern, b["run_name"])
            if m:
                yield m, b["ns_per_frame"]


def engine_costs(path):
    """Best (smallest) ns per frame over the repetitions, per engine, signal, block."""
    costs = {}
    for m, ns in benchmark_runs(path, r"(\w+)/signal:(\d+)/block:(\d+)"):
        key = (m.group(1), SIGNAL_INDEX[int(m.group(2))], int(m.group(3)))
        costs[key] = min(costs.get(key, math.inf), ns)
    return costs


PARAM_NAMES = {0: "Threshold", 2: "Attack", 7: "Mix"}
DENSITIES = [1, 8, 32, 128]


def automation_costs(path):
    """Per (param, every): every repetition's ns per frame (every 0: no automation)."""
    costs = {}
    for m, ns in benchmark_runs(path, r"automation/param:(\d+)/every:(\d+)"):
        costs.setdefault((int(m.group(1)), int(m.group(2))), []).append(ns)
    return costs


def automation_table(native, wine):
    """Cost per frame as a ratio to the program without automation, best of the
    repetitions (natively also the median's ratio: the spread of the run)."""
    base = native.get((0, 0), [])
    wine_rows = {(r["param"], r["every"]): r for r in wine}
    head = "| parameter | " + " | ".join(f"N = {n}" for n in DENSITIES) + " |"
    rows = [head, "|---|" + "---|" * len(DENSITIES)]
    for param, name in PARAM_NAMES.items():
        cells = []
        for n in DENSITIES:
            got = native.get((param, n), [])
            text = "—"
            if got and base:
                text = f"{min(got) / min(base):.2f}× (median {statistics.median(got) / statistics.median(base):.2f}×)"
            w = wine_rows.get((param, n))
            text += f"; Wine {w['ratio']:.2f}×" if w else ""
            cells.append(text)
        rows.append(f"| {name} | " + " | ".join(cells) + " |")
    w0 = wine_rows.get((0, 0))
    rows.append("")
    rows.append(f"Without automation (block 512 through the core): native {fmt(min(base) if base else None, 2)} "
                f"ns/frame, Wine {fmt(w0['ns_per_frame'] if w0 else None, 2)} ns/frame.")
    return rows


def fmt(x, digits=1):
    return "—" if x is None or math.isinf(x) or math.isnan(x) else f"{x:.{digits}f}"


def ratio(a, b):
    return None if a is None or b is None or b == 0 else a / b


def main(results):
    results = Path(results)
    costs = engine_costs(results / "engine.json")
    levels = {}
    peer_ratio = {}  # against the shipped engine timed alternately in the same program
    for row in json_lines(results / "lv2.jsonl"):
        key = (row["engine"], row["signal"], row["block"])
        costs[key] = row["ns_per_frame"]
        levels[key] = row.get("level_change_db")
        peer_ratio[key] = ratio(row["ns_per_frame"], row.get("shipped_ns_per_frame"))
    diffs = {}
    meters_agree = True
    for row in json_lines(results / "equivalence.jsonl"):
        key = row["signal"]
        diffs[key] = max(diffs.get(key, 0.0), float(row["max_abs_diff"]))
        meters_agree = meters_agree and row.get("meters_agree", False)
    wine = {row["engine"]: row for row in json_lines(results / "wine.jsonl")}
    wine_block1 = {row["engine"]: row for row in json_lines(results / "wine_block1.jsonl")}
    wine_automation = json_lines(results / "wine_automation.jsonl")
    automation = automation_costs(results / "engine.json")

    out = []
    head = ["signal", "block", "shipped ns/fr", "literal ns/fr", "literal/shipped"]
    for _, name in COLUMNS:
        head += [f"{name} ns/fr", f"{name}/shipped"]
    head += ["max |diff|"]
    out.append("| " + " | ".join(head) + " |")
    out.append("|" + "---|" * len(head))
    for s in SIGNALS:
        for block in BLOCKS:
            shipped = costs.get(("shipped", s, block))
            literal = costs.get(("literal", s, block))
            cells = [s, str(block), fmt(shipped, 2), fmt(literal, 1), fmt(ratio(literal, shipped), 2) + "×"]
            for uri, _ in COLUMNS:
                cells += [fmt(costs.get((uri, s, block)), 1), fmt(peer_ratio.get((uri, s, block)), 2) + "×"]
            cells.append(f"{diffs[s]:.2g}" if s in diffs else "—")
            out.append("| " + " | ".join(cells) + " |")

    out.append("")
    out.append("Silent tail / music-like, per frame: " + ", ".join(
        f"block {b}: shipped {fmt(ratio(costs.get(('shipped', 'tail', b)), costs.get(('shipped', 'music', b))), 2)}"
        f" (literal {fmt(ratio(costs.get(('literal', 'tail', b)), costs.get(('literal', 'music', b))), 2)})"
        for b in BLOCKS))

    if levels:
        out.append("")
        out.append("LV2 peers' output/input level at block 512 (shows they compress): " + "; ".join(
            f"{name} " + ", ".join(f"{s} {fmt(levels.get((uri, s, 512)), 1)} dB" for s in SIGNALS)
            for uri, name in PEERS))

    if wine:
        dll = wine.get("dll", {}).get("ns_per_frame")
        copy = wine.get("copy", {}).get("ns_per_frame")
        static = wine.get("shipped_static", {}).get("ns_per_frame")
        lit = wine.get("literal", {}).get("ns_per_frame")
        native = costs.get(("shipped", "music", 512))
        out.append("")
        out.append(
            f"DLL under Wine (mingw-w64 build), music-like, block 512: processReplacing {fmt(dll, 2)} ns/frame; "
            f"same run: plain copy {fmt(copy, 2)}, engine linked statically {fmt(static, 2)}, "
            f"literal transcription {fmt(lit, 1)} (literal/DLL {fmt(ratio(lit, dll), 2)}×); "
            f"DLL/native shipped {fmt(ratio(dll, native), 2)}×; DLL output vs static engine max |diff| "
            f"{wine.get('dll_vs_static_max_abs_diff', {}).get('value', '—')}")

    darc = costs.get((PEERS[0][0], "music", 1))
    if automation or wine_automation:
        out.append("")
        out.append("Automation density (music-like, block 512, one parameter changed every N frames through "
                   "the core's change list), cost per frame against the same program without automation:")
        out.append("")
        out += automation_table(automation, wine_automation)
    if darc:
        out.append("")
        out.append(f"Block 1 against x42 darc at block 1 (music-like, natively: {fmt(darc, 1)} ns/frame), "
                   "x42 darc's cost over ours:")
        out.append("")
        out.append("| this plug-in at one frame per call | ns/frame | x42 darc / this |")
        out.append("|---|---|---|")
        block1 = [("engine, native (lone one-frame blocks)", costs.get(("shipped", "music", 1)),
                   peer_ratio.get((PEERS[0][0], "music", 1))),
                  ("LV2 build, native (through the descriptor)", costs.get((LV2_BUILD[0], "music", 1)), None),
                  ("DLL under Wine (processReplacing)", wine_block1.get("dll", {}).get("ns_per_frame"), None)]
        for param, name in PARAM_NAMES.items():
            got = automation.get((param, 1))
            block1.append((f"core, {name} changed every frame, native", min(got) if got else None, None))
        for r in wine_automation:
            if r["every"] == 1:
                block1.append((f"core, {PARAM_NAMES[r['param']]} changed every frame, mingw-w64 under Wine",
                               r["ns_per_frame"], None))
        for what, ns, same_run in block1:
            if ns is None:
                continue
            r = same_run if same_run is not None else ratio(darc, ns)
            out.append(f"| {what} | {fmt(ns, 1)} | {fmt(r, 2)}× |")
        out.append("")
        out.append("The engine's row takes its ratio from the LV2 program, which times it alternately with "
                   "x42 darc; the others divide x42 darc's figure by theirs, from the same bench run.")

    out.append("")
    out.append("Peer ratios are against the shipped engine timed alternately with each peer pass "
               "by the LV2 program (best of 15 each); shipped and literal columns come from Google "
               "Benchmark (best of 5 interleaved repetitions). At block 1 a peer's figure includes "
               "the four connect_port calls a host makes per block.")
    out.append("")
    def goal(text, met):
        out.append(f"- {text}: {'met' if met else 'NOT met'}")
    r = ratio(costs.get(("literal", "music", 512)), costs.get(("shipped", "music", 512)))
    worst = max(diffs.values()) if diffs else math.inf
    goal(f"shipped ≥ 3× faster than the literal transcription at block 512, music-like ({fmt(r, 2)}×)",
         r is not None and r >= 3.0)
    goal(f"outputs within 1e-6 of the literal transcription on every signal, block size and under "
         f"automation (worst {worst:.2g}; meters {'agree' if meters_agree else 'DIFFER'})",
         worst <= 1e-6 and meters_agree)
    for uri, name in PEERS:
        cells = {(sig, b): peer_ratio[(uri, sig, b)] for sig in SIGNALS for b in BLOCKS
                 if peer_ratio.get((uri, sig, b)) is not None}
        slower = [f"{sig}/{b}" for (sig, b), r in cells.items() if r <= 1.0]
        goal(f"faster than {name} on every signal and block size ({name}/shipped at music 512: "
             f"{fmt(peer_ratio.get((uri, 'music', 512)), 2)}×"
             + (f"; not faster at {', '.join(slower)}" if slower else "") + ")",
             bool(cells) and not slower)
    base = automation.get((0, 0))
    wine_rows = {(r["param"], r["every"]): r for r in wine_automation}
    for n, limit in [(32, 1.2), (8, 2.0)]:
        native_worst = max((min(automation[(p, n)]) / min(base) for p in PARAM_NAMES if (p, n) in automation),
                           default=None) if base else None
        wine_worst = max((wine_rows[(p, n)]["ratio"] for p in PARAM_NAMES if (p, n) in wine_rows), default=None)
        goal(f"automation every {n} frames ≤ {limit}× the cost without (worst parameter: native "
             f"{fmt(native_worst, 2)}×, Wine {fmt(wine_worst, 2)}×)",
             native_worst is not None and native_worst <= limit and (wine_worst is None or wine_worst <= limit))
    if darc:
        singles = [("DLL at block 1 under Wine", wine_block1.get("dll", {}).get("ns_per_frame"))]
        singles += [(f"{PARAM_NAMES[p]} every frame, native", min(automation[(p, 1)]))
                    for p in PARAM_NAMES if (p, 1) in automation]
        singles += [(f"{PARAM_NAMES[r['param']]} every frame, Wine", r["ns_per_frame"])
                    for r in wine_automation if r["every"] == 1]
        slower = [w for w, ns in singles if ns is not None and ns >= darc]
        goal("faster than x42 darc at block 1 at one frame per piece" +
             (f" (not: {', '.join(slower)})" if slower else ""), not slower)
    tails = [ratio(costs.get(("shipped", "tail", b)), costs.get(("shipped", "music", b))) for b in BLOCKS]
    goal("silent tail ≤ 1.2× the music-like cost per frame at every block size (worst "
         f"{fmt(max((t for t in tails if t is not None), default=None), 2)})",
         all(t is not None and t <= 1.2 for t in tails))
    # Short form for the README: ns per frame, ratio to the shipped engine in brackets.
    short = ["| program | block | shipped | literal | " + " | ".join(n for _, n in COLUMNS) + " |",
             "|---|---|---|---|" + "---|" * len(COLUMNS)]
    for s, block in [("music", 1), ("music", 32), ("music", 512), ("music", 4096),
                     ("heavy", 512), ("tail", 512)]:
        shipped = costs.get(("shipped", s, block))
        literal = costs.get(("literal", s, block))
        cells = [s, str(block), fmt(shipped, 1), f"{fmt(literal, 1)} ({fmt(ratio(literal, shipped), 1)}×)"]
        cells += [f"{fmt(costs.get((uri, s, block)), 1)} ({fmt(peer_ratio.get((uri, s, block)), 1)}×)"
                  for uri, _ in COLUMNS]
        short.append("| " + " | ".join(cells) + " |")
    (results / "readme_table.md").write_text("\n".join(short) + "\n")
    text = "\n".join(out)
    (results / "table.md").write_text(text + "\n")
    print(text)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "bench/results")
