#!/bin/bash
# The main job: sets up and builds the DLL.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
bash scripts/build.sh
