#!/bin/bash
# validator.sh VALIDATOR_EXE BUNDLE_DIR [-e]: Steinberg's VST 3 validator under
# Wine on the bundle; fails on any failed check or a run without a result,
# skips (77) when the validator is not there.
VALIDATOR=$1 BUNDLE=$2
shift 2
[ -f "$VALIDATOR" ] || { echo "no VST 3 validator at $VALIDATOR (set VST3_VALIDATOR)"; exit 77; }
out=$(bash "$(dirname "$0")/../../scripts/wine-run.sh" "$VALIDATOR" "$@" "Z:$(cd "$BUNDLE" && pwd | tr / '\\')" 2>&1)
status=$?
grep -E '^ERROR:|Result:' <<<"$out" || tail -20 <<<"$out"
grep -qE 'Result: [0-9]+ tests passed, 0 tests failed' <<<"$out" && [ "$status" = 0 ]
