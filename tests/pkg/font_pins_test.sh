#!/bin/bash
# The panel's fonts, fetched into a folder of their own (npm's cache makes it
# quick) and taken from a folder of released faces (offline): the same four
# faces; a changed or missing face stops it with a message naming it, and
# leaves no font behind.
set -euo pipefail
FETCH=$1 WORK=$2/font-pins
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$WORK"
bash "$FETCH" "$WORK/npm" || fail "the pinned fonts were refused"
[ "$(ls "$WORK"/npm/*.ttf | wc -l)" = 4 ] || fail "not four faces fetched"
cp -r "$WORK/npm/node_modules/@expo-google-fonts" "$WORK/pristine"
bash "$FETCH" "$WORK/offline" "$WORK/pristine" || fail "the released faces were refused"
for face in "$WORK"/npm/*.ttf; do cmp "$face" "$WORK/offline/${face##*/}" || fail "offline ${face##*/} differs"; done
# case | source (npm: the download in npm's folder) | face spoilt | how | message
CASES=(
  "changed download|npm|Inter_700Bold.ttf|echo tampered >>|Inter-Bold.ttf from .* has SHA-256 .*not the pinned"
  "changed face|folder|Inter_700Bold.ttf|echo tampered >>|Inter-Bold.ttf from .* has SHA-256 .*not the pinned"
  "missing face|folder|Cinzel_400Regular.ttf|rm|no Cinzel_400Regular.ttf in"
)
for case in "${CASES[@]}"; do
  IFS='|' read -r name source face spoil message <<<"$case"
  OUT=$WORK/$source args=("$WORK/$source")
  if [ "$source" = npm ]; then
    SRC=$OUT/node_modules && rm "$OUT/ready"
  else
    SRC=$WORK/released args+=("$SRC") && rm -rf "$SRC" && cp -r "$WORK/pristine" "$SRC"
  fi
  eval "$spoil \"$(find "$SRC" -name "$face")\""
  if bash "$FETCH" "${args[@]}" 2>"$WORK/err"; then fail "$name: accepted"; fi
  grep -q "$message" "$WORK/err" || fail "$name: no clear message: $(cat "$WORK/err")"
  ! ls "$OUT"/*.ttf 2>/dev/null || fail "$name: fonts left behind"
done
echo "fonts: the pinned faces from npm and from a folder; changed and missing ones refused"
