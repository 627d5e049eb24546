#!/bin/bash
# Installs everything the build, tests and demo need on a fresh Debian 12
# machine, and prepares the project's own Wine prefix with the panel's fonts.
# Idempotent, and quiet when everything is already in place.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

PACKAGES=(
  cmake g++ make pkg-config git
  g++-mingw-w64-x86-64-posix
  wine64 xvfb
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  python3 python3-fonttools python3-soundfile
  sox libsox-fmt-all gnuplot-nox
  liblilv-dev lilv-utils x42-plugins lsp-plugins-lv2 calf-plugins
  lv2-dev sordi
  dpf-source
  nsis lintian dpkg-dev file
  g++-aarch64-linux-gnu qemu-user python3-mpmath
  libcairo2-dev libfreetype-dev python3-numpy python3-pil
  libx11-dev libxtst-dev libxres-dev x11-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm may come with a Node.js of the machine's own; Debian's only when absent.
command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The panel's fonts (the DLL embeds them; the prefix below gets them installed).
FONTS="$ROOT/build/fonts"
PREFIX="$ROOT/build/wineprefix"
WINFONTS="$PREFIX/drive_c/windows/Fonts"
bash "$ROOT/scripts/fetch_fonts.sh" "$FONTS"

# The project's own Wine prefix, created once, with the fonts installed.
if [ ! -f "$PREFIX/system.reg" ] || [ ! -f "$WINFONTS/Cinzel-Regular.ttf" ]; then
  echo "bootstrap: preparing the Wine prefix in build/wineprefix"
  "$ROOT/scripts/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver64 -w 2>/dev/null || /usr/lib/wine/wineserver -w 2>/dev/null || true
  mkdir -p "$WINFONTS"
  cp "$FONTS"/Inter-Regular.ttf "$FONTS"/Inter-Bold.ttf "$FONTS"/Cinzel-Regular.ttf \
     "$FONTS"/Cinzel-Bold.ttf "$WINFONTS/"
  "$ROOT/scripts/wine-run.sh" wineboot -u >/dev/null 2>&1 || true
fi
