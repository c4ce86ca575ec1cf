# The Debian package, built by CPack (`cpack -G DEB` in the build folder, or
# scripts/package.sh for a release build with Debian's hardening flags). It
# holds what `cmake --install` installs (cmake/Install.cmake), at the same
# prefix. Library dependencies are computed from the binaries; the run-time
# ones that no binary links are named here: the Qt SQLite and PostgreSQL
# drivers (plugins),
# the fonts of the windows, xdg-utils for opening files with their programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norvena)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${NORVENA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "electronic textbook of a literature course with graded tests")
set(CPACK_PACKAGE_DESCRIPTION
"Норвена is an electronic textbook for a university course in the history of
Russian literature. Students browse the course's authors, open their
presentations and documents, read the teaching materials and take
multiple-choice tests that are graded and stored; a teacher, entering with
a password, maintains the author register, the question base and the
results.

The course lies in an ordinary folder, set for all users in
/etc/norvena/norvena.conf; without it, each user works in a copy of the
demo course that the package brings.")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_SET_DESTDIR ON) # the settings file lies outside the prefix, in /etc
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, fonts-liberation2, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-impress")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
file(WRITE "${CMAKE_BINARY_DIR}/install-files/conffiles" "${NORVENA_SETTINGS_INSTALL_DIR}/norvena.conf\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/install-files/conffiles")
include(CPack)
