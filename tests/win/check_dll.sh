#!/bin/bash
# The built DLL is a 64-bit Windows DLL that exports VSTPluginMain and main at
# one address (or exactly the names given after it) and imports only Windows
# system DLLs (no libgcc, libstdc++ or winpthread DLL).
set -euo pipefail
dll=$1
shift
names=("$@")
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
fail() { echo "FAIL: $*"; exit 1; }
grep -q "file format pei-x86-64" <<<"$(x86_64-w64-mingw32-objdump -f "$dll")" || fail "not a PE32+ x86-64 file"
grep -qE "^\s+DLL$" <<<"$dump" || fail "not a DLL"
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1;next} on&&/^[[:space:]]*\[/{print $NF} on&&/^[[:space:]]*$/{on=0}' <<<"$dump" | sort)
echo "exports: $(tr '\n' ' ' <<<"$exports")"
if [ ${#names[@]} -gt 0 ]; then
  [ "$exports" = "$(printf '%s\n' "${names[@]}" | sort)" ] || fail "exports must be exactly ${names[*]}"
else
  [ "$exports" = "$(printf 'VSTPluginMain\nmain')" ] || fail "exports must be exactly VSTPluginMain and main"
  addresses=$(awk '/^Export Address Table --/{on=1;next} /\[Ordinal\/Name Pointer\]/{on=0} on&&/^[[:space:]]*\[/{print $(NF-2)}' <<<"$dump" | sort -u | wc -l)
  [ "$addresses" = 1 ] || fail "VSTPluginMain and main must share one address ($addresses found)"
fi
imports=$(awk '/DLL Name:/{print tolower($3)}' <<<"$dump" | sort -u)
echo "imports: $(tr '\n' ' ' <<<"$imports")"
allowed="kernel32.dll user32.dll gdi32.dll gdiplus.dll msvcrt.dll"
for dllname in $imports; do
  case " $allowed " in *" $dllname "*) ;; *) fail "unexpected import $dllname" ;; esac
done
for needed in kernel32.dll user32.dll gdiplus.dll msvcrt.dll; do
  grep -qx "$needed" <<<"$imports" || fail "missing import $needed"
done
echo "ok"
