# The zip for players (`make windows`): the game, its data files, a short README and the licences.
include(${CMAKE_SOURCE_DIR}/packaging/zip.cmake)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt ${CMAKE_BINARY_DIR}/README.txt
               @ONLY)  # with the game's name
set(VORNA_ZIP_DOCS ${CMAKE_BINARY_DIR}/README.txt
                   ${CMAKE_SOURCE_DIR}/packaging/windows/FONT-LICENSE.txt)
# The licence of the static freeglut linked into the game.
if(VORNA_WINDOWS_DEPS AND EXISTS ${VORNA_WINDOWS_DEPS}/COPYING)
  configure_file(${VORNA_WINDOWS_DEPS}/COPYING ${CMAKE_BINARY_DIR}/FREEGLUT-LICENSE.txt COPYONLY)
  list(APPEND VORNA_ZIP_DOCS ${CMAKE_BINARY_DIR}/FREEGLUT-LICENSE.txt)
endif()
vorna_zip(windows_zip
  FOLDER ${CMAKE_BINARY_DIR}/vorna-windows ZIP ${CMAKE_BINARY_DIR}/vorna-windows.zip
  FILES ${VORNA_RUN_DIR}/vorna.exe ${VORNA_DATA_PATHS} ${VORNA_ZIP_DOCS}
  DEPENDS vorna vorna_font audio_assets ${VORNA_DATA_PATHS} ${VORNA_ZIP_DOCS}
  COMMENT "Packing vorna-windows.zip")
