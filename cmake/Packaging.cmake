# SPDX-License-Identifier: MIT
# `make package` (the `package` target): a Debian package of the programs and
# their desktop files, built by CPack from the install rules.
# The Windows programs get an installer of their own.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
  return()
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME driftmote)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Driftmote developers")
set(CPACK_PACKAGE_CONTACT "Driftmote developers <developers@driftmote.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "particles drifting in a box under pairwise forces")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
# The full Debian version, as the changelog names it.
set(DRIFTMOTE_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A desktop toy: games, as its desktop entry's category (Game) and its manual
# section (6) say. Its programs stay in /usr/bin, on every PATH (see
# docs/debian/lintian-overrides).
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# On a Wayland desktop the window runs as a Wayland client with it (else through X11).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# The extended description under the summary: one paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A small desktop toy: a few dozen to a few hundred round particles drift in a
square box under far attraction, near repulsion, friction and reflecting walls.
Type new coefficients, step through the Fun Presets, and grab and fling
particles with the mouse. driftmote-sim runs the same simulation without a
window and prints the particle states.")

include(CPack)
