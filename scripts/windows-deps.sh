#!/usr/bin/env bash
# Everything the Windows build needs, for `make windows` / `make test-windows`:
#  1. the Debian packages (install-deps.sh's windows set: mingw-w64 posix g++, wine, dpkg-dev,
#     the headless X tools);
#  2. a static freeglut 3.4.0 for mingw, from Debian's source package, fetched through a
#     private apt configuration in the build tree (the machine's /etc/apt is left alone) and
#     built once with our toolchain file. A rebuild finds it cached and fetches nothing.
# Usage: scripts/windows-deps.sh BUILD_DIR
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(mkdir -p "${1:?build dir}" && cd "$1" && pwd)"
DEPS="$BUILD/deps"
FREEGLUT="$DEPS/freeglut"

bash "$ROOT/scripts/install-deps.sh" windows

if [ -f "$FREEGLUT/lib/libfreeglut_static.a" ]; then exit 0; fi

# The machine's Debian mirror, as deb-src, in an apt configuration of our own.
APT="$DEPS/apt"
mkdir -p "$APT/lists/partial" "$APT/cache/archives/partial" "$DEPS/src"
mirror="$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)"
mirror="${mirror:-http://deb.debian.org/debian}"
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" \
  >"$APT/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$APT/sources.list" -o "Dir::Etc::SourceParts=-"
  -o "Dir::State::Lists=$APT/lists" -o "Dir::Cache=$APT/cache" -o "APT::Sandbox::User=root")
apt-get "${apt_opts[@]}" -q update
rm -rf "$DEPS/src" && mkdir -p "$DEPS/src"
(cd "$DEPS/src" && apt-get "${apt_opts[@]}" -q source freeglut)
src="$(find "$DEPS/src" -maxdepth 1 -type d -name 'freeglut-3.4*' | head -n 1)"
if [ -z "$src" ]; then
  echo "freeglut 3.4 source not found after apt-get source" >&2
  exit 1
fi

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
