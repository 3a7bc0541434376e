#!/usr/bin/env bash
# The freeglut the Windows build links, for `make windows` / `make test-windows` (which first
# install install-deps.sh's windows set: mingw-w64 posix g++, wine, dpkg-dev, the headless X
# tools): a static freeglut 3.4.0 for mingw, from Debian's source package, fetched through a
# private apt configuration in the build tree (scripts/freeglut-source.sh; the machine's
# /etc/apt is left alone) and built once with our toolchain file. A rebuild finds it cached and
# fetches nothing.
# Usage: scripts/windows-deps.sh BUILD_DIR
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(mkdir -p "${1:?build dir}" && cd "$1" && pwd)"
DEPS="$BUILD/deps"
FREEGLUT="$DEPS/freeglut"

if [ -f "$FREEGLUT/lib/libfreeglut_static.a" ]; then exit 0; fi

src="$(bash "$ROOT/scripts/freeglut-source.sh" "$DEPS")"

cmake -S "$src" -B "$DEPS/freeglut-build" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$FREEGLUT" \
  -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
  -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=OFF >"$DEPS/freeglut-configure.log"
cmake --build "$DEPS/freeglut-build" -j 2 >"$DEPS/freeglut-build.log"
cmake --install "$DEPS/freeglut-build" >"$DEPS/freeglut-install.log"
# The licence travels with the Windows package.
cp "$src/COPYING" "$FREEGLUT/COPYING"
echo "freeglut: $FREEGLUT"
