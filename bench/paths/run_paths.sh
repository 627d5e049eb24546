#!/bin/bash
# What each speed path of in-block automation buys: builds automation_paths
# once with every path and once per path switched off (-DDQ_OFF_<PATH>), with
# the engine's flags, natively and with mingw-w64, then times the variants in
# turns (natively, then under Wine) and prints per case the best, the median
# and the worth (variant / all paths, best against best).
#   bash bench/paths/run_paths.sh [rounds] PATH...   e.g. 11 REFRESH DIRECT SNAPSHOT
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
OUT=$ROOT/build/paths
mkdir -p "$OUT"
ROUNDS=${1:-9}; shift
SOURCES="$ROOT/dsp/*.cpp $ROOT/core/plugin_core.cpp $ROOT/bench/automation_runner.cpp $ROOT/bench/engine_runners.cpp
  $ROOT/bench/signals.cpp $ROOT/bench/literal_engine.cpp $ROOT/bench/paths/automation_paths.cpp"
FLAGS="-O3 -DNDEBUG -std=c++17 -fno-math-errno -fno-trapping-math -ffp-contract=off -I$ROOT/dsp -I$ROOT/core -I$ROOT/bench"
variants=(all "$@")
for v in "${variants[@]}"; do
  define=""; [ "$v" = all ] || define="-DDQ_OFF_$v"
  # shellcheck disable=SC2086
  g++ $FLAGS $define $SOURCES -o "$OUT/$v" &
  # shellcheck disable=SC2086
  x86_64-w64-mingw32-g++-posix $FLAGS -Wa,-muse-unaligned-vector-move $define $SOURCES -static -o "$OUT/$v.exe"
  wait
done
/usr/bin/python3 "$ROOT/bench/paths/compare.py" "$OUT" "$ROUNDS" "${variants[@]}"
