# The web build (emcmake): the game in a page. glfixed draws over WebGL 1, emscripten's GLUT has
# the window, events and timers, Web Audio plays the sound. The asset tools come from a host
# build (VORNA_HOST_TOOLS), as for the Windows cross build; `make web` does all of this.

if(NOT VORNA_HOST_TOOLS OR NOT EXISTS "${VORNA_HOST_TOOLS}")
  message(FATAL_ERROR "The web build needs the host tools: -DVORNA_HOST_TOOLS=<host build>/"
                      "vorna-host-tools.cmake (make web does this)")
endif()
include(${VORNA_HOST_TOOLS})

add_subdirectory(glfixed)

# Emscripten's window calls beside glfixed's shapes, under the one GL/freeglut.h.
add_library(vorna_web_glut INTERFACE)
target_include_directories(vorna_web_glut BEFORE INTERFACE ${CMAKE_SOURCE_DIR}/app/web)
target_link_libraries(vorna_web_glut INTERFACE glfixed_glut)

set(VORNA_PLATFORM_LIBS vorna_web_glut)
set(VORNA_PLATFORM_EXCLUDE
  "/(app/platform|sound/audio_(device|effects|music|soundfont))\\.cpp$|_windows\\.cpp$")

# The page's folder: the page, its script and wasm, and the data packed beside them.
set(VORNA_SITE_DIR ${CMAKE_BINARY_DIR}/site)
set(VORNA_WEB_ZIP ${CMAKE_BINARY_DIR}/vorna-web.zip)
set(VORNA_WEB_PAGE ${CMAKE_SOURCE_DIR}/packaging/web/index.html
                   ${CMAKE_SOURCE_DIR}/packaging/web/vorna.css
                   ${CMAKE_SOURCE_DIR}/packaging/web/vorna-page.js
                   ${CMAKE_SOURCE_DIR}/packaging/windows/FONT-LICENSE.txt)

# The music, rendered on the host from bgm.mid as the desktop build plays it: the same soundfont,
# FluidSynth's gain that SDL_mixer sets at full volume (1.2) and the mixer's 44.1 kHz (FluidSynth
# is louder at 48 kHz); measured, peak and RMS are the desktop's. Then Ogg Opus, which current
# Chromium, Firefox and Safari all decode, and the smallest of those: 40 kbit/s keeps the page's
# whole download under 1.3 MB compressed with the RMS unchanged (the peak 7 % up).
set(VORNA_SOUNDFONT /usr/share/sounds/sf2/TimGM6mb.sf2 CACHE FILEPATH "Soundfont of the music")
set(VORNA_MUSIC_BITRATE 40 CACHE STRING "Opus bitrate of the web build's music, kbit/s")
find_program(FLUIDSYNTH_EXECUTABLE fluidsynth REQUIRED)
find_program(OPUSENC_EXECUTABLE opusenc REQUIRED)
set(VORNA_MUSIC_WAV ${CMAKE_BINARY_DIR}/bgm-rendered.wav)
set(VORNA_MUSIC_WEB ${VORNA_RUN_DIR}/bgm.opus)
add_custom_command(OUTPUT ${VORNA_MUSIC_WEB}
  COMMAND ${FLUIDSYNTH_EXECUTABLE} -n -i -q -g 1.2 -r 44100 -T wav -F ${VORNA_MUSIC_WAV}
          ${VORNA_SOUNDFONT} ${VORNA_RUN_DIR}/bgm.mid
  COMMAND ${OPUSENC_EXECUTABLE} --quiet --bitrate ${VORNA_MUSIC_BITRATE} ${VORNA_MUSIC_WAV}
          ${VORNA_MUSIC_WEB}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VORNA_MUSIC_WAV}
  DEPENDS ${VORNA_RUN_DIR}/bgm.mid ${VORNA_SOUNDFONT}
  COMMENT "Rendering bgm.mid to bgm.opus (FluidSynth, TimGM6mb)"
  VERBATIM)
add_custom_target(web_music DEPENDS ${VORNA_MUSIC_WEB})
add_dependencies(web_music audio_assets)

# Each data file preloaded into the working folder of the in-memory file system, by its name.
set(VORNA_WEB_DATA shnm16.f1b bgm.mid bgm.opus dfog.wav life.wav die.wav)
set(VORNA_WEB_PRELOAD "")
set(VORNA_WEB_DATA_PATHS "")
foreach(name ${VORNA_WEB_DATA})
  list(APPEND VORNA_WEB_PRELOAD "SHELL:--preload-file ${VORNA_RUN_DIR}/${name}@/${name}")
  list(APPEND VORNA_WEB_DATA_PATHS ${VORNA_RUN_DIR}/${name})
endforeach()

# A page's program: its script and wasm in `dir`, the data files preloaded.
function(vorna_web_executable target dir)
  set_target_properties(${target} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${dir}
    LINK_DEPENDS "${VORNA_WEB_DATA_PATHS}")
  target_link_options(${target} PRIVATE ${VORNA_WEB_PRELOAD} ${ARGN}
    -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1)
  add_dependencies(${target} web_music vorna_font audio_assets)
endfunction()

# The game: q ends its runtime for real (app/platform_web.cpp).
function(vorna_platform_executable target)
  vorna_web_executable(${target} ${VORNA_SITE_DIR} -sEXIT_RUNTIME=1
    "SHELL:-s EXPORTED_FUNCTIONS=_main,_vorna_web_end")
endfunction()

# The folder to serve and its zip.
add_custom_command(OUTPUT ${VORNA_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E copy ${VORNA_WEB_PAGE} ${VORNA_SITE_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VORNA_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VORNA_SITE_DIR} ${CMAKE_COMMAND} -E tar cf ${VORNA_WEB_ZIP}
          --format=zip index.html vorna.css vorna-page.js vorna.js vorna.wasm vorna.data
          FONT-LICENSE.txt
  DEPENDS vorna ${VORNA_WEB_PAGE}
  COMMENT "Packing the page's folder into vorna-web.zip"
  VERBATIM)
add_custom_target(web_zip ALL DEPENDS ${VORNA_WEB_ZIP})
