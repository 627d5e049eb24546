#!/bin/bash
# Runs the editor test program's missing-font case in a prefix that lacks the
# Cinzel files: a hard-linked copy of the project's prefix (registry files
# copied for real, since Wine rewrites them) with the Cinzel TTFs removed.
set -euo pipefail
program=$1
prefix=$2
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source_prefix="$ROOT/build/wineprefix"
if [ ! -f "$prefix/system.reg" ]; then
  rm -rf "$prefix"
  cp -al "$source_prefix" "$prefix"
  for reg in "$prefix"/*.reg; do cp --remove-destination "$source_prefix/$(basename "$reg")" "$reg"; done
  rm -f "$prefix"/drive_c/windows/Fonts/Cinzel-*.ttf
  rm -f "$prefix/.no-crash-dialog"  # the copied registry may predate the setting
fi
WINEPREFIX="$prefix" "$ROOT/scripts/wine-run.sh" "$program" --gtest_filter='*MissingCinzel*'
