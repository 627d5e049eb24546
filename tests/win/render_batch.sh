#!/bin/bash
# Batches: bad files among good ones are reported one line each and skipped,
# every file gets a fresh plug-in instance, outputs are never inputs and are
# not replaced without --overwrite, a plug-in failing partway costs only its
# files, and an interrupted batch leaves nothing behind.
source "$(dirname "$0")/render_test_lib.sh"
FAKES=$(realpath "$3")
mkdir "$T/in" "$T/in2" "$T/out" "$T/work"

py "
import numpy as np, soundfile as sf
rng = np.random.default_rng(11)
sf.write('$T/in/loud.wav', rng.uniform(-1, 1, (44100, 2)), 44100, subtype='PCM_16')
t = np.arange(30000) / 44100
sf.write('$T/in/quiet.wav', np.stack([0.3 * np.sin(2 * np.pi * 220 * t)] * 2, 1), 44100, subtype='PCM_24')
sf.write('$T/in2/quiet.wav', np.zeros((100, 2)), 44100)
sf.write('$T/in/three.wav', np.zeros((100, 3)), 44100)
for kind in ('wav', 'w64', 'rf64'):
    sf.write('$T/in/whole.' + kind, rng.uniform(-1, 1, (20000, 2)), 44100, subtype='PCM_16', format=kind.upper())
    data = open('$T/in/whole.' + kind, 'rb').read()
    open('$T/in/cut.' + kind, 'wb').write(data[:len(data) // 2])
open('$T/in/garbage.wav', 'w').write('not audio')
open('$T/in/empty.wav', 'w').close()"
sox -n -r 44100 -c 2 "$T/in/layer2.mp2" synth 0.3 sine 440  # libsndfile reads it, cannot write it
I=$T/in
bash "$RENDER" --plugin "$DLL" "$I/loud.wav" "$I/garbage.wav" "$I/quiet.wav" "$I/empty.wav" "$I/cut.wav" \
  "$I/cut.w64" "$I/cut.rf64" "$I/whole.w64" "$I/whole.rf64" "$I/three.wav" "$I/layer2.mp2" "$I/nothing.wav" \
  "$I" "$I/../in/loud.wav" "$T/in2/quiet.wav" "$T/out/" >"$T/summary" 2>"$T/err"
rc=$?
[ $rc -ne 0 ] && grep -qx "rendered 4, skipped 0, failed 11" "$T/summary" && [ "$(grep -c '^render: ' "$T/err")" = 11 ] &&
  [ "$(wc -l <"$T/err")" = 11 ] && [ "$(grep -c 'cut short' "$T/err")" = 3 ] &&
  [ "$(ls -A "$T/out" | tr '\n' ' ')" = "loud.wav quiet.wav whole.rf64 whole.w64 " ] &&
  pass "bad files in the middle: one line each, the good ones rendered, status $rc" ||
  flunk "batch with bad files: status $rc, $(cat "$T/summary"), $(cat "$T/err"), out: $(ls -A "$T/out")"
for what in "empty (0 bytes)" "cut short" "3 channels" "cannot write" "does not exist" "is a folder" "named twice" "both be written"; do
  grep -q "$what" "$T/err" || flunk "no report that says '$what'"
done

# A file rendered after another sounds as if rendered alone: fresh state.
bash "$RENDER" --plugin "$DLL" "$I/quiet.wav" "$T/alone.wav"
samples "$T/alone.wav" "$T/a.raw"; samples "$T/out/quiet.wav" "$T/b.raw"
cmp -s "$T/a.raw" "$T/b.raw" && pass "the second file of a batch equals the file rendered alone" ||
  flunk "state carried over from the file before"

before=$(md5sum "$T/out/"*)
bash "$RENDER" --plugin "$DLL" --bypass "$I/loud.wav" "$I/quiet.wav" "$T/out" >"$T/summary" 2>"$T/err"
rc=$?
[ $rc -eq 0 ] && grep -qx "rendered 0, skipped 2, failed 0" "$T/summary" && [ "$(md5sum "$T/out/"*)" = "$before" ] &&
  pass "existing outputs are kept without --overwrite" || flunk "existing outputs: status $rc, $(cat "$T/summary" "$T/err")"
bash "$RENDER" --plugin "$DLL" --bypass --overwrite "$I/loud.wav" "$T/out/" >"$T/summary" 2>&1
samples "$I/loud.wav" "$T/a.raw"; samples "$T/out/loud.wav" "$T/b.raw"
grep -qx "rendered 1, skipped 0, failed 0" "$T/summary" && cmp -s "$T/a.raw" "$T/b.raw" &&
  pass "--overwrite replaces an output" || flunk "--overwrite: $(cat "$T/summary")"

before=$(md5sum "$I/loud.wav")
bash "$RENDER" --plugin "$DLL" "$I/loud.wav" "$I/" >/dev/null 2>"$T/err"
[ $? -ne 0 ] && [ "$(md5sum "$I/loud.wav")" = "$before" ] && grep -q "would replace an input" "$T/err" &&
  pass "an output that would be an input is refused" || flunk "output onto input: $(cat "$T/err")"
bash "$RENDER" --plugin "$DLL" "$I/loud.wav" "$T/nowhere/" >/dev/null 2>"$T/err"
[ $? -ne 0 ] && [ "$(wc -l <"$T/err")" = 1 ] && [ ! -e "$T/nowhere" ] &&
  pass "a missing output folder is one error line" || flunk "missing output folder: $(cat "$T/err")"

# Plug-ins that fail partway: one refuses its second instance, one crashes every render.
mkdir "$T/fake"
cp "$I/loud.wav" "$T/in2/loud2.wav"
bash "$RENDER" --plugin "$FAKES/refuses_third.dll" "$I/loud.wav" "$I/quiet.wav" "$T/in2/loud2.wav" "$T/fake/" \
  >"$T/summary" 2>"$T/err"
[ $? -ne 0 ] && grep -qx "rendered 2, skipped 0, failed 1" "$T/summary" && grep -q "quiet.wav': .*refused to start" "$T/err" &&
  [ "$(ls "$T/fake" | tr '\n' ' ')" = "loud.wav loud2.wav " ] &&
  pass "a plug-in that fails to start partway costs only that file" || flunk "refusing plug-in: $(cat "$T/summary" "$T/err")"
rm -f "$T/fake/"*
bash "$RENDER" --plugin "$FAKES/crash.dll" "$I/loud.wav" "$I/quiet.wav" "$T/fake/" >"$T/summary" 2>"$T/err"
[ $? -ne 0 ] && grep -qx "rendered 0, skipped 0, failed 2" "$T/summary" && [ "$(grep -c crashed "$T/err")" = 2 ] &&
  [ -z "$(ls -A "$T/fake")" ] && pass "a crashing plug-in fails each file and the batch goes on" ||
  flunk "crashing plug-in: $(cat "$T/summary" "$T/err")"

# Interrupted while the output is being written (a hidden part file in the
# folder), and while the host renders: nothing is left in either place.
py "
import numpy as np, soundfile as sf
sf.write('$T/in2/long.wav', np.random.default_rng(1).uniform(-1, 1, (44100 * 300, 2)), 44100, subtype='PCM_16')"
# Ctrl-C reaches the whole foreground group; SIGTERM too, from a process manager.
for stage in "INT $T/fake/.long.wav.*.part" "TERM $T/work/*/out.raw.part"; do
  signal=${stage%% *}; stage=${stage#* }
  RENDER_TMPDIR="$T/work" setsid bash "$RENDER" --plugin "$DLL" "$T/in2/long.wav" "$T/fake/" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1000); do compgen -G "$stage" >/dev/null && break; sleep 0.01; done
  compgen -G "$stage" >/dev/null || flunk "never saw $stage"
  kill -$signal -- -$pid 2>/dev/null
  wait $pid
  rc=$?
  [ $rc -ne 0 ] && [ -z "$(ls -A "$T/fake")" ] && [ -z "$(ls -A "$T/work")" ] &&
    pass "SIG$signal at ${stage##*/}: status $rc, nothing left" ||
    flunk "SIG$signal at ${stage##*/}: status $rc, left: $(ls -A "$T/fake" "$T/work")"
done
finish
