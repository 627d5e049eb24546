#!/bin/bash
# Rebuilds the native unit tests (tests/native) with AddressSanitizer and UBSan
# in build/asan and runs them. The sanitizer tree is configured with
# DQ_SANITIZED_BUILD=ON so that it registers no reliability tests of its own.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT="$ROOT/build/asan"
mkdir -p "$OUT"
exec 9>"$OUT/.lock"
flock 9

FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
# Configured every time, so new test files are seen before the targets are listed.
cmake -S "$ROOT" -B "$OUT" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDQ_SANITIZED_BUILD=ON -DDQ_WERROR=ON \
  -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
# The unit tests' own targets, except those that replace malloc themselves
# (the allocation counter): AddressSanitizer owns the allocator.
SKIP="engine_allocation_test"
targets=$(make -C "$OUT/tests/native" help | sed -n 's/^\.\.\. \([A-Za-z0-9_]*_test\)$/\1/p' |
  grep -vxF -f <(tr ' ' '\n' <<<"$SKIP") || true)
if ! make -C "$OUT/tests/native" -j2 $targets >"$OUT/build.log" 2>&1; then
  grep -iE "error" -A3 "$OUT/build.log" | head -40 || true
  echo "sanitizer build failed (log: $OUT/build.log)"
  exit 1
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$OUT/tests/native" -j2 --output-on-failure -E '_NOT_BUILT$'
