# Install layout of a desktop game and the Debian package built from it with
# `cpack -G DEB`. Include it before the source folders: the executable's own
# install rule, which lives with its target, uses FRAYMARK_INSTALL_BINDIR.
include_guard(GLOBAL)
include(GNUInstallDirs)

# A tabletop aid is a game to Debian: program in games/ (/usr/games), section
# games, manual in section 6. Variables of our own, as Qt's CMake files have
# already cached GNUInstallDirs' bin/ before this runs.
set(FRAYMARK_INSTALL_BINDIR games CACHE PATH "Where the fraymark program is installed")
set(FRAYMARK_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/fraymark CACHE PATH
    "Where the copyright and the changelogs are installed")

set(FRAYMARK_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
# The desktop file's name is the AppStream id, which the metainfo's launchable
# and main.cpp's desktop file name repeat; keep the three in step.
set(FRAYMARK_APP_ID io.github.fraymark.Fraymark)

install(FILES ${FRAYMARK_PACKAGING_DIR}/${FRAYMARK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${FRAYMARK_PACKAGING_DIR}/fraymark.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${FRAYMARK_PACKAGING_DIR}/${FRAYMARK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page and the changelogs go out compressed as Debian wants them:
# gzip -9n, without a name or time stamp, so that builds are reproducible.
find_program(FRAYMARK_GZIP gzip REQUIRED)
set(FRAYMARK_GZIPPED)
function(fraymark_gzip source name)
  set(plain ${CMAKE_CURRENT_BINARY_DIR}/gz/${name})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${FRAYMARK_GZIP} -9nf ${plain}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(FRAYMARK_GZIPPED ${FRAYMARK_GZIPPED} ${plain}.gz PARENT_SCOPE)
endfunction()
fraymark_gzip(${PROJECT_SOURCE_DIR}/docs/fraymark.6 fraymark.6)
fraymark_gzip(${PROJECT_SOURCE_DIR}/CHANGELOG.md changelog)
fraymark_gzip(${FRAYMARK_PACKAGING_DIR}/changelog.Debian changelog.Debian)
add_custom_target(fraymark_docs ALL DEPENDS ${FRAYMARK_GZIPPED})

install(FILES ${CMAKE_CURRENT_BINARY_DIR}/gz/fraymark.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${FRAYMARK_PACKAGING_DIR}/copyright
              ${CMAKE_CURRENT_BINARY_DIR}/gz/changelog.gz
              ${CMAKE_CURRENT_BINARY_DIR}/gz/changelog.Debian.gz
        DESTINATION ${FRAYMARK_INSTALL_DOCDIR})
install(FILES ${FRAYMARK_PACKAGING_DIR}/fraymark.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME fraymark)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fraymark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Fraymark developers")
set(CPACK_PACKAGE_CONTACT "Fraymark maintainers <maintainers@fraymark.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines of the extended description stay short, as dpkg shows them as is.
set(CPACK_PACKAGE_DESCRIPTION "\
Fraymark keeps track of a combat in a d20 tabletop game: a roster of 19\n\
combatants with hit points, initiative, armour class, saving throws and\n\
notes, their fighting order by initiative, turns and rounds, damage taken,\n\
undo of every change, and combats saved to and loaded from text files.")
# The package carries the program without its debug symbols.
set(CPACK_STRIP_FILES ON)

# The Debian revision: the first packaging of this upstream version. It must
# match the newest entry of packaging/changelog.Debian.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# Qt picks the Wayland platform plugin in a Wayland session when it is there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# Directories in the package owned by root and 0755, files 0644 unless executable.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# dpkg-shlibdeps (from dpkg-dev) reads the real library needs off the binary;
# without it, name Debian 12's Qt 6 runtime packages by hand.
find_program(FRAYMARK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(FRAYMARK_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6network6 (>= 6.4), libqt6core6 (>= 6.4), libqrencode4, libc6, libstdc++6")
endif()

include(CPack)
