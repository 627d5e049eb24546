#!/bin/bash
# Every way a render can be asked wrongly: one "render:" line on stderr, a
# nonzero exit, and the output folder exactly as it was (an existing output
# kept, no new or temporary file left).
source "$(dirname "$0")/render_test_lib.sh"
FAKES=$(realpath "$3")

sox -r 44100 -n -b 16 -c 2 "$T/in.wav" synth 0.2 sine 440 vol 0.5
echo "not audio" > "$T/garbage.wav"
echo "not a dll" > "$T/text.dll"
mkdir "$T/out"
echo "earlier render" > "$T/out/kept.wav"
echo "earlier render" > "$T/out/kept.flac"

# expect_failure NAME OUTPUT-NAME RENDER-ARGS...
expect_failure() {
  local name=$1 output="$T/out/$2"; shift 2
  local before after err rc
  before=$(cd "$T/out" && ls -A | xargs -r md5sum)
  bash "$RENDER" "$@" "$output" 2>"$T/err" >/dev/null
  rc=$?
  after=$(cd "$T/out" && ls -A | xargs -r md5sum)
  err=$(cat "$T/err")
  if [ $rc -eq 0 ]; then flunk "$name: exit status 0"
  elif [ "$(wc -l <"$T/err")" != 1 ] || [[ "$err" != "render: "* ]]; then flunk "$name: stderr was: $err"
  elif [ "$before" != "$after" ]; then flunk "$name: the output folder changed"
  else pass "$name ($err)"
  fi
}

good=(--plugin "$DLL")
expect_failure "missing input"           kept.wav "${good[@]}" "$T/nothing.wav"
expect_failure "input is a folder"       kept.wav "${good[@]}" "$T/out"
expect_failure "input is not audio"      kept.wav "${good[@]}" "$T/garbage.wav"
sox -r 44100 -n -b 16 -c 3 "$T/three.wav" synth 0.1 sine 300
expect_failure "three channels"          kept.wav "${good[@]}" "$T/three.wav"
expect_failure "output named for another format" kept.flac "${good[@]}" "$T/in.wav"
cp "$T/in.wav" "$T/out/self.wav"
expect_failure "output is the input"     self.wav "${good[@]}" "$T/out/self.wav"
expect_failure "missing input, new output" new.wav "${good[@]}" "$T/nothing.wav"
expect_failure "unknown parameter"       kept.wav "${good[@]}" --set Treshold=0.3 "$T/in.wav"
expect_failure "parameter name case"     kept.wav "${good[@]}" --set threshold=0.3 "$T/in.wav"
expect_failure "value above 1"           kept.wav "${good[@]}" --set Threshold=1.01 "$T/in.wav"
expect_failure "value below 0"           kept.wav "${good[@]}" --set "580 Glue=-0.1" "$T/in.wav"
expect_failure "value not a number"      kept.wav "${good[@]}" --set Ratio=high "$T/in.wav"
expect_failure "value NaN"               kept.wav "${good[@]}" --set Ratio=nan "$T/in.wav"
expect_failure "value empty"             kept.wav "${good[@]}" --set Ratio= "$T/in.wav"
expect_failure "setting without ="       kept.wav "${good[@]}" --set Ratio "$T/in.wav"
expect_failure "display value out of reach" kept.wav "${good[@]}" --set "Threshold=-70 dB" "$T/in.wav"
expect_failure "unit of another parameter" kept.wav "${good[@]}" --set "Threshold=10 ms" "$T/in.wav"
expect_failure "unit for a unitless one" kept.wav "${good[@]}" --set "Bypass=1 dB" "$T/in.wav"
expect_failure "block size 0"            kept.wav "${good[@]}" --block 0 "$T/in.wav"
expect_failure "missing plug-in"         kept.wav --plugin "$T/none.dll" "$T/in.wav"
expect_failure "plug-in is not a DLL"    kept.wav --plugin "$T/text.dll" "$T/in.wav"
expect_failure "DLL without VSTPluginMain" kept.wav --plugin "$FAKES/no_entry.dll" "$T/in.wav"
expect_failure "entry returns null"      kept.wav --plugin "$FAKES/null_entry.dll" "$T/in.wav"
expect_failure "wrong magic"             kept.wav --plugin "$FAKES/bad_magic.dll" "$T/in.wav"
expect_failure "not 2-in 2-out"          kept.wav --plugin "$FAKES/mono_io.dll" "$T/in.wav"
expect_failure "not 2-in 2-out, new output" new.wav --plugin "$FAKES/mono_io.dll" "$T/in.wav"
expect_failure "plug-in crashes"         kept.wav --plugin "$FAKES/crash.dll" "$T/in.wav"
expect_failure "plug-in crashes, new output" new.wav --plugin "$FAKES/crash.dll" "$T/in.wav"

# The host itself reports the same mistakes when driven directly with raw files.
head -c 13 /dev/zero > "$T/odd.raw"
host --in "$T/odd.raw" --out "$T/out/odd.raw" --rate 44100 2>"$T/err"
[ $? -ne 0 ] && [ ! -e "$T/out/odd.raw" ] && grep -q "^render: .*whole 32-bit float stereo frames" "$T/err" &&
  pass "raw input of partial frames is refused" || flunk "partial raw frames: $(cat "$T/err")"

# A render stopped halfway (a signal to the whole process group) leaves nothing behind.
sox -r 44100 -n -b 16 -c 2 "$T/long.wav" synth 300 sine 440 vol 0.5
before=$(ls -A "$T/out")
mkdir "$T/work"
RENDER_TMPDIR="$T/work" setsid bash "$RENDER" "${good[@]}" --block 1 "$T/long.wav" "$T/out/long.wav" 2>/dev/null &
pid=$!
for _ in $(seq 300); do compgen -G "$T/work/*/out.raw.part" >/dev/null && break; sleep 0.02; done
kill -TERM -- -$pid 2>/dev/null
wait $pid
rc=$?
[ $rc -ne 0 ] && [ "$(ls -A "$T/out")" = "$before" ] && [ -z "$(ls -A "$T/work")" ] && pass "an interrupted render leaves no file" ||
  flunk "interrupted render: status $rc, folder now: $(ls -A "$T/out" | tr '\n' ' ')"

finish
