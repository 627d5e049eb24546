#!/bin/bash
# The LV2 build against the DLL, same input and normalised settings, bit for
# bit: lv2apply against the render host (raw float frames, no converter), then
# output and meter after every block of the two trace programs.
#   identity_with_dll.sh LV2_TRACE BUNDLES_DIR WIN64_DIR
set -euo pipefail
TRACE=$1 WIN=$3
export LV2_PATH=$2
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
RATE=48000
for f in DorlinQuillet.dll render_host.exe dll_trace.exe; do
  [ -f "$WIN/$f" ] || { echo "FAIL: $WIN/$f is missing; build both trees with bash scripts/build.sh"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$HERE/wav_raw.py" make "$work" $RATE

# -30 dB, 12:1, 8 ms, 250 ms, 40 %, 120 Hz, +6 dB, 90 %, processing: each the
# normalised value that the LV2 port value maps to.
V=(0.166666672 0.567567587 0.514017582 0.441492081 0.400000006 0.5 0.300000012 0.899999976 0)
NAMES=(Threshold Ratio Attack Release "580 Glue" "Bass Armor" Makeup Mix Bypass)
sets=()
for i in "${!V[@]}"; do sets+=(--set "${NAMES[$i]}=${V[$i]}"); done
wine() { (cd / && bash "$HERE/../../scripts/wine-run.sh" "$@"); }

mapfile -t controls < <("$TRACE" --controls "${V[@]}" | tr ' ' '\n')
lv2apply -i "$work/in.wav" -o "$work/lv2.wav" "${controls[@]}" http://dorlin-audio.example/plugins/quillet
python3 "$HERE/wav_raw.py" data "$work/lv2.wav" "$work/lv2apply.raw"
wine "$WIN/render_host.exe" --plugin "$WIN/DorlinQuillet.dll" --in "$work/in.raw" --out "$work/render.raw" \
  --rate $RATE --block 1 "${sets[@]}"
cmp "$work/lv2apply.raw" "$work/render.raw" || { echo "FAIL: lv2apply and the render host differ"; exit 1; }
! cmp -s "$work/in.raw" "$work/render.raw" || { echo "FAIL: the setting changed nothing"; exit 1; }

for block in 1 37 4096; do
  "$TRACE" $block $RATE "$work/in.raw" "$work/lv2.raw" "$work/lv2.meters" "${V[@]}"
  wine "$WIN/dll_trace.exe" $block $RATE "$work/in.raw" "$work/dll.raw" "$work/dll.meters" "${V[@]}"
  cmp "$work/lv2.raw" "$work/dll.raw" && cmp "$work/lv2.raw" "$work/render.raw" ||
    { echo "FAIL: block $block output differs"; exit 1; }
  cmp "$work/lv2.meters" "$work/dll.meters" || { echo "FAIL: block $block meters differ"; exit 1; }
  python3 -c "import struct,sys; m=open(sys.argv[1],'rb').read(); sys.exit(max(struct.unpack('<%df'%(len(m)//4),m))<3)" \
    "$work/lv2.meters" || { echo "FAIL: the meter never moved"; exit 1; }
done
echo "LV2 build and DLL agree bit for bit: lv2apply/render host, and output and meters at blocks 1, 37, 4096"
