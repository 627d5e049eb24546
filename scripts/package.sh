#!/bin/bash
# Builds both trees and makes every package into build/packages/: the Windows
# installer (from build/win64), the .deb and the .tar.gz (from build/native),
# each with its .sha256. SOURCE_DATE_EPOCH defaults to the commit's time, so
# that two runs from the same commit give the same bytes.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
bash scripts/build.sh >/dev/null
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
OUT=$ROOT/build/packages
rm -rf "$OUT" build/package-work
mkdir -p "$OUT" build/package-work
for tree in win64 native; do
  work=build/package-work/$tree
  if ! cpack --config "build/$tree/CPackConfig.cmake" -B "$work" >"$work.log" 2>&1; then
    cat "$work.log"
    echo "package: cpack failed for the $tree tree" >&2
    exit 1
  fi
  find "$work" -maxdepth 1 -type f -exec cp {} "$OUT/" \;
done
ls -l "$OUT"
