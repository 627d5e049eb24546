#!/bin/bash
# The bundle as Debian's own LV2 tools see it: lv2ls lists it, lv2info shows
# its ports with units, ranges, defaults and the times' logarithmic scale and
# the factory presets, sord_validate checks the Turtle against the LV2 schemas,
# each library exports nothing but its entry, and only the panel's library
# links X11 and Cairo.
# (lv2apply renders through it in identity_with_dll.sh.)
#   debian_hosts.sh BUNDLES_DIR
set -euo pipefail
BUNDLES=$1
BUNDLE=$BUNDLES/dorlin-quillet.lv2
URI=http://dorlin-audio.example/plugins/quillet
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

LV2_PATH=$BUNDLES lv2ls | grep -qxF "$URI" || fail "lv2ls does not list $URI"

# The LV2 schema bundles too, so that lv2info can name the class.
export LV2_PATH=$BUNDLES:/usr/lib/lv2
info=$(lv2info "$URI")
lv2info -p "$work/seen.ttl" "$URI"  # the plug-in's data as lilv read it
port() {  # symbol, then the lines expected in its block
  local block; block=$(awk -v RS= -v s="$1" '$0 ~ "Symbol: +" s "\n"' <<<"$info")
  shift
  for line in "$@"; do grep -qE "$line" <<<"$block" || fail "lv2info: '$line' missing: $block"; done
}
grep -qE "Class: +Compressor Plugin" <<<"$info" || fail "lv2info: not a compressor"
grep -qE "Has latency: +no" <<<"$info" || fail "lv2info: latency"
grep -qE "Class: +http://lv2plug.in/ns/extensions/ui#X11UI" <<<"$info" || fail "lv2info: no X11 UI"
grep -qE "Binary: +file://.*/dorlin-quillet-ui.so" <<<"$info" || fail "lv2info: the UI's library"
port threshold "Minimum: +-36.000000" "Maximum: +0.000000" "Default: +-18.000000"
port attack "Properties: +.*port-props#logarithmic"
port release "Minimum: +20.000000" "Maximum: +1200.000000" "Default: +46.550003" "port-props#logarithmic"
port enabled "Designation: +http://lv2plug.in/ns/lv2core#enabled" "Default: +1.000000" "toggled"
port gain_reduction "OutputPort" "Maximum: +24.000000"
for unit in db ms pc hz; do
  grep -q "extensions/units#$unit>" "$work/seen.ttl" || fail "lv2info -p: no units:$unit"
done
grep -qF "units#unit> <$URI#ratio>" "$work/seen.ttl" || fail "lv2info -p: no ratio unit"

# lv2info lists every factory preset the bundle's presets.ttl labels.
listed=$(sed -n '/^\tPresets:/,/^$/p' <<<"$info" | sed 's/^\tPresets://; s/^[[:space:]]*//' | sed '/^$/d' | sort)
labelled=$(sed -n 's/^\trdfs:label "\(.*\)" ;$/\1/p' "$BUNDLE/presets.ttl" | sort)
[ -n "$labelled" ] && [ "$listed" = "$labelled" ] || fail "lv2info presets: '$listed' against '$labelled'"

schemas=$(find /usr/lib/lv2/core.lv2 /usr/lib/lv2/units.lv2 /usr/lib/lv2/port-props.lv2 /usr/lib/lv2/schemas.lv2 \
  /usr/lib/lv2/presets.lv2 /usr/lib/lv2/state.lv2 /usr/lib/lv2/ui.lv2 /usr/lib/lv2/options.lv2 \
  /usr/lib/lv2/urid.lv2 -name '*.ttl')
sord_validate $schemas "$BUNDLE/manifest.ttl" "$BUNDLE/dorlin-quillet.ttl" "$BUNDLE/presets.ttl" || fail "sord_validate"

exports=$(nm -D --defined-only "$BUNDLE/dorlin-quillet.so" | awk '$2 ~ /[TDBR]/ {print $3}')
[ "$exports" = lv2_descriptor ] || fail "exports: $exports"
exports=$(nm -D --defined-only "$BUNDLE/dorlin-quillet-ui.so" | awk '$2 ~ /[TDBR]/ {print $3}')
[ "$exports" = lv2ui_descriptor ] || fail "UI exports: $exports"
needed() { readelf -d "$1" | grep -cE "NEEDED.*lib(X11|cairo)\.so" || true; }
[ "$(needed "$BUNDLE/dorlin-quillet.so")" = 0 ] || fail "the plug-in's library links X11 or Cairo"
[ "$(needed "$BUNDLE/dorlin-quillet-ui.so")" = 2 ] || fail "the UI's library links X11 and Cairo"
echo "lv2ls, lv2info and sord_validate accept $URI"
