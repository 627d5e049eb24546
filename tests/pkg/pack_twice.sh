# Sourced by the package tests: fail MESSAGE, and pack_twice TREE, which makes
# the tree's packages twice with cpack into $WORK/out1 and $WORK/out2 (a fresh
# $WORK = TREE/pkg-test) and fails unless both runs give the same bytes.
fail() { echo "FAIL: $*" >&2; exit 1; }
pack_twice() {
  WORK=$1/pkg-test
  rm -rf "$WORK" && mkdir -p "$WORK"
  export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1700000000}
  for run in 1 2; do
    cpack --config "$1/CPackConfig.cmake" -B "$WORK/out$run" >"$WORK/cpack$run.log" 2>&1 ||
      { cat "$WORK/cpack$run.log"; fail "cpack"; }
  done
  for package in "$WORK"/out1/*.*; do
    cmp "$package" "$WORK/out2/${package##*/}" || fail "two runs of cpack gave different ${package##*/}"
  done
}
