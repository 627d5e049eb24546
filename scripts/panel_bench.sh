#!/bin/bash
# The editor's cost on both platforms in one run: the Linux editor window's
# UI-thread share natively under an Xvfb of its own (bench/x11), the Cairo
# panel's paint times, and the Windows panel under Wine (tools/paint_bench).
# Tables go to bench/results/panel.txt.
#   PANEL_BENCH_SECONDS: seconds per situation (default 5)
#   BENCH_NATIVE_DIR: native benchmark tree (default build/bench-native)
#   BENCH_NO_WINE=1 skips the Windows panel.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
NATIVE=${BENCH_NATIVE_DIR:-build/bench-native}
SECONDS_EACH=${PANEL_BENCH_SECONDS:-5}
RESULTS=bench/results
mkdir -p "$RESULTS"
bash scripts/bootstrap.sh >/dev/null
cmake -S "$ROOT" -B "$NATIVE" -DCMAKE_BUILD_TYPE=Release -DDQ_BENCHMARKS=ON >"$NATIVE.log" 2>&1 \
  || { tail -20 "$NATIVE.log"; exit 1; }
cmake --build "$NATIVE" -j2 --target panel_ui_bench cairo_paint_bench >"$NATIVE.log" 2>&1 \
  || { grep -E "error|Error" -A3 "$NATIVE.log" | head -40; exit 1; }
if [ "${BENCH_NO_WINE:-0}" != 1 ]; then
  cmake --build build/win64 -j2 --target paint_bench >/dev/null
fi

# An X server of the benchmark's own, on a free display.
exec 3< <(Xvfb -displayfd 1 -screen 0 2000x1200x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ XVFB_PID <&3
read -r DISPLAY_NUMBER <&3
trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
{
  echo "## Linux editor window, UI thread (Xvfb's share in brackets)"
  DISPLAY=:$DISPLAY_NUMBER DQ_XSERVER_PID=$XVFB_PID "$NATIVE/bench/panel_ui_bench" "$SECONDS_EACH"
  echo
  echo "## Cairo panel, paint time"
  "$NATIVE/tools/cairo_paint_bench/cairo_paint_bench"
  if [ "${BENCH_NO_WINE:-0}" != 1 ]; then
    echo
    echo "## Windows panel under Wine (GDI+)"
    bash scripts/wine-run.sh build/win64/paint_bench.exe
  fi
} | tee "$RESULTS/panel.txt"
