# The zip for players (`make windows`): the game, its data files, a short README and the licences.
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
