#!/bin/bash
# Renders an audio file through a 64-bit VST 2 plug-in DLL, the way a DAW would,
# with the offline render host (tools/render) under Wine. sox does all the format
# work: input -> raw 32-bit float stereo at the file's own rate (mono becomes two
# equal channels) -> render host -> raw -> OUTPUT in the input's format.
# OUTPUT must carry the input's extension (or none).
#
#   scripts/render.sh [options] INPUT OUTPUT
#   scripts/render.sh --info [--plugin DLL]
#
# options: --plugin DLL         the plug-in (default build/win64/DorlinQuillet.dll)
#          --set NAME=VALUE     set a parameter by its name, VALUE normalised 0..1 (repeatable)
#          --block N            block size (default 512)
#          --process            use the accumulating process() call instead of processReplacing()
#          --bypass             ask the plug-in to bypass itself (host bypass)
# RENDER_HOST names another render_host.exe (default build/win64/render_host.exe);
# RENDER_TMPDIR is where the raw intermediates go (default $TMPDIR or /tmp).
#
# The output is written to a temporary file in its own folder and renamed at the
# end: a failed or interrupted render creates and overwrites nothing. Every error
# is one line on stderr and a nonzero exit status.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HOST_EXE=${RENDER_HOST:-$ROOT/build/win64/render_host.exe}
PLUGIN=$ROOT/build/win64/DorlinQuillet.dll

# The render host runs from / (Wine's drive Z:, the whole Linux tree), so
# absolute Linux paths name the same files for it.
abspath() { case "$1" in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
die() { echo "render: $*" >&2; exit "${status:-1}"; }

info=0
host_args=()
files=()
while [ $# -gt 0 ]; do
  case "$1" in
    --info) info=1 ;;
    --plugin) [ $# -ge 2 ] || status=2 die "--plugin needs a DLL path"; PLUGIN=$2; shift ;;
    --set|--block) [ $# -ge 2 ] || status=2 die "$1 needs a value; see the top of scripts/render.sh"
      host_args+=("$1" "$2"); shift ;;
    --process|--bypass) host_args+=("$1") ;;
    -h|--help) sed -n '2,21p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) status=2 die "unknown option '$1'; see the top of scripts/render.sh" ;;
    *) files+=("$1") ;;
  esac
  shift
done

HOST_EXE=$(abspath "$HOST_EXE")
[ -f "$HOST_EXE" ] || die "render host '$HOST_EXE' is missing; build it with: bash scripts/build.sh"


# Runs the render host. On a terminal its stderr (progress bar, error line)
# goes straight through; otherwise only its own "render:" lines are kept, so
# that an error is still exactly one line.
run_host() {
  if [ -t 2 ]; then
    (cd / && bash "$ROOT/scripts/wine-run.sh" "$HOST_EXE" "$@")
    return
  fi
  local err rc
  err=$(cd / && bash "$ROOT/scripts/wine-run.sh" "$HOST_EXE" "$@" 2>&1 >&3)
  rc=$?
  if [ $rc -ne 0 ]; then
    if grep -q '^render: ' <<<"$err"; then
      grep '^render: ' <<<"$err" | head -1 >&2
    else
      echo "render: the render host failed (status $rc): $(tail -1 <<<"$err"); check the plug-in and try again" >&2
    fi
  fi
  return $rc
} 3>&1

if [ $info = 1 ]; then
  [ ${#files[@]} -eq 0 ] || status=2 die "--info takes no files"
  run_host --plugin "$(abspath "$PLUGIN")" --info
  exit $?
fi

[ ${#files[@]} -eq 2 ] || status=2 die "give one INPUT and one OUTPUT file, e.g. scripts/render.sh in.wav out.wav"
input=${files[0]}
output=${files[1]}

[ -e "$input" ] || die "input file '$input' does not exist; give the path of an audio file"
[ ! -d "$input" ] || die "input '$input' is a folder; give the path of an audio file"
[ -r "$input" ] || die "input file '$input' cannot be read; check its permissions"
if ! rate=$(soxi -r "$input" 2>/dev/null) || ! channels=$(soxi -c "$input" 2>/dev/null); then
  die "sox cannot read '$input' as audio; give a WAV, FLAC, AIFF or another format sox reads"
fi
[ "$channels" -le 2 ] || die "'$input' has $channels channels; give a mono or stereo file"
type=$(soxi -t "$input")
bits=$(soxi -b "$input")
case "$(soxi -e "$input")" in
  "Signed Integer PCM") encoding=(-e signed-integer) ;;
  "Unsigned Integer PCM") encoding=(-e unsigned-integer) ;;
  "Floating Point PCM") encoding=(-e floating-point) ;;
  *) encoding=() ;;
esac
sample_bits=(); [ "${bits:-0}" -gt 0 ] && sample_bits=(-b "$bits")

# The output keeps the input's format, so its name must not promise another one.
in_ext=${input##*/}; in_ext=${in_ext#"${in_ext%.*}"}
out_ext=${output##*/}; out_ext=${out_ext#"${out_ext%.*}"}
if [ -n "$out_ext" ] && [ "${out_ext,,}" != "${in_ext,,}" ]; then
  die "the output keeps the input's format ($type), so name it ${in_ext:-without an extension} rather than $out_ext"
fi

outdir=$(dirname "$output")
[ -d "$outdir" ] || die "output folder '$outdir' does not exist; create it or give another output path"
[ -w "$outdir" ] || die "output folder '$outdir' is not writable; give another output path"
[ ! -d "$output" ] || die "output '$output' is a folder; give a file name"

work=$(mktemp -d -p "${RENDER_TMPDIR:-${TMPDIR:-/tmp}}")
partial=""
cleanup() { rm -rf "$work"; [ -z "$partial" ] || rm -f "$partial" "$partial.part"; }
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

raw=(-t raw -e floating-point -b 32 -L -c 2)
sox -V1 "$input" "${raw[@]}" "$work/in.raw" 2>"$work/sox.err" ||
  die "sox failed to decode '$input': $(head -1 "$work/sox.err"); check the file"

progress=(); [ -t 2 ] && progress=(--progress)
run_host --plugin "$(abspath "$PLUGIN")" --in "$work/in.raw" \
  --out "$work/out.raw" --rate "$rate" "${host_args[@]}" "${progress[@]}" || exit $?
# A host killed from outside may still report success: trust only a complete result.
[ -f "$work/out.raw" ] && [ "$(stat -c %s "$work/out.raw")" = "$(stat -c %s "$work/in.raw")" ] ||
  die "the render stopped before the end; nothing was written, run it again"

partial=$(mktemp "$outdir/.$(basename "$output").XXXXXX") || die "cannot create a file in '$outdir'"
# -D: no dither, so untouched samples come back bit for bit.
sox -V1 -D "${raw[@]}" -r "$rate" "$work/out.raw" -t "$type" "${encoding[@]}" "${sample_bits[@]}" \
  "$partial" 2>"$work/sox.err" ||
  die "sox failed to write the $type output: $(head -1 "$work/sox.err"); try a WAV output"
chmod "$(printf '%o' $((0666 & ~$(umask))))" "$partial"
mv -f "$partial" "$output" || die "cannot rename the finished file to '$output'; check the folder"
partial=""
