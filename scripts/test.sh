#!/bin/bash
# Sets up, builds both trees and runs every test (native and under Wine) with
# one ctest. Extra arguments go to ctest (e.g. -R native.).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
# Build problems are shown here; the run still ends with ctest's summary line.
bash scripts/build.sh
ctest --test-dir build -j"$(nproc)" --output-on-failure "$@"
