#!/bin/bash
# A packager's build of both trees: tests off, every test-only package
# (GoogleTest, lilv, Xtst, XRes, google-benchmark) unfindable or refused, no
# network. Both configure and register no test; the native tree builds its
# font faces from a folder of released faces with npm failing.
set -euo pipefail
SOURCE=$1 WORK=$2/tests-off RELEASED=${3:-$2/fonts/node_modules/@expo-google-fonts}
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$WORK" && mkdir -p "$WORK/bin"
# No network: npm fails, and pkg-config knows no lilv.
printf '#!/bin/sh\necho "npm: no network" >&2; exit 1\n' >"$WORK/bin/npm"
printf '#!/bin/sh\ncase " $* " in *" lilv-0 "*) exit 1;; esac\nexec pkg-config "$@"\n' >"$WORK/bin/pkg-config-no-lilv"
chmod +x "$WORK/bin"/*
# Xtst and XRes come with libX11's headers: any use of them is refused.
cat >"$WORK/refuse.cmake" <<'CMAKE'
macro(target_link_libraries)
  if("${ARGN}" MATCHES "X11::(Xtst|XRes)|benchmark::")
    message(FATAL_ERROR "a test-only package is used: ${ARGV}")
  endif()
  _target_link_libraries(${ARGV})
endmacro()
CMAKE
NO_TEST_PACKAGES=(-DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
  -DGOOGLETEST_SOURCE_DIR=/nonexistent -DCMAKE_PROJECT_INCLUDE="$WORK/refuse.cmake" -DDQ_FONT_DIR="$RELEASED")
export PATH=$WORK/bin:$PATH PKG_CONFIG=$WORK/bin/pkg-config-no-lilv
for tree in native win64; do
  toolchain=()
  [ "$tree" = win64 ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$SOURCE/cmake/mingw-w64.cmake")
  cmake -S "$SOURCE" -B "$WORK/$tree" "${toolchain[@]}" "${NO_TEST_PACKAGES[@]}" >"$WORK/$tree.log" 2>&1 ||
    { cat "$WORK/$tree.log"; fail "$tree: configure with tests off failed"; }
  [ ! -f "$WORK/$tree/CTestTestfile.cmake" ] || fail "$tree: tests registered with tests off"
done
cmake --build "$WORK/native" --target panel_fonts >"$WORK/fonts.log" 2>&1 ||
  { cat "$WORK/fonts.log"; fail "the faces were not built offline"; }
for face in "$2"/fonts/*.ttf; do cmp "$face" "$WORK/native/fonts/${face##*/}" || fail "offline ${face##*/} differs"; done
echo "tests off: both trees configure without the test-only packages; the faces build offline"
