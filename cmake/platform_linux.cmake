# Linux: X11 and freeglut, sound through SDL2_mixer, installed as Debian keeps games.
find_package(OpenGL REQUIRED)
find_package(GLUT REQUIRED)
find_package(X11 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
# The synthesizer behind the mixer's MIDI: linked only to route its log away from stderr.
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
find_package(Threads REQUIRED)  # the music is readied on a thread of its own
# Game controllers: SDL2's game-controller API (SDL is shared with the sound).
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)

set(VORNA_PLATFORM_SOURCES app/platform_linux.cpp app/sdl_subsystems.cpp)
set(VORNA_PLATFORM_LIBS GLUT::GLUT OpenGL::GLU OpenGL::GL X11::X11 PkgConfig::SDL2)
set(VORNA_SOUND_BACKEND
  sound/audio_sdl.cpp sound/audio_sdl_effects.cpp sound/audio_sdl_music.cpp
  sound/audio_sdl_soundfont.cpp)
set(VORNA_SOUND_LIBS PkgConfig::SDL2_MIXER PkgConfig::ALSA PkgConfig::FLUIDSYNTH Threads::Threads)

# Debian keeps games apart: the binary in games/, its data in share/games/vorna/.
include(GNUInstallDirs)
set(VORNA_INSTALL_GAMESDIR "games" CACHE STRING "Folder of the binary, relative to the prefix")
set(VORNA_INSTALL_GAMEDATADIR "${CMAKE_INSTALL_DATAROOTDIR}/games/vorna"
    CACHE STRING "Folder of the game's data, relative to the prefix")
foreach(dir VORNA_INSTALL_GAMESDIR VORNA_INSTALL_GAMEDATADIR)
  if(IS_ABSOLUTE "${${dir}}")
    message(FATAL_ERROR "${dir} must be relative: the game finds its data from its own folder")
  endif()
endforeach()
# The binary finds its data by this path from its own folder, so any prefix works.
file(RELATIVE_PATH VORNA_DATA_FROM_BIN "/prefix/${VORNA_INSTALL_GAMESDIR}"
     "/prefix/${VORNA_INSTALL_GAMEDATADIR}")

set(VORNA_PLATFORM_PACKAGING ${CMAKE_SOURCE_DIR}/packaging/install.cmake)
set(VORNA_PLATFORM_TESTS tests)
# The fixed-function layer and its test, the benchmark, and the tools a Windows cross build
# takes from this one.
set(VORNA_PLATFORM_EXTRAS glfixed bench host_tools)
