#!/bin/bash
# The editor picture of the main job: the real DLL's editor, 840 x 520, with
# more than a blank panel in it, the README's pictures, and a clear failure
# for a plug-in that is none.
set -uo pipefail
SNAPSHOT=$(realpath "$1")
DLL=$(realpath "$2")
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
failures=0
snap() { (cd / && bash "$ROOT/scripts/wine-run.sh" "$SNAPSHOT" "$@"); }

snap --plugin "$DLL" --out "$T/editor.png" --set Threshold=0.2
python3 - "$T/editor.png" <<'PY' && echo "ok   editor picture is an 840x520 PNG with a painted panel" || { echo "FAIL editor picture"; failures=1; }
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
width, height = struct.unpack('>II', data[16:24])
assert (width, height) == (840, 520), (width, height)
pos, idat = 8, b''
while pos < len(data):
    length, kind = struct.unpack('>I4s', data[pos:pos + 8])
    if kind == b'IDAT':
        idat += data[pos + 8:pos + 8 + length]
    pos += 12 + length
# A painted panel has many distinct byte values; a blank one a handful.
assert len(set(zlib.decompress(idat))) > 64, 'the picture looks blank'
PY

# The README's pictures are the editor as it paints now, at 100 % and 200 %,
# byte for byte (a change that is meant redraws them: cmake --build build/win64
# --target docs_editor_png).
for scale in 1 2; do
  picture=editor.png; [ "$scale" = 1 ] || picture=editor-${scale}00.png
  snap --plugin "$DLL" --scale "$scale" --out "$T/$picture" && cmp -s "$T/$picture" "$ROOT/docs/$picture" &&
    echo "ok   docs/$picture is the editor as it paints now" || { echo "FAIL docs/$picture differs"; failures=1; }
done

echo "not a dll" > "$T/text.dll"
snap --plugin "$T/text.dll" --out "$T/none.png" 2>"$T/err"
[ $? -ne 0 ] && [ ! -e "$T/none.png" ] && grep -q "^editor_snapshot: " "$T/err" &&
  echo "ok   no picture from a file that is not a plug-in" || { echo "FAIL not a plug-in: $(cat "$T/err")"; failures=1; }
exit $failures
