# Shared by the render test scripts: paths, a scratch folder, and checks.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
export RENDER_HOST=$(realpath "$1")
DLL=$(realpath "$2")
RENDER="$ROOT/scripts/render.sh"
WINE_RUN="$ROOT/scripts/wine-run.sh"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
failures=0

pass() { echo "ok   $*"; }
flunk() { echo "FAIL $*"; failures=$((failures + 1)); }
finish() { [ $failures -eq 0 ] && echo "all passed" || echo "$failures failed"; exit $((failures > 0)); }

# Runs the render host directly (raw files), from / like the wrapper does.
host() { (cd / && bash "$WINE_RUN" "$RENDER_HOST" --plugin "$DLL" "$@"); }

# Writes raw 32-bit float stereo frames from a Python expression list.
py() { /usr/bin/python3 -c "import array, math, random, struct, sys
$1"; }

# Sample data of an audio file as raw 32-bit float (any channels).
samples() { sox -V1 "$1" -t raw -e floating-point -b 32 -L "$2"; }
