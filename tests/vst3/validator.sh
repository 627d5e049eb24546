#!/bin/bash
# Runs Steinberg's VST 3 validator (a Windows program, under Wine) on the
# built bundle and fails on any failed check, or when it gives no result.
#   validator.sh VALIDATOR_EXE BUNDLE_DIR [-e]
# A validator that is not there skips the test (exit 77), saying where it was looked for.
set -u
VALIDATOR=$1 BUNDLE=$2
shift 2
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if [ ! -f "$VALIDATOR" ]; then
  echo "no VST 3 validator at $VALIDATOR (set VST3_VALIDATOR when configuring)"
  exit 77
fi
# Wine sees the file system under Z:, with backslashes.
bundle="Z:$(cd "$BUNDLE" && pwd | tr / '\\')"
out=$(bash "$ROOT/scripts/wine-run.sh" "$VALIDATOR" "$@" "$bundle" 2>&1)
status=$?
grep -E '^ERROR:|Result:' <<<"$out"
result=$(grep -E 'Result: [0-9]+ tests passed, [0-9]+ tests failed' <<<"$out" | tail -1)
if [ -z "$result" ]; then
  echo "the validator gave no result (exit $status):"
  tail -20 <<<"$out"
  exit 1
fi
failed=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$result")
[ "$failed" = 0 ] && [ "$status" = 0 ]
