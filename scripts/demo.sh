#!/bin/bash
# The main job: sets up, builds the DLL, and shows it working end to end.
# Into out/: the demo clip (made here if missing) rendered with the default
# settings and with a heavy-glue setting, the editor picture from the real DLL,
# and three plots measured through the DLL (static curve, the clip before and
# after with its gain reduction, program-dependent release).
# DEMO_WIN_BUILD names an already built win64 tree to use instead of building.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
if [ -n "${DEMO_WIN_BUILD:-}" ]; then
  BUILD=$(cd "$DEMO_WIN_BUILD" && pwd)
else
  bash scripts/build.sh
  BUILD=$ROOT/build/win64
  # A tree configured before the tools existed learns about them here.
  if [ ! -f "$BUILD/render_host.exe" ] || [ ! -f "$BUILD/editor_snapshot.exe" ]; then
    cmake -S "$ROOT" -B "$BUILD" >/dev/null
    cmake --build "$BUILD" -j2 --target render_host editor_snapshot >/dev/null
  fi
fi
DLL=$BUILD/DorlinQuillet.dll
export RENDER_HOST=$BUILD/render_host.exe
DEMO=$ROOT/tools/render/demo
OUT=$ROOT/out
mkdir -p "$OUT"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
step() { echo "demo: $*"; }

raw_to_wav() { sox -V1 -t raw -e floating-point -b 32 -L -c 2 -r 44100 "$1" "${@:2}"; }
wav_to_raw() { sox -V1 "$1" -t raw -e floating-point -b 32 -L "$2"; }
# Raw test signals go straight through the render host (same DLL, no file formats).
render_raw() {
  local in=$1 out=$2; shift 2
  (cd / && bash "$ROOT/scripts/wine-run.sh" "$RENDER_HOST" --plugin "$DLL" --rate 44100 \
    --in "$in" --out "$out" "$@")
}

if [ ! -f "$OUT/demo-clip.wav" ]; then
  step "making the demo clip (drums over a bass line, 6 s)"
  python3 "$DEMO/demo_signals.py" clip "$WORK/clip.raw"
  raw_to_wav "$WORK/clip.raw" -b 16 "$OUT/demo-clip.wav"
fi

# Heavy glue. Settings are in the plug-in's units, the ends of a range the
# normalised 0 and 1: a display value is the middle of the values that show it
# (100 % glue would be 0.9975).
HEAVY_GLUE=(--set "Threshold=-30 dB" --set Ratio=8:1 --set "Attack=10 ms" --set "Release=300 ms"
            --set "580 Glue=1" --set "Makeup=+4 dB")
step "rendering the clip with the default settings and with heavy glue"
bash scripts/render.sh --plugin "$DLL" "$OUT/demo-clip.wav" "$OUT/demo-clip-default.wav"
bash scripts/render.sh --plugin "$DLL" "${HEAVY_GLUE[@]}" "$OUT/demo-clip.wav" "$OUT/demo-clip-heavy-glue.wav"

step "capturing the editor"
(cd / && bash "$ROOT/scripts/wine-run.sh" "$BUILD/editor_snapshot.exe" --plugin "$DLL" --out "$OUT/editor.png")

step "measuring the static curve"
python3 "$DEMO/demo_signals.py" steps "$WORK/steps.raw"
for ratio in 1.5=0 4=4:1 20=1; do  # the ratio, and how it is set
  for glue in 0 100; do
    name=curve-r${ratio%%=*}-g$glue
    render_raw "$WORK/steps.raw" "$WORK/$name.raw" --set Ratio="${ratio#*=}" \
      --set "580 Glue=$((glue / 100))" --set Makeup=0
    python3 "$DEMO/measure.py" curve "$WORK/steps.raw" "$WORK/$name.raw" >"$WORK/$name.dat"
  done
done
gnuplot -e "dir='$WORK'; out='$OUT/static-curve.png'" "$DEMO/static_curve.gp"

step "plotting the clip before and after"
wav_to_raw "$OUT/demo-clip.wav" "$WORK/clip-in.raw"
wav_to_raw "$OUT/demo-clip-default.wav" "$WORK/clip-default.raw"
wav_to_raw "$OUT/demo-clip-heavy-glue.wav" "$WORK/clip-glue.raw"
python3 "$DEMO/measure.py" envelope "$WORK/clip-in.raw" 4 >"$WORK/env-input.dat"
python3 "$DEMO/measure.py" envelope "$WORK/clip-default.raw" 4 >"$WORK/env-default.dat"
python3 "$DEMO/measure.py" envelope "$WORK/clip-glue.raw" 4 >"$WORK/env-glue.dat"
python3 "$DEMO/measure.py" gain "$WORK/clip-in.raw" "$WORK/clip-default.raw" 5 4 >"$WORK/gr-default.dat"
python3 "$DEMO/measure.py" gain "$WORK/clip-in.raw" "$WORK/clip-glue.raw" 4 4 >"$WORK/gr-glue.dat"
gnuplot -e "dir='$WORK'; out='$OUT/demo-clip.png'" "$DEMO/clip.gp"

step "measuring the program-dependent release"
# No glue, no make-up.
for kind in sparse dense; do
  python3 "$DEMO/demo_signals.py" release $kind "$WORK/release-$kind.raw"
  render_raw "$WORK/release-$kind.raw" "$WORK/release-$kind-out.raw" --set "Threshold=-9 dB" \
    --set Ratio=7:1 --set "Release=259 ms" --set "580 Glue=0" --set Makeup=0
  python3 "$DEMO/measure.py" gain "$WORK/release-$kind.raw" "$WORK/release-$kind-out.raw" 0 2 1.7 \
    >"$WORK/release-$kind.dat"
done
gnuplot -e "dir='$WORK'; out='$OUT/release.png'; lead=0.3" "$DEMO/release.gp"

step "done; in $OUT:"
ls -1 "$OUT"
