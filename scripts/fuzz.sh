#!/bin/bash
# Builds the engine's libFuzzer target with clang, AddressSanitizer and UBSan
# into build/fuzz, then fuzzes for a bounded time (default 20 s) with the
# corpus kept in build/fuzz/corpus. A crash leaves its input in build/fuzz/.
#   scripts/fuzz.sh [seconds]        e.g. scripts/fuzz.sh 3600 for a long run
#   replay one input: build/fuzz/dsp_fuzzer build/fuzz/crash-<hash>
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT="$ROOT/build/fuzz"
SECONDS_TO_RUN=${1:-${FUZZ_SECONDS:-20}}
mkdir -p "$OUT/corpus"
exec 9>"$OUT/.lock"
flock 9  # one build and run at a time in this checkout

# The engine's own floating-point options (see dsp/CMakeLists.txt).
clang++ -std=c++17 -O1 -g -fno-omit-frame-pointer \
  -fno-math-errno -fno-trapping-math -ffp-contract=off \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$ROOT/dsp" "$ROOT/fuzz/dsp_fuzzer.cpp" "$ROOT"/dsp/*.cpp -o "$OUT/dsp_fuzzer.new"
mv "$OUT/dsp_fuzzer.new" "$OUT/dsp_fuzzer"

cd "$OUT"
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ./dsp_fuzzer -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -print_final_stats=1 corpus
