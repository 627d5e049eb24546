#!/bin/bash
# Runs editor test cases in a prefix that lacks some of the panel's font files:
# a hard-linked copy of the project's prefix (registry files copied for real,
# since Wine rewrites them) with those files removed. Wine also sees the
# machine's own fonts through fontconfig, so an empty fontconfig setup hides
# them: a user who has Inter or Cinzel installed must not change the outcome.
# With --reference the program first runs the same cases in the project's
# prefix (same hiding) to record what they then compare against.
#   editor_without_fonts.sh [--reference] PROGRAM PREFIX GTEST_FILTER FONT_GLOB...
set -euo pipefail
reference=0
[ "$1" = --reference ] && { reference=1; shift; }
program=$1 prefix=$2 filter=$3
shift 3
source "$(dirname "${BASH_SOURCE[0]}")/test_prefix.sh"
if [ ! -f "$prefix/system.reg" ]; then
  make_test_prefix "$prefix"
  for glob in "$@"; do rm -f "$prefix"/drive_c/windows/Fonts/$glob; done
fi
cat >"$prefix.fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig><cachedir>$prefix.fontconfig-cache</cachedir></fontconfig>
CONF
export FONTCONFIG_FILE="$prefix.fonts.conf"
export DQ_PANEL_REFERENCE="Z:$prefix.reference"
if [ "$reference" = 1 ]; then
  rm -rf "$prefix.reference" && mkdir -p "$prefix.reference"
  DQ_PANEL_RECORD=1 WINEPREFIX="$source_prefix" "$ROOT/scripts/wine-run.sh" "$program" --gtest_filter="$filter"
fi
WINEPREFIX="$prefix" "$ROOT/scripts/wine-run.sh" "$program" --gtest_filter="$filter"
