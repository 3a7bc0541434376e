# Headless: no window system and no sound device. The game's drawing goes through glfixed into
# whatever OpenGL ES 2.0 context the program has made current, freeglut's shapes under their own
# GL/freeglut.h (there is no toolkit, so no vorna binary either); nothing sounds. Built beside a
# desktop platform, for glfixed's scene program (tests/glfixed).
if(NOT TARGET glfixed_glut)
  message(FATAL_ERROR "The headless platform draws through glfixed: it is built beside a desktop "
                      "platform that builds glfixed (tests/glfixed)")
endif()
if(NOT TARGET vorna_headless_glut)
  add_library(vorna_headless_glut INTERFACE)
  target_include_directories(vorna_headless_glut BEFORE INTERFACE
    ${CMAKE_SOURCE_DIR}/glfixed/freeglut/include)
  target_link_libraries(vorna_headless_glut INTERFACE glfixed_glut)
endif()

set(VORNA_PLATFORM_SOURCES
    platform/platform_headless.cpp
    platform/no_folders.cpp
    platform/no_display_probe.cpp
    platform/no_stop_signals.cpp)
set(VORNA_PLATFORM_LIBS vorna_headless_glut)
set(VORNA_SOUND_BACKEND sound/audio_silent.cpp)
set(VORNA_DATA_FROM_BIN ".")
