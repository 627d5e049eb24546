#!/bin/bash
# Renders audio files through a 64-bit VST 2 plug-in DLL the way a DAW would:
# the file front end tools/render/render_files.py (libsndfile) with one offline
# render host (tools/render) under Wine. `--help` shows the options.
#
#   scripts/render.sh [options] INPUT OUTPUT
#   scripts/render.sh [options] FILE... OUTDIR/
#   scripts/render.sh --info [--plugin DLL]
exec /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/../tools/render/render_files.py" "$@"
