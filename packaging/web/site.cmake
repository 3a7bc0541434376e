# The page's folder for players (`make web`): the page, the game's script, wasm and packed data,
# and the font's licence; and the same folder as vorna-web.zip.
vorna_web_program(vorna)
set(VORNA_SITE_DIR ${CMAKE_BINARY_DIR}/site)
set(VORNA_WEB_ZIP ${CMAKE_BINARY_DIR}/vorna-web.zip)
set(VORNA_SITE_PAGE ${CMAKE_CURRENT_LIST_DIR}/index.html ${CMAKE_CURRENT_LIST_DIR}/vorna.css
                    ${CMAKE_CURRENT_LIST_DIR}/vorna-page.js
                    ${CMAKE_SOURCE_DIR}/packaging/windows/FONT-LICENSE.txt)
set(VORNA_SITE_GAME ${VORNA_RUN_DIR}/vorna.js ${VORNA_RUN_DIR}/vorna.wasm ${VORNA_RUN_DIR}/vorna.data)
set(VORNA_SITE_FILES index.html vorna.css vorna-page.js FONT-LICENSE.txt vorna.js vorna.wasm
                     vorna.data)
add_custom_command(OUTPUT ${VORNA_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VORNA_SITE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VORNA_SITE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${VORNA_SITE_PAGE} ${VORNA_SITE_GAME} ${VORNA_SITE_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VORNA_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VORNA_SITE_DIR}
          ${CMAKE_COMMAND} -E tar cf ${VORNA_WEB_ZIP} --format=zip ${VORNA_SITE_FILES}
  DEPENDS vorna ${VORNA_SITE_PAGE}
  COMMENT "The page's folder, site/, and vorna-web.zip"
  VERBATIM)
add_custom_target(web_zip ALL DEPENDS ${VORNA_WEB_ZIP})
