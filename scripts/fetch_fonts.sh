#!/bin/bash
# fetch_fonts.sh [FONTS [SOURCE]]
# The panel's fonts, into the folder FONTS (the build tree's fonts/; the
# bootstrap's build/fonts by default): the static Regular and Bold TTFs of
# Inter and Cinzel (SIL Open Font License 1.1), from npm, or, offline, from
# the folder SOURCE, which holds the released files (Inter_400Regular.ttf and
# the others below, anywhere under it: an unpacked npm package will do). Wine's GDI+ finds a
# family only when its regular face's full name equals the family name, so the
# regular faces are renamed to "Inter" and "Cinzel". The modules embed these
# files and the bootstrap installs them into the Wine prefix. Exact package
# versions, and each face as fetched checked against its pinned SHA-256: every
# build embeds the same bytes, and a changed download stops it. Does nothing
# when all four are there from these versions and sums.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
FONTS=${1:-$ROOT/build/fonts}
SOURCE=${2:-}
PACKAGES=(@expo-google-fonts/inter@0.4.2 @expo-google-fonts/cinzel@0.4.2)
FACES=(Inter-Regular Inter-Bold Cinzel-Regular Cinzel-Bold)
SHA256=(
  a414b48aa577ef2c62ebb135341ddeef33ee26a4f5dc9f787f93c1aab08ebb50  # Inter_400Regular.ttf
  fbe825cbfc749317f57a1433d3905aa9d3f388732fd29b8e8a36f34845e3bc3e  # Inter_700Bold.ttf
  6e67a440d19a22e7a14631e7fb8efb71cdf43fde8adf040b7935ac2b38519ab0  # Cinzel_400Regular.ttf
  f606ab3a8a0a75863022676ea496478bb0f4d520ae8c40b6050df3d6dbffad20  # Cinzel_700Bold.ttf
)
ready=1
for face in "${FACES[@]}"; do [ -f "$FONTS/$face.ttf" ] || ready=0; done
[ "$ready" = 1 ] && [ "$(cat "$FONTS/ready" 2>/dev/null)" = "${PACKAGES[*]} ${SHA256[*]}" ] && exit 0

rm -f "$FONTS/ready" "$FONTS"/*.ttf
mkdir -p "$FONTS"
if [ -n "$SOURCE" ]; then
  FROM="the folder $SOURCE"
else
  FROM="${PACKAGES[*]}"
  (cd "$FONTS" && npm install --silent --no-audit --no-fund --save-exact --prefix "$FONTS" \
      "${PACKAGES[@]}" >/dev/null)
  SOURCE=$FONTS/node_modules/@expo-google-fonts
fi
RELEASED=(Inter_400Regular.ttf Inter_700Bold.ttf Cinzel_400Regular.ttf Cinzel_700Bold.ttf)
refuse() { rm -f "$FONTS"/*.ttf; echo "fetch_fonts: $*" >&2; exit 1; }
for i in "${!FACES[@]}"; do
  found=$(find -L "$SOURCE" -name "${RELEASED[$i]}" -type f 2>/dev/null | sort | head -1)
  [ -n "$found" ] || refuse "no ${RELEASED[$i]} in $FROM"
  cp "$found" "$FONTS/${FACES[$i]}.ttf"
  sum=$(sha256sum "$FONTS/${FACES[$i]}.ttf" | cut -d' ' -f1)
  [ "$sum" = "${SHA256[$i]}" ] || refuse "${FACES[$i]}.ttf from $FROM has SHA-256 $sum," \
      "not the pinned ${SHA256[$i]}: it is not the font the build was made with"
done
/usr/bin/python3 "$ROOT/scripts/fix_font_names.py" "$FONTS/Inter-Regular.ttf" Inter
/usr/bin/python3 "$ROOT/scripts/fix_font_names.py" "$FONTS/Cinzel-Regular.ttf" Cinzel
echo "${PACKAGES[*]} ${SHA256[*]}" >"$FONTS/ready"
