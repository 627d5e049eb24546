#!/bin/bash
# Runs the editor's display-scale tests in a prefix of their own at 96, 120,
# 144 and 192 DPI (LogPixels, which each new process reads); the project's
# prefix is never touched.
#   editor_dpi.sh PROGRAM PREFIX
set -uo pipefail
program=$1 prefix=$2
source "$(dirname "${BASH_SOURCE[0]}")/test_prefix.sh"
make_test_prefix "$prefix" || exit 1
status=0
for dpi in 96 120 144 192; do
  echo "== LogPixels $dpi"
  WINEPREFIX="$prefix" "$ROOT/scripts/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d "$dpi" /f >/dev/null || exit 1
  DQ_TEST_DPI=$dpi WINEPREFIX="$prefix" "$ROOT/scripts/wine-run.sh" "$program" || status=1
done
exit $status
