# The game's read-only data files: the one list the asset build, the install rules, both
# packages, the package test and the code (through platform/data_file_list.h) take their names
# from.
set(VORNA_FONT_FILE shnm16.f1b)
set(VORNA_MUSIC_FILE bgm.mid)
# The General MIDI soundfont the music is played with (the desktop's SDL2_mixer) or rendered
# with (the web build).
set(VORNA_SOUNDFONT /usr/share/sounds/sf2/TimGM6mb.sf2 CACHE FILEPATH "Soundfont of the music")
# The effects: the teapot's (the fog lifts), the life ball's, the death's.
set(VORNA_FOG_EFFECT_FILE dfog.wav)
set(VORNA_LIFE_EFFECT_FILE life.wav)
set(VORNA_DEATH_EFFECT_FILE die.wav)
set(VORNA_EFFECT_FILES ${VORNA_FOG_EFFECT_FILE} ${VORNA_LIFE_EFFECT_FILE} ${VORNA_DEATH_EFFECT_FILE})
set(VORNA_DATA_FILES ${VORNA_FONT_FILE} ${VORNA_MUSIC_FILE} ${VORNA_EFFECT_FILES})
list(TRANSFORM VORNA_DATA_FILES PREPEND ${VORNA_RUN_DIR}/ OUTPUT_VARIABLE VORNA_DATA_PATHS)
# The web build's font: the same file holding only the glyphs of the on-screen texts.
set(VORNA_WEB_FONT ${CMAKE_BINARY_DIR}/web-font/${VORNA_FONT_FILE})

set(VORNA_DATA_FILES_C "")
foreach(name ${VORNA_DATA_FILES})
  string(APPEND VORNA_DATA_FILES_C "\"${name}\", ")
endforeach()
set(VORNA_EFFECT_FILES_C "")
foreach(name ${VORNA_EFFECT_FILES})
  string(APPEND VORNA_EFFECT_FILES_C "\"${name}\", ")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/platform/data_file_list.h.in
               ${CMAKE_BINARY_DIR}/generated/platform/data_file_list.h @ONLY)
