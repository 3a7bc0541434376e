#!/usr/bin/env bash
# Installs the Debian packages of the named sets (default: game), each make target asking only
# for what it uses. Safe to run again: nothing is fetched when all is there.
#   scripts/install-deps.sh [game] [test] [bench] [valgrind] [fuzz] [package] [test-package]
#                           [windows] [format] [web] [lighthouse]
set -euo pipefail

# Building and running the game, with its generated data and icons.
game=(
  build-essential g++ cmake make pkg-config
  # OpenGL 1.1 + GLU + GLUT, rendered by Mesa (llvmpipe when there is no GPU)
  freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  # sound: SDL2_mixer (MIDI through FluidSynth, whose log the game routes away; waves), ALSA for
  # its quiet error handler, and a small General MIDI soundfont
  libsdl2-mixer-dev libasound2-dev timgm6mb-soundfont libfluidsynth-dev
  # gamepads: SDL2's game-controller API and its mapping database
  libsdl2-dev
  # font sources: Shinonome 16-dot bitmap fonts, read with FreeType by tools/
  libfreetype-dev xfonts-shinonome
  # the icons, rendered from the SVG at build time
  librsvg2-bin
)
# The tests: a virtual X server, input injection, window inspection, screenshots, GoogleTest,
# gdb for exit-time destructors, and the validators of the installed desktop files.
test=(
  xvfb xauth xdotool x11-utils x11-apps imagemagick
  googletest libgtest-dev gdb
  desktop-file-utils appstream
  # OpenGL ES 2.0 through EGL (Mesa, no display needed), and dpkg-dev to unpack freeglut's
  # source: glfixed's pixel test and benchmark
  libegl-dev libgles-dev libegl-mesa0 dpkg-dev
)
bench=(libbenchmark-dev xvfb xauth)
valgrind=(valgrind)
# clang's libFuzzer with the sanitizer runtimes
fuzz=(clang libclang-rt-14-dev)
# CPack reads the binary's library dependencies with dpkg-shlibdeps
package=(dpkg-dev file)
test_package=(dpkg-dev file debootstrap imagemagick)
# the mingw-w64 cross compiler, wine to run the result, dpkg-dev to unpack freeglut's source
windows=(g++-mingw-w64-x86-64-posix wine64 wine fonts-wine dpkg-dev xvfb xauth xdotool x11-utils)
format=(clang-format)
# The browser build and its test: emscripten (offline, with its prebuilt system libraries), the
# music rendered with FluidSynth and TimGM6mb, the sounds encoded as Opus and (for browsers that
# cannot decode Opus) MP3 with lame, the icons rendered from the SVG, dpkg-dev to unpack
# freeglut's shape sources, headless Chromium driven through python3-websocket, the native
# pictures under Xvfb, screenshots decoded by ImageMagick.
web=(emscripten fluidsynth timgm6mb-soundfont opus-tools lame librsvg2-bin dpkg-dev chromium
     python3-websocket xvfb xauth imagemagick)

# make lighthouse-web, where npm is missing: Node.js and npm for Lighthouse, Chromium to audit in
lighthouse=(nodejs npm chromium)

known="game test bench valgrind fuzz package test_package windows format web lighthouse"
sets=("$@")
[ ${#sets[@]} -gt 0 ] || sets=(game)
wanted=()
for set in "${sets[@]}"; do
  var=${set//-/_}
  if [[ " $known " != *" $var "* ]]; then
    echo "install-deps: no package set '$set'" >&2
    exit 2
  fi
  declare -n list=$var
  wanted+=("${list[@]}")
  unset -n list
done

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -gt 0 ] || exit 0
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
