# The web (emcmake): the game in a page. glfixed draws over WebGL 1, emscripten's GLUT has the
# window, events and timers, Web Audio plays the sound. The asset tools come from a host build
# (VORNA_HOST_TOOLS), as for the Windows cross build; `make web` does all of this.
if(NOT VORNA_HOST_TOOLS OR NOT EXISTS "${VORNA_HOST_TOOLS}")
  message(FATAL_ERROR "The web build needs the host tools: -DVORNA_HOST_TOOLS=<host build>/"
                      "vorna-host-tools.cmake (make web does this)")
endif()
include(${VORNA_HOST_TOOLS})

set(GLFIXED_CLIP_NEAR ON)  # SwiftShader mishandles triangles through the eye plane
add_subdirectory(glfixed)
# Emscripten's window calls beside glfixed's shapes, under the one GL/freeglut.h.
add_library(vorna_web_glut INTERFACE)
target_include_directories(vorna_web_glut BEFORE INTERFACE ${CMAKE_SOURCE_DIR}/app/web)
target_link_libraries(vorna_web_glut INTERFACE glfixed_glut)

set(VORNA_PLATFORM_SOURCES app/platform_web.cpp)
set(VORNA_PLATFORM_LIBS vorna_web_glut)
set(VORNA_SOUND_BACKEND sound/audio_webaudio.cpp)
set(VORNA_DATA_FROM_BIN ".")

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
          ${VORNA_SOUNDFONT} ${VORNA_RUN_DIR}/${VORNA_MUSIC_FILE}
  COMMAND ${OPUSENC_EXECUTABLE} --quiet --bitrate ${VORNA_MUSIC_BITRATE} ${VORNA_MUSIC_WAV}
          ${VORNA_MUSIC_WEB}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VORNA_MUSIC_WAV}
  DEPENDS ${VORNA_RUN_DIR}/${VORNA_MUSIC_FILE} ${VORNA_SOUNDFONT}
  COMMENT "Rendering bgm.mid to bgm.opus (FluidSynth, TimGM6mb)"
  VERBATIM)
add_custom_target(web_music DEPENDS ${VORNA_MUSIC_WEB})
add_dependencies(web_music audio_assets)

# Every program of the page: the data files preloaded into the working folder of the in-memory
# file system, under their own names; exit() ends the runtime (app/platform_web.cpp).
set(VORNA_WEB_DATA_PATHS ${VORNA_DATA_PATHS} ${VORNA_MUSIC_WEB})
set(VORNA_PLATFORM_LINK_OPTIONS -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sMIN_WEBGL_VERSION=1
  -sMAX_WEBGL_VERSION=1 -sEXIT_RUNTIME=1 "SHELL:-s EXPORTED_FUNCTIONS=_main,_vorna_web_end")
foreach(path ${VORNA_WEB_DATA_PATHS})
  get_filename_component(name ${path} NAME)
  list(APPEND VORNA_PLATFORM_LINK_OPTIONS "SHELL:--preload-file ${path}@/${name}")
endforeach()

# A program of the page is linked once its data files are there.
function(vorna_web_program target)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VORNA_WEB_DATA_PATHS})
  add_dependencies(${target} web_music vorna_font audio_assets)
endfunction()

set(VORNA_PLATFORM_PACKAGING ${CMAKE_SOURCE_DIR}/packaging/web/site.cmake)
set(VORNA_PLATFORM_TESTS tests/web)
set(VORNA_PLATFORM_EXTRAS)
