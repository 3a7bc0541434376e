# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, for std::thread).
# Extra search roots (the static freeglut built by scripts/windows-deps.sh) come in
# VORNA_WINDOWS_DEPS.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORNA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORNA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORNA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VORNA_MINGW}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VORNA_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${VORNA_MINGW} ${VORNA_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under wine; tests/windows adds the prefix and quiet settings.
find_program(VORNA_WINE wine)
if(VORNA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VORNA_WINE})
endif()
