#!/usr/bin/env bash
# Runs a Windows program under wine in the build tree's own prefix, quietly, and passes its
# output on only after it has ended: wine's background processes inherit standard output, so a
# caller reading it through a pipe (CTest) would otherwise wait for them.
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]   or   wine-run.sh PREFIX --setup
set -euo pipefail

export WINEPREFIX="$1"
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d"
WINE="${VORNA_WINE:-wine}"

# Set up once, in order: the prefix, its server gone quiet, then the crash dialog off (a crash
# then fails a test at once instead of hanging on a dialog).
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.vorna-ready" ]; then
  rm -rf "$WINEPREFIX"
  log="$WINEPREFIX.setup.log"
  WINEDLLOVERRIDES="mscoree,mshtml=;$WINEDLLOVERRIDES" "$WINE" wineboot --init >"$log" 2>&1
  wineserver -w
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >>"$log" 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vorna-ready"
fi
flock -u 9
if [ "${1:-}" = "--setup" ]; then exit 0; fi

out="$(mktemp)"
err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
status=0
"$WINE" "$@" </dev/null >"$out" 2>"$err" || status=$?
cat "$out"
cat "$err" >&2
exit "$status"
