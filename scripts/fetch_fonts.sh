#!/bin/bash
# The panel's fonts, into build/fonts (or the folder given): the static Regular
# and Bold TTFs of Inter and Cinzel from npm (SIL Open Font License 1.1). Wine's
# GDI+ finds a family only when its regular face's full name equals the family
# name, so the regular faces are renamed to "Inter" and "Cinzel". The DLL
# embeds these files and the bootstrap installs them into the Wine prefix.
# Exact package versions, so that every build embeds the same bytes. Does
# nothing when all four are there from these versions.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
FONTS=${1:-$ROOT/build/fonts}
PACKAGES=(@expo-google-fonts/inter@0.4.2 @expo-google-fonts/cinzel@0.4.2)
FACES=(Inter-Regular Inter-Bold Cinzel-Regular Cinzel-Bold)
ready=1
for face in "${FACES[@]}"; do [ -f "$FONTS/$face.ttf" ] || ready=0; done
[ "$ready" = 1 ] && [ "$(cat "$FONTS/ready" 2>/dev/null)" = "${PACKAGES[*]}" ] && exit 0

rm -f "$FONTS/ready"
mkdir -p "$FONTS"
(cd "$FONTS" && npm install --silent --no-audit --no-fund --save-exact --prefix "$FONTS" \
    "${PACKAGES[@]}" >/dev/null)
find_ttf() { find "$FONTS/node_modules/@expo-google-fonts/$1" -name "$2" | head -1; }
cp "$(find_ttf inter Inter_400Regular.ttf)" "$FONTS/Inter-Regular.ttf"
cp "$(find_ttf inter Inter_700Bold.ttf)" "$FONTS/Inter-Bold.ttf"
cp "$(find_ttf cinzel Cinzel_400Regular.ttf)" "$FONTS/Cinzel-Regular.ttf"
cp "$(find_ttf cinzel Cinzel_700Bold.ttf)" "$FONTS/Cinzel-Bold.ttf"
/usr/bin/python3 "$ROOT/scripts/fix_font_names.py" "$FONTS/Inter-Regular.ttf" Inter
/usr/bin/python3 "$ROOT/scripts/fix_font_names.py" "$FONTS/Cinzel-Regular.ttf" Cinzel
echo "${PACKAGES[*]}" >"$FONTS/ready"
