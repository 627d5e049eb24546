#!/bin/bash
# A packager's configure of both trees, tests off, with GoogleTest made
# unfindable: it succeeds, and registers no test.
set -euo pipefail
SOURCE=$1 WORK=$2/tests-off
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$WORK" && mkdir -p "$WORK"
NO_GTEST=(-DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DGOOGLETEST_SOURCE_DIR=/nonexistent)
for tree in native win64; do
  toolchain=()
  [ "$tree" = win64 ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$SOURCE/cmake/mingw-w64.cmake")
  cmake -S "$SOURCE" -B "$WORK/$tree" "${toolchain[@]}" "${NO_GTEST[@]}" >"$WORK/$tree.log" 2>&1 ||
    { cat "$WORK/$tree.log"; fail "$tree: configure with tests off failed"; }
  [ ! -f "$WORK/$tree/CTestTestfile.cmake" ] || fail "$tree: tests registered with tests off"
done
echo "tests off: both trees configure without GoogleTest"
