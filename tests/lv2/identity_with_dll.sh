#!/bin/bash
# The LV2 build against the DLL, same input and normalised settings, bit for
# bit: lv2apply against the render host (raw float frames, no converter), then
# the meter after every block at several block sizes.
#   identity_with_dll.sh LV2_TRACE BUNDLES_DIR WIN64_DIR
set -euo pipefail
TRACE=$1 WIN=$3
export LV2_PATH=$2
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
for f in DorlinQuillet.dll render_host.exe dll_trace.exe; do
  [ -f "$WIN/$f" ] || fail "$WIN/$f is missing; build both trees with bash scripts/build.sh"
done
wine() { (cd / && bash "$HERE/../../scripts/wine-run.sh" "$@"); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$HERE/wav_raw.py" make "$work" 48000

# The setting as port values in units: -30 dB, 12:1, 8 ms, 250 ms, 40 %,
# 120 Hz, +6 dB, 90 %, enabled. The DLL gets the normalised values the LV2
# build takes from them.
PORTS=(-30 12 8 250 40 120 6 90 1)
{ read -ra controls; read -ra V; } < <("$TRACE" --setting "${PORTS[@]}")
NAMES=(Threshold Ratio Attack Release "580 Glue" "Bass Armor" Makeup Mix Bypass)
[ ${#V[@]} = ${#NAMES[@]} ] || fail "no normalised values for the setting"
sets=()
for i in "${!V[@]}"; do sets+=(--set "${NAMES[$i]}=${V[$i]}"); done
lv2apply -i "$work/in.wav" -o "$work/lv2.wav" "${controls[@]}" http://dorlin-audio.example/plugins/quillet
python3 "$HERE/wav_raw.py" data "$work/lv2.wav" "$work/lv2.raw"
wine "$WIN/render_host.exe" --plugin "$WIN/DorlinQuillet.dll" --in "$work/in.raw" --out "$work/dll.raw" \
  --rate 48000 --block 1 "${sets[@]}"
cmp "$work/lv2.raw" "$work/dll.raw" || fail "lv2apply and the render host differ"
! cmp -s "$work/in.raw" "$work/dll.raw" || fail "the setting changed nothing"

for block in 1 37 4096; do
  "$TRACE" $block 48000 "$work/in.raw" "$work/lv2.meters" "${V[@]}"
  wine "$WIN/dll_trace.exe" $block 48000 "$work/in.raw" "$work/dll.meters" "${V[@]}"
  cmp "$work/lv2.meters" "$work/dll.meters" || fail "meters differ at block $block"
done
echo "LV2 build and DLL agree bit for bit (lv2apply/render host; meters at blocks 1, 37, 4096)"
