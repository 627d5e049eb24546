#!/bin/bash
# Round trips through the real DLL with the offline render host and the wrapper:
# what must come back unchanged, clipped, or of the same length.
source "$(dirname "$0")/render_test_lib.sh"

# --- the parameter table as the host sees it
info=$(bash "$RENDER" --plugin "$DLL" --info)
names=$(awk '/^index/{on=1;next} on{print substr($0, 8, 16)}' <<<"$info" | sed 's/ *$//' | paste -sd,)
[ "$names" = "Threshold,Ratio,Attack,Release,580 Glue,Bass Armor,Makeup,Mix,Bypass" ] &&
  pass "--info lists the nine parameters" || flunk "--info names: $names"
grep -q "^effect: *Dorlin Quillet$" <<<"$info" && grep -q "^vendor version: *1000$" <<<"$info" &&
  pass "--info names the effect and its version" || flunk "--info header: $info"

# --- raw level: awkward floats (beyond full scale, at the output ceiling, tiny,
# denormal, NaN, Inf)
CEILING=$(sed -n 's/^constexpr double kOutputCeiling = \(.*\);$/\1/p' "$ROOT/dsp/engine_constants.h")
py "
vals = [1.5, -1.5, 1.0, -1.0, 0.99, -0.99, $CEILING, -$CEILING, 0.5, 1e-30, 0.0, -0.0]
random.seed(5)
vals += [random.uniform(-1.6, 1.6) for _ in range(20000 - len(vals))]
array.array('f', vals).tofile(open('$T/wild.raw', 'wb'))
# The engine may flush denormals to zero; a bypassed block must not.
specials = array.array('f', vals)
specials[100] = float('nan'); specials[101] = float('inf'); specials[102] = float('-inf')
specials[103] = -1e-42; specials[104] = 1e-40
specials.tofile(open('$T/special.raw', 'wb'))"

for slot in "" --process; do
  host --in "$T/wild.raw" --out "$T/mix0.raw" --rate 44100 --set Mix=0 --set Makeup=0 $slot
  py "
x = array.array('f'); x.frombytes(open('$T/wild.raw', 'rb').read())
y = array.array('f'); y.frombytes(open('$T/mix0.raw', 'rb').read())
c = $CEILING
want = array.array('f', [v if -c < v < c else (c if v > 0 else -c) for v in x])
sys.exit(0 if y.tobytes() == want.tobytes() else 1)" &&
    pass "Mix 0, Makeup 0 returns the input clipped to +-$CEILING ${slot:-(processReplacing)}" ||
    flunk "Mix 0, Makeup 0 is not the clipped input ${slot:-(processReplacing)}"

  host --in "$T/special.raw" --out "$T/bypass.raw" --rate 44100 --bypass $slot
  cmp -s "$T/special.raw" "$T/bypass.raw" &&
    pass "host bypass returns the input bit for bit ${slot:-(processReplacing)}" ||
    flunk "host bypass changed the input ${slot:-(processReplacing)}"
done

# --- through the wrapper and sox: lengths, formats, mono
sox -r 44100 -n -b 16 -c 2 "$T/beat.wav" synth 10007s sine 55 pinknoise vol 0.9
sox -r 48000 -n -b 24 -c 2 "$T/short.flac" synth 1000s square 110 vol 0.7
for block in 1 333 4096; do
  bash "$RENDER" --plugin "$DLL" --block $block "$T/beat.wav" "$T/beat-$block.wav"
  [ "$(soxi -s "$T/beat-$block.wav")" = 10007 ] && pass "block $block keeps 10007 frames" ||
    flunk "block $block gives $(soxi -s "$T/beat-$block.wav" 2>&1) frames, not 10007"
  bash "$RENDER" --plugin "$DLL" --block $block "$T/short.flac" "$T/short-$block.flac"
  [ "$(soxi -s "$T/short-$block.flac")" = 1000 ] && [ "$(soxi -r "$T/short-$block.flac")" = 48000 ] &&
    [ "$(soxi -b "$T/short-$block.flac")" = 24 ] && pass "block $block keeps a 24-bit FLAC's length and format" ||
    flunk "block $block changed the FLAC: $(soxi "$T/short-$block.flac" 2>&1 | tr '\n' ' ')"
done
# The engine reads its parameters once per block and works sample by sample,
# so the block size must not change a single sample.
cmp -s "$T/beat-1.wav" "$T/beat-333.wav" && cmp -s "$T/beat-1.wav" "$T/beat-4096.wav" &&
  pass "block sizes 1, 333 and 4096 give identical audio" || flunk "the block size changes the audio"

bash "$RENDER" --plugin "$DLL" --process --block 333 "$T/beat.wav" "$T/beat-process.wav"
cmp -s "$T/beat-333.wav" "$T/beat-process.wav" && pass "process() and processReplacing() agree" ||
  flunk "process() and processReplacing() differ"

bash "$RENDER" --plugin "$DLL" --bypass "$T/beat.wav" "$T/beat-bypass.wav"
samples "$T/beat.wav" "$T/a.raw"; samples "$T/beat-bypass.wav" "$T/b.raw"
cmp -s "$T/a.raw" "$T/b.raw" && pass "host bypass through a 16-bit WAV is bit for bit" ||
  flunk "host bypass through a 16-bit WAV changed samples"

sox -r 44100 -n -b 16 -c 1 "$T/mono.wav" synth 0.5 sine 98 vol 0.9 fade 0 0.5 0.4
bash "$RENDER" --plugin "$DLL" "$T/mono.wav" "$T/mono-out.wav"
sox -V1 "$T/mono-out.wav" -t raw -e floating-point -b 32 "$T/left.raw" remix 1
sox -V1 "$T/mono-out.wav" -t raw -e floating-point -b 32 "$T/right.raw" remix 2
[ "$(soxi -c "$T/mono-out.wav")" = 2 ] && cmp -s "$T/left.raw" "$T/right.raw" && [ -s "$T/left.raw" ] &&
  pass "mono input gives two equal channels" || flunk "mono input does not give two equal channels"
bash "$RENDER" --plugin "$DLL" --bypass "$T/mono.wav" "$T/mono-bypass.wav"
sox -V1 "$T/mono-bypass.wav" -t raw -e floating-point -b 32 "$T/left.raw" remix 1
samples "$T/mono.wav" "$T/m.raw"
cmp -s "$T/m.raw" "$T/left.raw" && pass "mono input is duplicated unchanged" ||
  flunk "mono input was altered on its way to the plug-in"

# --- values in display units, against the plug-in's own texts
# The table's columns: name, label, display text, normalised value, range.
table() { bash "$RENDER" --plugin "$DLL" --info "$@" |
  awk '/^index/{on=1;next} on{printf "%s|%s|%s|%s|%s\n", substr($0,8,16), substr($0,25,8), substr($0,34,15), substr($0,50,9), substr($0,60)}' |
  sed 's/ *|/|/g'; }
shown=$(table --set "Threshold=-24 dB" --set Ratio=4:1 --set "Attack=10 ms" --set "Release=300ms" \
  --set "Makeup=+4 dB" --set "Mix=50 %" --set "Bass Armor=84 hz" | cut -d'|' -f1,3 | paste -sd,)
[ "$shown" = "Threshold|-24.0,Ratio|4.0,Attack|10.0,Release|300,580 Glue|65,Bass Armor|84,Makeup|+4.0,Mix|50,Bypass|0" ] &&
  pass "display values land on the texts asked for" || flunk "display values: $shown"
grep -q "^Threshold|dB|-36.0|0.000000|-36.0 .. 0.0 dB$" <<<"$(table --set Threshold=0)" &&
  grep -q "^Ratio|:1|.*|1.5 .. 20.0:1$" <<<"$(table)" && pass "--info shows each range in display units" ||
  flunk "ranges: $(table | cut -d'|' -f1,5 | paste -sd,)"
# Whatever any parameter shows at a normalised value, asked for as a display
# value, it shows again, and lands in the middle of the values that show it.
for v in 0 0.137 0.5 0.91 1; do
  sets=(); for p in Threshold Ratio Attack Release "580 Glue" "Bass Armor" Makeup Mix; do sets+=(--set "$p=$v"); done
  table "${sets[@]}" | grep -v '^Bypass' >"$T/direct"
  sets=(); while IFS='|' read -r name label display _; do sets+=(--set "$name=$display $label"); done <"$T/direct"
  table "${sets[@]}" | grep -v '^Bypass' >"$T/again"
  cut -d'|' -f1-3 "$T/direct" | cmp -s - <(cut -d'|' -f1-3 "$T/again") &&
    pass "every display text at $v comes back through its display value" ||
    flunk "display round trip at $v: $(diff <(cut -d'|' -f1-3 "$T/direct") <(cut -d'|' -f1-3 "$T/again") | tr '\n' ' ')"
done
# Another maker's habits: the unit only in the display text, a log curve, "-inf" at 0.
fake=$(bash "$RENDER" --plugin "$(realpath "$3")/crash.dll" --info --set "Gain=-12 dB" | grep '^    0')
grep -q "Gain  *-12.00 dB  *0.2511[0-9]*  *-48.16 dB .. +0.00 dB$" <<<"$fake" &&
  pass "display values of a plug-in with the unit in its display text" || flunk "text units: $fake"
py "
import sys
want = {'Threshold': (-24.0 + 36) / 36, 'Ratio': (4 - 1.5) / 18.5, 'Mix': 0.5}
got = {line.split('|')[0]: float(line.split('|')[3]) for line in sys.stdin.read().splitlines()}
sys.exit(0 if all(abs(got[k] - v) < 2e-4 for k, v in want.items()) else 1)" <<<"$(table --set 'Threshold=-24 dB' --set Ratio=4:1 --set Mix=50%)" &&
  pass "display values sit in the middle of their display step" || flunk "display values off the middle"

finish
