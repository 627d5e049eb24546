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

x_server_answers() {
  python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX)
s.connect("/tmp/.X11-unix/X" + sys.argv[1])' "$1" 2>/dev/null
}

# One Xvfb and one persistent wineserver for every run, started detached so that
# ctest never waits on their output.
(
  flock 9
  num=${DISPLAY#:}; num=${num%%.*}
  # A socket left behind by an X server that is gone (a restored machine, a
  # killed Xvfb) must not count: only a server that accepts a connection does.
  if [[ "$DISPLAY" == ":77" ]] && ! x_server_answers "$num"; then
    rm -f "/tmp/.X$num-lock" "/tmp/.X11-unix/X$num"
    setsid Xvfb ":$num" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
    for _ in $(seq 100); do x_server_answers "$num" && break; sleep 0.05; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    setsid "$WINE" wineboot -i </dev/null >/dev/null 2>&1 9>&-
  fi
  # With a display, Wine's debugger answers a crash with a dialog that nobody
  # will ever close; without the dialog it prints a backtrace and ends.
  if [ ! -f "$WINEPREFIX/.no-crash-dialog" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >/dev/null 2>&1 9>&- && touch "$WINEPREFIX/.no-crash-dialog"
  fi
  setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 9>&- &
) 9>"/tmp/dq-wine-run.lock"

# Wine's helper processes (services, the desktop) outlive the program and keep
# whatever stdout and stderr they inherited, so a pipe to a test runner would
# never see its end. Output therefore goes through files unless a person is
# watching a terminal, or the caller talks to the program over its own pipes
# (WINE_RUN_DIRECT=1: it must not wait for their end, and strips the CRs itself).
if [ -n "${WINE_RUN_DIRECT:-}" ] || { [ -t 1 ] && [ -t 2 ]; }; then
  exec "$WINE" "$@"
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$WINE" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null
status=$?
tr -d '\r' <"$tmp/out"
tr -d '\r' <"$tmp/err" >&2
# After an unhandled exception Wine's debugger prints a backtrace and the
# process may still end with status 0: a crash must never read as a pass.
if [ "$status" -eq 0 ] && grep -q "^wine: Unhandled" "$tmp/err"; then
  echo "wine-run: the program crashed" >&2
  status=70
fi
exit "$status"
