# The Windows side of the build, included by the top CMakeLists.txt when the target is Windows.
# Cross build: freeglut is the static one scripts/windows-deps.sh makes (VORNA_WINDOWS_DEPS),
# the asset tools come from a host build (VORNA_HOST_TOOLS). Native (MSYS2): its freeglut and
# its own tools.

find_package(FreeGLUT CONFIG QUIET)
if(TARGET FreeGLUT::freeglut_static)
  set(VORNA_GLUT FreeGLUT::freeglut_static)
  # The headers otherwise expect the DLL's import symbols.
  add_compile_definitions(FREEGLUT_STATIC)
elseif(TARGET FreeGLUT::freeglut)
  set(VORNA_GLUT FreeGLUT::freeglut)
else()
  find_package(GLUT REQUIRED)
  set(VORNA_GLUT GLUT::GLUT)
endif()

set(VORNA_PLATFORM_LIBS ${VORNA_GLUT} glu32 opengl32 winmm gdi32 user32)
set(VORNA_PLATFORM_EXCLUDE
  "/(app/platform|sound/audio_[a-z]+|sound/music|sound/sound_effect)\\.cpp$|_web\\.cpp$")

# Windows programs keep their files beside the .exe: the data is looked for there.
set_property(SOURCE app/data_files.cpp APPEND PROPERTY COMPILE_DEFINITIONS VORNA_DATA_FROM_BIN=".")

# One .exe with no DLLs but Windows' own.
if(MINGW)
  add_link_options(-static)
endif()

if(CMAKE_CROSSCOMPILING)
  if(NOT VORNA_HOST_TOOLS OR NOT EXISTS "${VORNA_HOST_TOOLS}")
    message(FATAL_ERROR "A cross build needs the host tools: -DVORNA_HOST_TOOLS=<host build>/"
                        "vorna-host-tools.cmake (make windows does this)")
  endif()
  # Imported under their own names, so tools/ uses them instead of building them.
  include(${VORNA_HOST_TOOLS})
endif()

# The zip for players: the game, its data files, a short README and the licences.
set(VORNA_ZIP_DIR ${CMAKE_BINARY_DIR}/vorna-windows)
set(VORNA_ZIP ${CMAKE_BINARY_DIR}/vorna-windows.zip)
set(VORNA_ZIP_DOCS ${CMAKE_SOURCE_DIR}/packaging/windows/README.txt
                   ${CMAKE_SOURCE_DIR}/packaging/windows/FONT-LICENSE.txt)
set(VORNA_FREEGLUT_LICENSE ${VORNA_WINDOWS_DEPS}/COPYING)
if(VORNA_WINDOWS_DEPS AND EXISTS ${VORNA_FREEGLUT_LICENSE})
  set(VORNA_FREEGLUT_COPY
    COMMAND ${CMAKE_COMMAND} -E copy ${VORNA_FREEGLUT_LICENSE} ${VORNA_ZIP_DIR}/FREEGLUT-LICENSE.txt)
endif()
set(VORNA_ZIP_FILES vorna.exe ${VORNA_DATA_FILES} README.txt FONT-LICENSE.txt)
if(VORNA_FREEGLUT_COPY)
  list(APPEND VORNA_ZIP_FILES FREEGLUT-LICENSE.txt)
endif()
add_custom_command(OUTPUT ${VORNA_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VORNA_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VORNA_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${VORNA_RUN_DIR}/vorna.exe ${VORNA_DATA_PATHS}
          ${VORNA_ZIP_DOCS} ${VORNA_ZIP_DIR}
  ${VORNA_FREEGLUT_COPY}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VORNA_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VORNA_ZIP_DIR}
          ${CMAKE_COMMAND} -E tar cf ${VORNA_ZIP} --format=zip ${VORNA_ZIP_FILES}
  DEPENDS vorna vorna_font audio_assets ${VORNA_DATA_PATHS} ${VORNA_ZIP_DOCS}
  COMMENT "Packing vorna-windows.zip"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${VORNA_ZIP})
