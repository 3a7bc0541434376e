# Installing the game like any other Linux game, and its Debian package (`make package`). The
# two folders, VORNA_INSTALL_GAMESDIR and VORNA_INSTALL_GAMEDATADIR, come from the platform.
set(VORNA_APP_ID "example.c_seed_8e709582.Vorna")  # reverse-DNS of the project's domain
set(VORNA_HOMEPAGE "https://c-seed-8e709582.example/vorna")
set(VORNA_MAINTAINER_NAME "Seed 8e709582 maintainers")
set(VORNA_MAINTAINER "${VORNA_MAINTAINER_NAME} <maintainers@users.noreply.c-seed-8e709582.example>")
set(VORNA_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX expression of the game's licence")
set(VORNA_RELEASE_DATE "2026-12-09")

# Desktop entry, AppStream metadata and man page, with the id, version and paths filled in.
set(VORNA_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_SOURCE_DIR}/packaging/vorna.desktop.in
               ${VORNA_PACKAGING_DIR}/${VORNA_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/vorna.metainfo.xml.in
               ${VORNA_PACKAGING_DIR}/${VORNA_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/vorna.6.in ${VORNA_PACKAGING_DIR}/vorna.6 @ONLY)
# Every file an install holds, relative to the prefix (/usr for the package), in the layout
# Debian keeps games in: the staged-install test (tests/test_e2e_install.cpp) and the package
# test (scripts/package-check.sh) both check an install against installed-files.txt.
set(VORNA_INSTALLED_FILES
  games/vorna
  share/applications/${VORNA_APP_ID}.desktop
  share/metainfo/${VORNA_APP_ID}.metainfo.xml
  share/icons/hicolor/48x48/apps/${VORNA_APP_ID}.png
  share/icons/hicolor/128x128/apps/${VORNA_APP_ID}.png
  share/icons/hicolor/scalable/apps/${VORNA_APP_ID}.svg
  share/man/man6/vorna.6.gz)
list(TRANSFORM VORNA_DATA_FILES PREPEND share/games/vorna/ OUTPUT_VARIABLE VORNA_INSTALLED_DATA)
list(APPEND VORNA_INSTALLED_FILES ${VORNA_INSTALLED_DATA})
list(JOIN VORNA_INSTALLED_FILES "\n" VORNA_INSTALLED_LINES)
file(CONFIGURE OUTPUT ${VORNA_PACKAGING_DIR}/installed-files.txt CONTENT
     "@VORNA_INSTALLED_LINES@\n" @ONLY)
# The app id, for the package test's checks of the menu entry; sourced by its shell script.
file(CONFIGURE OUTPUT ${VORNA_PACKAGING_DIR}/package-names.sh CONTENT
     "VORNA_APP_ID=@VORNA_APP_ID@\n" @ONLY)

# Icons: the SVG as drawn, and the fixed sizes rendered from it by librsvg.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GZIP gzip REQUIRED)
set(VORNA_ICON_SVG ${CMAKE_SOURCE_DIR}/assets/vorna.svg)
set(VORNA_ICON_SIZES 48 128)
set(VORNA_PACKAGING_OUTPUTS ${VORNA_PACKAGING_DIR}/vorna.6.gz)
foreach(size ${VORNA_ICON_SIZES})
  set(png ${VORNA_PACKAGING_DIR}/icon-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${VORNA_ICON_SVG}
    DEPENDS ${VORNA_ICON_SVG}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND VORNA_PACKAGING_OUTPUTS ${png})
endforeach()
add_custom_command(OUTPUT ${VORNA_PACKAGING_DIR}/vorna.6.gz
  COMMAND ${GZIP} -9nf -k ${VORNA_PACKAGING_DIR}/vorna.6
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/vorna.6.in
  COMMENT "Compressing the man page"
  VERBATIM)
add_custom_target(vorna_packaging ALL DEPENDS ${VORNA_PACKAGING_OUTPUTS})

install(TARGETS vorna RUNTIME DESTINATION ${VORNA_INSTALL_GAMESDIR})
install(FILES ${VORNA_DATA_PATHS} DESTINATION ${VORNA_INSTALL_GAMEDATADIR})
install(FILES ${VORNA_PACKAGING_DIR}/${VORNA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${VORNA_PACKAGING_DIR}/${VORNA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
foreach(size ${VORNA_ICON_SIZES})
  install(FILES ${VORNA_PACKAGING_DIR}/icon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VORNA_APP_ID}.png)
endforeach()
install(FILES ${VORNA_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps
        RENAME ${VORNA_APP_ID}.svg)
install(FILES ${VORNA_PACKAGING_DIR}/vorna.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The Debian package: vorna_<version>_amd64.deb, library dependencies read from the binary.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorna)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${VORNA_MAINTAINER_NAME}")
set(CPACK_PACKAGE_CONTACT "${VORNA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person walk through random 3D mazes")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "${VORNA_TITLE}: a Japanese story scrolls up to the title, then every"
  "stage is a new random maze, ten cells larger than the one before. Life drains"
  "with every moment and every step; a red ball restores it, a teapot clears the"
  "fog, a click marks the wall ahead, and for a price the eye rises for a view"
  "from above. Drawn with OpenGL through freeglut, with MIDI music and sound"
  "effects through SDL2_mixer.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VORNA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VORNA_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The music is General MIDI: FluidSynth needs a soundfont, and the game prefers this small one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont")
include(CPack)
