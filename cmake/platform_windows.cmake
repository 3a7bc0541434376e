# Windows: freeglut, sound through the Windows multimedia calls, a zip for players.
# Cross build: freeglut is the static one scripts/windows-deps.sh makes (VORNA_WINDOWS_DEPS),
# the asset tools come from a host build (VORNA_HOST_TOOLS). Native (MSYS2): its freeglut and
# its own tools.

find_package(FreeGLUT CONFIG QUIET)
if(TARGET FreeGLUT::freeglut_static)
  set(VORNA_GLUT FreeGLUT::freeglut_static)
  # The headers otherwise expect the DLL's import symbols.
  set(VORNA_PLATFORM_DEFINITIONS FREEGLUT_STATIC)
elseif(TARGET FreeGLUT::freeglut)
  set(VORNA_GLUT FreeGLUT::freeglut)
else()
  find_package(GLUT REQUIRED)
  set(VORNA_GLUT GLUT::GLUT)
endif()

set(VORNA_PLATFORM_SOURCES
    platform/platform_windows.cpp
    platform/no_display_probe.cpp
    platform/no_stop_signals.cpp)
set(VORNA_PLATFORM_LIBS ${VORNA_GLUT} glu32 opengl32 gdi32 user32)
set(VORNA_SOUND_BACKEND sound/audio_winmm.cpp)
set(VORNA_SOUND_LIBS winmm)

# Windows programs keep their files beside the .exe: the data is looked for there.
set(VORNA_DATA_FROM_BIN ".")

# One .exe with no DLLs but Windows' own: every program linking the platform is static.
if(MINGW)
  set(VORNA_PLATFORM_LINK_OPTIONS -static)
endif()

if(CMAKE_CROSSCOMPILING)
  if(NOT VORNA_HOST_TOOLS OR NOT EXISTS "${VORNA_HOST_TOOLS}")
    message(FATAL_ERROR "A cross build needs the host tools: -DVORNA_HOST_TOOLS=<host build>/"
                        "vorna-host-tools.cmake (make windows does this)")
  endif()
  # Imported under their own names, so tools/ uses them instead of building them.
  include(${VORNA_HOST_TOOLS})
endif()

set(VORNA_PLATFORM_PACKAGING ${CMAKE_SOURCE_DIR}/packaging/windows_zip.cmake)
set(VORNA_PLATFORM_TESTS tests/windows)
set(VORNA_PLATFORM_EXTRAS)
