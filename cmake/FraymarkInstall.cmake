# Install layout of a desktop program and the Debian package built from it
# with `cpack -G DEB`. The executable's own install rule lives with its target.
include(GNUInstallDirs)

set(FRAYMARK_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
# The desktop file's name is the application id that main.cpp gives Qt, and
# the metainfo's launchable names it; keep the three in step.
set(FRAYMARK_DESKTOP_FILE fraymark.desktop)
set(FRAYMARK_METAINFO_FILE io.github.fraymark.Fraymark.metainfo.xml)

install(FILES ${FRAYMARK_PACKAGING_DIR}/${FRAYMARK_DESKTOP_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${FRAYMARK_PACKAGING_DIR}/fraymark.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${FRAYMARK_PACKAGING_DIR}/${FRAYMARK_METAINFO_FILE}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

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
notes, their fighting order by initiative, damage taken, and combats saved\n\
to and loaded from text files.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")

# dpkg-shlibdeps (from dpkg-dev) reads the real library needs off the binary;
# without it, name Debian 12's Qt 6 runtime packages by hand.
find_program(FRAYMARK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(FRAYMARK_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libc6, libstdc++6")
endif()

include(CPack)
