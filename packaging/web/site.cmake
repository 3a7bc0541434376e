# The page's folder for players (`make web`): the page, its loader and style, the game's script and
# wasm, the sounds, the icons, the web app manifest and the service worker, and the font's
# licence; and the same folder as vorna-web.zip.
include(${CMAKE_SOURCE_DIR}/packaging/zip.cmake)
vorna_web_program(vorna)
set(VORNA_PAGE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VORNA_SITE_DIR ${CMAKE_BINARY_DIR}/site)
set(VORNA_WEB_ZIP ${CMAKE_BINARY_DIR}/vorna-web.zip)

# Icons rendered from the game's SVG: the favicon, the home-screen icon of iOS, the manifest's
# 192 and 512 and a maskable 512, the picture inside the safe circle on the page's colour.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(VORNA_WEB_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(VORNA_ICON_SVG ${CMAKE_SOURCE_DIR}/assets/vorna.svg)
set(VORNA_WEB_ICONS)
set(VORNA_MANIFEST_ICONS)
foreach(icon 32 180 192 512 maskable-512)
  set(png ${VORNA_WEB_ICON_DIR}/icon-${icon}.png)
  if(icon MATCHES "^maskable-([0-9]+)$")
    set(size ${CMAKE_MATCH_1})
    math(EXPR picture "${size} * 70 / 100")
    math(EXPR margin "(${size} - ${picture}) / 2")
    set(render -w ${picture} -h ${picture} --page-width ${size} --page-height ${size}
               --left ${margin} --top ${margin} -b "#202030")
    set(purpose maskable)
  else()
    set(size ${icon})
    set(render -w ${size} -h ${size})
    set(purpose any)
  endif()
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VORNA_WEB_ICON_DIR}
    COMMAND ${RSVG_CONVERT} ${render} -o ${png} ${VORNA_ICON_SVG}
    DEPENDS ${VORNA_ICON_SVG}
    COMMENT "Rendering the web icon icon-${icon}.png"
    VERBATIM)
  list(APPEND VORNA_WEB_ICONS ${png})
  if(size GREATER_EQUAL 192)
    list(APPEND VORNA_MANIFEST_ICONS "    {\"src\": \"icon-${icon}.png\", \"sizes\": \"${size}x${size}\", \"type\": \"image/png\", \"purpose\": \"${purpose}\"}")
  endif()
endforeach()
list(JOIN VORNA_MANIFEST_ICONS ",\n" VORNA_MANIFEST_ICONS)
set(VORNA_WEB_MANIFEST ${CMAKE_BINARY_DIR}/vorna.webmanifest)
configure_file(${VORNA_PAGE_DIR}/vorna.webmanifest.in ${VORNA_WEB_MANIFEST} @ONLY)

# Copied as they are; index.html and sw.js are then written by site_files.cmake, which needs the
# others in place (sizes, and a cache name made from every file's contents).
set(VORNA_SITE_COPIED
  ${VORNA_PAGE_DIR}/vorna.css ${VORNA_PAGE_DIR}/vorna-loader.js ${VORNA_PAGE_DIR}/vorna-page.js
  ${VORNA_PAGE_DIR}/vorna-controls.js
  ${VORNA_WEB_MANIFEST} ${CMAKE_SOURCE_DIR}/packaging/windows/FONT-LICENSE.txt
  ${VORNA_RUN_DIR}/vorna.js ${VORNA_RUN_DIR}/vorna.wasm ${VORNA_WEB_SOUND_PATHS} ${VORNA_WEB_ICONS})
set(VORNA_SITE_TEMPLATES ${VORNA_PAGE_DIR}/index.html ${VORNA_PAGE_DIR}/sw.js.in
                         ${VORNA_PAGE_DIR}/site_files.cmake)
vorna_zip(web_zip FOLDER ${VORNA_SITE_DIR} ZIP ${VORNA_WEB_ZIP}
  FILES ${VORNA_SITE_COPIED}
  THEN ${CMAKE_COMMAND} -DSITE=${VORNA_SITE_DIR} -DPAGE=${VORNA_PAGE_DIR}
       -P ${VORNA_PAGE_DIR}/site_files.cmake
  MAKES index.html sw.js
  DEPENDS vorna web_sounds ${VORNA_SITE_COPIED} ${VORNA_SITE_TEMPLATES}
  COMMENT "The page's folder, site/, and vorna-web.zip")
