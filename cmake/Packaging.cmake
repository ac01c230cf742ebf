# SPDX-License-Identifier: MIT
# `make package` (the `package` target): two Debian packages from one CPack run,
# one for each install component:
# - tool (driftmote-sim): the tool, its manual page and its bash completion; it
#   needs no Qt, so a machine without a desktop can have it alone;
# - window (driftmote): the window, its desktop files, its manual page and the
#   documents; it recommends driftmote-sim.
# Every install rule names its component; a build without the window packages
# the tool alone. The Windows programs get an installer of their own.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
  return()
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tool)
if(DRIFTMOTE_GUI)
  list(APPEND CPACK_COMPONENTS_ALL window)
endif()
set(CPACK_PACKAGE_NAME driftmote)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Driftmote developers")
set(CPACK_PACKAGE_CONTACT "Driftmote developers <developers@driftmote.org>")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# Revision 2 is the split: before it, one package driftmote held both programs.
set(CPACK_DEBIAN_PACKAGE_RELEASE 2)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
# The full Debian version and the day of this revision, as the changelog names them.
set(DRIFTMOTE_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(DRIFTMOTE_DEBIAN_DATE 2026-12-09)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Both packages come from the one source, under its name.
set(CPACK_DEBIAN_PACKAGE_SOURCE driftmote)
# A desktop toy: games, as its desktop entry's category (Game) and its manual
# sections (6) say. Its programs stay in /usr/bin, on every PATH (see the lintian
# overrides in docs/debian/).
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link: the C and C++ runtimes, FFmpeg's in a build
# with videos, and Qt's for the window.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME driftmote-sim)
# The tool's files were in driftmote before the split, so that an upgrade from
# there moves them over.
set(CPACK_DEBIAN_TOOL_PACKAGE_BREAKS "driftmote (<< 1.0.0.1-2)")
set(CPACK_DEBIAN_TOOL_PACKAGE_REPLACES "driftmote (<< 1.0.0.1-2)")
# Each description: the summary line, then one paragraph.
set(CPACK_DEBIAN_TOOL_DESCRIPTION "particles drifting in a box under pairwise forces, without a window
driftmote-sim runs Driftmote's simulation without a window: a few dozen to a
few hundred round particles drift in a square box under far attraction, near
repulsion, friction and reflecting walls. It prints the particle states, loads
and saves snapshots, and writes pictures and videos of the box. It needs no
desktop; the window is in the package driftmote.")

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME driftmote)
# The window does not run the tool, but whoever installs it expects the tool
# beside it, of the same release: a recommendation, which apt installs by default.
# On a Wayland desktop the window runs as a Wayland client with qt6-wayland (else
# through X11).
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "driftmote-sim (= ${DRIFTMOTE_DEBIAN_VERSION}), qt6-wayland")
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "particles drifting in a box under pairwise forces
A small desktop toy: a few dozen to a few hundred round particles drift in a
square box under far attraction, near repulsion, friction and reflecting walls.
Type new coefficients, step through the Fun Presets, and grab and fling
particles with the mouse. The package driftmote-sim runs the same simulation
without a window and prints the particle states.")

include(CPack)

# A file installed without a component would be in neither package.
function(driftmote_check_components)
  get_cmake_property(components COMPONENTS)
  list(REMOVE_ITEM components ${CPACK_COMPONENTS_ALL})
  if(components)
    message(FATAL_ERROR "Install rules in no package's component: ${components} "
                        "(give each install() COMPONENT tool or COMPONENT window)")
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL driftmote_check_components)
