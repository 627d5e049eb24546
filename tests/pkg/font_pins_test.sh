#!/bin/bash
# The panel's fonts, fetched into a folder of their own (npm's cache makes it
# quick): the pinned faces arrive; a face whose bytes changed after the
# download stops the fetch with a message naming it, and leaves no font behind.
set -euo pipefail
FETCH=$1 WORK=$2/font-pins
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$WORK"
bash "$FETCH" "$WORK" || fail "the pinned fonts were refused"
[ "$(ls "$WORK"/*.ttf | wc -l)" = 4 ] || fail "not four faces fetched"
echo "tampered" >>"$(find "$WORK/node_modules" -name Inter_700Bold.ttf)"
rm "$WORK/ready"
if bash "$FETCH" "$WORK" 2>"$WORK/err"; then fail "a changed face was accepted"; fi
grep -q "Inter-Bold.ttf .* has SHA-256 .*not the pinned" "$WORK/err" || fail "no clear message: $(cat "$WORK/err")"
! ls "$WORK"/*.ttf 2>/dev/null || fail "fonts left behind after a refused fetch"
echo "fonts: pinned faces fetched, a changed one refused"
