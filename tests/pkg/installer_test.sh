#!/bin/bash
# The Windows installer of the tree given: made twice by cpack with the same
# bytes, then, for each case below, run silently under Wine in a prefix of its
# own. The formats asked for land where stated, byte-identical to the build
# and exactly the files the install rules stage; the others do not land; the
# silent uninstaller then leaves the prefix as it found it, the entry in the
# list of installed programs included, whose entry has an icon and the size of
# every format installed (by this run or an earlier one). A component list
# naming no format, or one that is not a format, is refused: status 2, a
# message, nothing installed.
set -euo pipefail
TREE=$1
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../win/test_prefix.sh"
source "$HERE/pack_twice.sh"
pack_twice "$TREE"
installer=$(echo "$WORK"/out1/*.exe)

export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
make_test_prefix "$WINEPREFIX"
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
C=$WINEPREFIX/drive_c
KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\DorlinQuillet'

# Where each format's staged files must land: format, staging root inside
# what `cmake --install` makes, folder in the prefix, where the build keeps
# that folder's files, one of them.
FORMATS=(
  "vst2|VSTPlugins|$C/VST2Test|$TREE|DorlinQuillet.dll"
  "vst3|Common Files/VST3|$C/Program Files/Common Files/VST3|$TREE|DorlinQuillet.vst3/Contents/x86_64-win/DorlinQuillet.vst3"
  "vst3|ProgramData/VST3 Presets|$C/ProgramData/VST3 Presets|$TREE/vst3-presets|Dorlin Audio Technologies/Dorlin Quillet/Mix Bus Glue.vstpreset"
  "clap|Common Files/CLAP|$C/Program Files/Common Files/CLAP|$TREE|DorlinQuillet.clap"
)
# Each module names itself in its version resource (Explorer's Details page).
for module in "DorlinQuillet.dll|VST 2" "DorlinQuillet.clap|CLAP" "DorlinQuillet.vst3/Contents/x86_64-win/DorlinQuillet.vst3|VST 3"; do
  strings -el "$TREE/${module%|*}" | grep -qx "Dorlin Quillet ${module#*|} plug-in" || fail "${module%|*}: no version resource"
done
for format in vst2 vst3 clap; do
  cmake --install "$TREE" --component "$format" --prefix "$WORK/stage/$format" >/dev/null
done
# Everything but Wine's own folders, which it rewrites on every start.
prefix_listing() { (cd "$C" && find . -path ./windows -prune -o -path './users/*/Temp' -prune -o -print | sort); }

# case name | installer runs (arguments of each, ;-separated) | formats that must land
CASES=(
  'every format, VST 2 folder picked|/S /D=C:\VST2Test|vst2 vst3 clap'
  'one format named|/S /COMPONENTS=vst3 /D=C:\VST2Test|vst3'
  'reinstalled into another VST 2 folder|/S /D=C:\OldVST2;/S /D=C:\VST2Test|vst2 vst3 clap'
  'a second run adds a format|/S /COMPONENTS=vst3;/S /COMPONENTS=clap|vst3 clap'
)
for args in "/S /COMPONENTS=vst4" "/S /COMPONENTS=" "/S /COMPONENTS=vst3,"; do
  before=$(prefix_listing)
  status=0
  # shellcheck disable=SC2086  # the arguments are words
  "$WINE" "$installer" $args >"$WORK/refused.txt" 2>&1 || status=$?
  "$WINESERVER" -w
  [ "$status" = 2 ] || fail "$args: status $status, not 2"
  grep -q "nothing was installed" "$WORK/refused.txt" || fail "$args: no message"
  diff <(echo "$before") <(prefix_listing) || fail "$args: refused, yet the above was installed"
  if "$WINE" reg query "$KEY" >/dev/null 2>&1; then fail "$args: refused, yet an uninstall entry was added"; fi
done
for case in "${CASES[@]}"; do
  IFS='|' read -r name runs wanted <<<"$case"
  before=$(prefix_listing)
  IFS=';' read -r -a runs <<<"$runs"
  for args in "${runs[@]}"; do
    # shellcheck disable=SC2086  # the arguments are words
    "$WINE" "$installer" $args || fail "$name: installer failed (status $?)"
    "$WINESERVER" -w
  done
  for row in "${FORMATS[@]}"; do
    IFS='|' read -r format staged folder built module <<<"$row"
    if [[ " $wanted " == *" $format "* ]]; then
      cmp "$built/$module" "$folder/$module" || fail "$name: $format $module differs from the build"
      # The same files, byte for byte (find -exec would hide a cmp that fails).
      diff -rq "$WORK/stage/$format/$staged" "$folder" ||
        fail "$name: $format files in $folder are not those the install rules stage"
    else
      [ ! -e "$folder/$module" ] || fail "$name: $format installed though not asked for"
    fi
  done
  "$WINE" reg query "$KEY" /v DisplayName >"$WORK/entry.txt" 2>&1 || true
  grep -q "Dorlin Quillet" "$WORK/entry.txt" || fail "$name: no entry in the installed programs"
  "$WINE" reg query "$KEY" /v DisplayIcon | grep -q 'Uninstall.exe,0' || fail "$name: no DisplayIcon"
  size=$(( $("$WINE" reg query "$KEY" /v EstimatedSize | grep -o '0x[0-9a-f]*') ))
  staged=0
  for format in $wanted; do staged=$((staged + $(du -sk --apparent-size "$WORK/stage/$format" | cut -f1))); done
  [ "$size" -ge $((staged * 9 / 10)) ] || fail "$name: EstimatedSize $size KiB, the formats installed take $staged"
  uninstaller=$(echo "$C/Program Files"/*/*/Uninstall.exe)
  [ -f "$uninstaller" ] || fail "$name: no uninstaller"
  # The silent uninstaller returns at once and finishes from a copy in Temp.
  "$WINE" "$uninstaller" /S || fail "$name: uninstaller failed"
  "$WINESERVER" -w
  diff <(echo "$before") <(prefix_listing) || fail "$name: the uninstaller left the above behind"
  if "$WINE" reg query "$KEY" >/dev/null 2>&1; then fail "$name: the uninstall entry is left"; fi
done
echo "installer: same bytes twice; ${#CASES[@]} silent installs landed and uninstalled cleanly"
