#!/bin/bash
# Builds the engine's libFuzzer target with clang, AddressSanitizer and UBSan
# into build/fuzz (a CMake tree of the engine and the fuzzer alone, with the
# project's warning and floating-point flag targets), then fuzzes for a bounded
# time (default 20 s) with the corpus kept in build/fuzz/corpus. A crash leaves
# its input in build/fuzz/.
#   scripts/fuzz.sh [seconds]        e.g. scripts/fuzz.sh 3600 for a long run
#   replay one input: build/fuzz/dsp_fuzzer build/fuzz/crash-<hash>
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT="$ROOT/build/fuzz"
SECONDS_TO_RUN=${1:-${FUZZ_SECONDS:-20}}
mkdir -p "$OUT/corpus"
exec 9>"$OUT/.lock"
flock 9  # one build and run at a time in this checkout

# Every source, the engine's included, gets the fuzzer's coverage hooks and
# the sanitizers; only the program links libFuzzer's main.
SANITIZERS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S "$ROOT" -B "$OUT" -DDQ_FUZZ_BUILD=ON -DDQ_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DCMAKE_CXX_FLAGS="-fno-omit-frame-pointer $SANITIZERS" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
if ! cmake --build "$OUT" -j2 --target dsp_fuzzer >"$OUT/build.log" 2>&1; then
  grep -iE "error" -A3 "$OUT/build.log" | head -40 || true
  echo "fuzzer build failed (log: $OUT/build.log)"
  exit 1
fi

cd "$OUT"
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ./dsp_fuzzer -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -max_len=16384 -print_final_stats=1 corpus
