#!/bin/bash
# Runs a Windows program under Wine with the project's own prefix (build/wineprefix),
# Wine's debug output silenced and an Xvfb display started when there is none.
# Console output arrives with CRLF: carriage returns are stripped. The
# program's exit status is kept.
set -u
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEARCH=win64
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:77
fi

# One Xvfb and one persistent wineserver for every run, started detached so that
# ctest never waits on their output.
(
  flock 9
  num=${DISPLAY#:}; num=${num%%.*}
  if [ ! -S "/tmp/.X11-unix/X$num" ] && [[ "$DISPLAY" == ":77" ]]; then
    rm -f "/tmp/.X$num-lock"
    setsid Xvfb ":$num" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
    for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X$num" ] && break; sleep 0.05; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    setsid "$WINE" wineboot -i </dev/null >/dev/null 2>&1 9>&-
  fi
  setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 9>&- &
) 9>"/tmp/dq-wine-run.lock"

# Wine's helper processes (services, the desktop) outlive the program and keep
# whatever stdout and stderr they inherited, so a pipe to a test runner would
# never see its end. Output therefore goes through files unless a person is
# watching a terminal.
if [ -t 1 ] && [ -t 2 ]; then
  exec "$WINE" "$@"
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$WINE" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null
status=$?
tr -d '\r' <"$tmp/out"
tr -d '\r' <"$tmp/err" >&2
exit "$status"
