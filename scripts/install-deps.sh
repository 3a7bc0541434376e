#!/usr/bin/env bash
# Installs every Debian package the game, its asset tools and its tests need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential g++ cmake make pkg-config git
  # OpenGL 1.1 + GLU + GLUT, rendered by Mesa (llvmpipe when there is no GPU)
  freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev
  # OpenGL ES 2.0 through EGL (Mesa, no display needed): glfixed's pixel test and benchmark
  libegl-dev libgles-dev libegl-mesa0
  # sound: SDL2_mixer (MIDI through FluidSynth, waves), ALSA for its quiet error handler,
  # and a small General MIDI soundfont
  libsdl2-mixer-dev libasound2-dev timgm6mb-soundfont
  # font sources: Shinonome 16-dot bitmap fonts, read with FreeType by tools/
  libfreetype-dev xfonts-shinonome
  # headless testing: virtual X server, input injection, window inspection, screenshots
  xvfb xauth xdotool x11-utils x11-apps imagemagick
  # test and benchmark frameworks
  googletest libgtest-dev libbenchmark-dev gdb
  # installing and packaging: icons rendered from the SVG, the .deb and its library
  # dependencies, checks of the desktop entry and AppStream metadata, a throwaway Debian root
  librsvg2-bin dpkg-dev file desktop-file-utils appstream debootstrap
  # FluidSynth (the mixer's MIDI synthesizer) headers: the game routes its log away from stderr
  libfluidsynth-dev
  # fuzzing (make fuzz): clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
  # memory checks of the real binary (make test-valgrind)
  valgrind
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
