#!/usr/bin/env bash
# The Windows tests under wine, for `make test-windows` (which runs this inside xvfb-run):
# the prefix first, then one persistent wine server for the whole run, then CTest.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:?build dir}" && pwd)"
shift
export WINEPREFIX="$BUILD/wineprefix"

bash "$ROOT/scripts/wine-run.sh" "$WINEPREFIX" --setup
# Started outside any pipe, its output to a file; ended whatever happens.
wineserver -p >"$BUILD/wineserver.log" 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
cd "$BUILD"
ctest --output-on-failure "$@"
