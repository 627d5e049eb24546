#!/bin/bash
# The .deb and the .tar.gz of the tree given (the native one): made twice by
# cpack with the same bytes; the .deb passes lintian without an error or a
# warning; each holds exactly what the install rules install (plus the Debian
# documentation in the .deb, a README and the faces' licences in the archive),
# the LV2 bundle nothing but Turtle and libraries; the glibc the modules need
# is the one the READMEs state; unpacked into a throwaway root, the plug-in is
# found there by Debian's LV2 tools and described exactly as the built bundle
# is (ports, presets, UI); the archive's README, followed in a throwaway
# home, puts both modules where hosts find them.
set -euo pipefail
TREE=$1 URI=$2 BUILT=$3
HERE=$(dirname "${BASH_SOURCE[0]}") && source "$HERE/pack_twice.sh"
pack_twice "$TREE"
deb=$(echo "$WORK"/out1/*.deb)
tgz=$(echo "$WORK"/out1/*.tar.gz)

lintian --fail-on error,warning "$deb" >"$WORK/lintian.txt" 2>&1 || { cat "$WORK/lintian.txt"; fail "lintian reports errors or warnings"; }
dpkg-deb -f "$deb" Depends | grep -q "libc6" || fail "no dependencies derived from the modules"

# Contents: exactly the install rules' files, under /usr in the .deb and at
# the top of the archive.
cmake --install "$TREE" --prefix "$WORK/stage" >/dev/null
rules=$(cd "$WORK/stage" && find . -type f | sed 's|^\./||' | sort)
grep -qx "lib/lv2/dorlin-quillet.lv2/manifest.ttl" <<<"$rules" || fail "no LV2 bundle installed"
grep -qx "lib/clap/dorlin-quillet.clap" <<<"$rules" || fail "no CLAP installed"
stray=$(grep "^lib/lv2/" <<<"$rules" | grep -v -E '\.(ttl|so)$' || true)
[ -z "$stray" ] || fail "the LV2 bundle holds files that do not belong there: $stray"
docs=$'usr/share/doc/dorlin-quillet/changelog.gz\nusr/share/doc/dorlin-quillet/copyright'
diff <( (sed 's|^|usr/|' <<<"$rules"; echo "$docs") | sort) \
     <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort) ||
  fail "the .deb does not hold what the install rules install"
diff <( (echo "$rules"; printf '%s\n' README.txt Inter-OFL.txt Cinzel-OFL.txt) | sort) \
     <(tar tzf "$tgz" | grep -v '/$' | cut -d/ -f2- | sort) ||
  fail "the archive does not hold what the install rules install, a README and the licences"
dpkg-deb --fsys-tarfile "$deb" | tar xO ./usr/share/doc/dorlin-quillet/copyright >"$WORK/copyright"
grep -q "^License: OFL-1.1$" "$WORK/copyright" && grep -q "SIL OPEN FONT LICENSE Version 1.1" "$WORK/copyright" ||
  fail "the copyright file lacks the faces' licence"

# The glibc the modules need: the newest version among their symbols.
glibc=$(cd "$WORK/stage" && find . -name '*.so' -o -name '*.clap' | xargs objdump -T |
  grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -1)
mkdir -p "$WORK/unpacked" && tar xzf "$tgz" -C "$WORK/unpacked" --strip-components=1 && SOURCE=$(cd "$HERE/../.." && pwd)
grep -q "glibc $glibc or newer" "$WORK/unpacked/README.txt" || fail "the archive's README does not say glibc $glibc"
grep -rq --include='*.md' "glibc $glibc or newer" "$SOURCE/README.md" "$SOURCE/docs" ||
  fail "the project's README does not say the modules need glibc $glibc"

# Installed into a throwaway root, found and described as the build's bundle
# (lv2info's order of values varies from run to run: compared as sets).
dpkg -x "$deb" "$WORK/root"
LV2=$WORK/root/usr/lib/lv2
values() { sed -E 's/^[[:space:]]*([A-Za-z ]+:[[:space:]]+)?//' | sort; }
LV2_PATH=$LV2 lv2ls | grep -qx "$URI" || fail "lv2ls does not find the installed plug-in"
LV2_PATH=$(dirname "$BUILT") lv2info "$URI" | sed "s|$(dirname "$BUILT")|LV2|g" | values >"$WORK/built.txt"
LV2_PATH=$LV2 lv2info "$URI" | sed "s|$LV2|LV2|g" | values >"$WORK/installed.txt"
grep -q "LV2/dorlin-quillet.lv2/" "$WORK/installed.txt" || fail "lv2info does not describe the installed bundle"
diff "$WORK/built.txt" "$WORK/installed.txt" || fail "lv2info describes the installed plug-in differently"

# The archive's README followed in a throwaway home: its commands (the lines
# indented under "For yourself") run in the unpacked folder.
export HOME=$WORK/home && mkdir -p "$HOME"
(cd "$WORK/unpacked" && sed -n '/^For yourself/,/^For every user/p' README.txt | grep '^  ' | bash -e) ||
  fail "the README's commands failed"
env -u LV2_PATH lv2ls | grep -x "$URI" >/dev/null || fail "lv2ls does not find the plug-in in ~/.lv2"
cmp "$WORK/unpacked/lib/clap/dorlin-quillet.clap" "$HOME/.clap/dorlin-quillet.clap" || fail "no CLAP in ~/.clap"
/usr/bin/python3 -c "import ctypes, sys; ctypes.CDLL(sys.argv[1]).clap_entry" "$HOME/.clap/dorlin-quillet.clap" ||
  fail "the CLAP in ~/.clap does not load"

# Beside the package, a newer copy in the home: hosts take that one whole
# (plug-in and UI from one bundle), and warn of no duplicate.
sed -i 's/lv2:microVersion [0-9]*/lv2:microVersion 99/' "$HOME"/.lv2/dorlin-quillet.lv2/*.ttl
LV2_PATH=$LV2:$HOME/.lv2 lv2info "$URI" >"$WORK/two.txt" 2>&1
! grep -i "duplicate" "$WORK/two.txt" || fail "lilv finds two copies of one version"
! grep -E "(Bundle|Binary): " "$WORK/two.txt" | grep -v "$HOME/.lv2/" || fail "not the newer copy, or parts of both"
# Preset values as their shortest decimals, not the float noise of a mapping.
! grep -E "pset:value -?[0-9]+\.[0-9]{5,}" "$WORK/stage/lib/lv2/dorlin-quillet.lv2/presets.ttl" ||
  fail "preset values with float noise"
echo "packages: same bytes twice, lintian clean, contents as installed, glibc $glibc as stated," \
     "found by lv2ls and lv2info, and in a home set up by the README"
