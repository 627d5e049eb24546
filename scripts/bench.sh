#!/bin/bash
# Builds the benchmarks in their own trees (DQ_BENCHMARKS on), checks the
# engine first (outputs against the literal transcription, and output bits
# against the saved digest natively and built by mingw-w64 under Wine: either
# failing fails the script), then runs the timings (engine and literal
# transcription natively, automation density through the core natively and
# built by mingw-w64 under Wine, the LV2 peers in-process, the DLL under Wine
# at blocks 512 and 1) and prints the tables with ratios against the shipped
# engine. Raw results and the tables are kept in bench/results/.
#   BENCH_NATIVE_DIR, BENCH_WIN_DIR: build trees (default build/bench-native,
#   build/bench-win64); BENCH_NO_WINE=1 skips the DLL measurement.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
NATIVE=${BENCH_NATIVE_DIR:-build/bench-native}
WIN=${BENCH_WIN_DIR:-build/bench-win64}
RESULTS=bench/results
mkdir -p "$RESULTS"
bash scripts/bootstrap.sh >/dev/null

build() {  # dir target... ; extra cmake arguments in CMAKE_EXTRA
  local dir=$1; shift
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DDQ_BENCHMARKS=ON ${CMAKE_EXTRA:-} >"$dir.log" 2>&1 \
    || { tail -20 "$dir.log"; exit 1; }
  cmake --build "$dir" -j2 --target "$@" >"$dir.log" 2>&1 \
    || { grep -E "error|Error" -A3 "$dir.log" | head -40; echo "build failed: $dir.log"; exit 1; }
}
echo "building (native: $NATIVE)" >&2
build "$NATIVE" engine_bench bench_equivalence output_digest lv2_bench lv2_bundle maths_bench
if [ "${BENCH_NO_WINE:-0}" != 1 ]; then
  echo "building (win64: $WIN)" >&2
  CMAKE_EXTRA="-DCMAKE_TOOLCHAIN_FILE=$ROOT/cmake/mingw-w64.cmake" build "$WIN" dll_bench automation_bench output_digest_win maths_bench_win
fi

echo "equivalence check" >&2
if ! "$NATIVE/bench/bench_equivalence" --json >"$RESULTS/equivalence.jsonl"; then
  grep -v '"meters_agree": true' "$RESULTS/equivalence.jsonl" || true
  echo "bench: the engine's output departs from the literal transcription" >&2
  exit 1
fi
# A deliberate change of the sound renews the reference:
#   build/bench-native/bench/output_digest > bench/output_digest_reference.txt
REFERENCE=bench/output_digest_reference.txt
echo "output bits against $REFERENCE" >&2
"$NATIVE/bench/output_digest" --check "$REFERENCE" >"$RESULTS/digest.txt" \
  || { grep -v '^[0-9]* cases, 0 differ' "$RESULTS/digest.txt" | head -20; echo "bench: native output bits changed" >&2; exit 1; }
if [ "${BENCH_NO_WINE:-0}" != 1 ]; then
  bash scripts/wine-run.sh "$WIN/output_digest_win.exe" --check "Z:$ROOT/$REFERENCE" >"$RESULTS/digest_win.txt" \
    || { head -20 "$RESULTS/digest_win.txt"; echo "bench: mingw-w64 output bits changed" >&2; exit 1; }
fi
echo "engine benchmark (shipped, literal and automation density, 5 repetitions interleaved)" >&2
"$NATIVE/bench/engine_bench" --benchmark_repetitions=5 --benchmark_min_time=0.2 \
  --benchmark_enable_random_interleaving=true \
  --benchmark_out="$RESULTS/engine.json" --benchmark_out_format=json >"$RESULTS/engine.txt" 2>&1
echo "LV2 peers and our own LV2 build" >&2
LV2_PATH="$(realpath "$NATIVE")/lv2-bundles:${LV2_PATH:-$HOME/.lv2:/usr/local/lib/lv2:/usr/lib/lv2}" \
"$NATIVE/bench/lv2_bench" --passes 15 \
  "http://gareus.org/oss/lv2/darc#stereo" \
  "http://lsp-plug.in/plugins/lv2/compressor_stereo" \
  "http://calf.sourceforge.net/plugins/Compressor" \
  --ours >"$RESULTS/lv2.jsonl"
echo "the engine's own maths against the platform's, per call" >&2
"$NATIVE/bench/maths_bench" >"$RESULTS/maths.jsonl"
rm -f "$RESULTS/wine.jsonl" "$RESULTS/wine_block1.jsonl" "$RESULTS/wine_automation.jsonl" "$RESULTS/wine_maths.jsonl"
if [ "${BENCH_NO_WINE:-0}" != 1 ]; then
  echo "DLL under Wine (blocks 512 and 1), automation density built by mingw-w64" >&2
  bash scripts/wine-run.sh "$WIN/dll_bench.exe" >"$RESULTS/wine.jsonl"
  bash scripts/wine-run.sh "$WIN/dll_bench.exe" 1 >"$RESULTS/wine_block1.jsonl"
  bash scripts/wine-run.sh "$WIN/automation_bench.exe" >"$RESULTS/wine_automation.jsonl"
  bash scripts/wine-run.sh "$WIN/maths_bench_win.exe" >"$RESULTS/wine_maths.jsonl"
fi
python3 bench/report.py "$RESULTS"
