# Sourced by test scripts that need a Wine prefix of their own:
# make_test_prefix PREFIX makes PREFIX, once, a hard-linked copy of the
# project's prefix with its registry files copied for real (Wine rewrites them).
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source_prefix="$ROOT/build/wineprefix"
make_test_prefix() {
  [ -f "$1/system.reg" ] && return 0
  rm -rf "$1"
  cp -al "$source_prefix" "$1"
  for reg in "$1"/*.reg; do cp --remove-destination "$source_prefix/$(basename "$reg")" "$reg"; done
  rm -f "$1/.no-crash-dialog"  # the copied registry may predate the setting
}
