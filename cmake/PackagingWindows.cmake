# SPDX-License-Identifier: MIT
# The Windows programs' installer, Driftmote-<version>-win64.exe (win32 for a
# 32-bit build), made by CPack's NSIS generator with Debian's makensis: the window
# and the tool in the install folder, a Start menu entry for the window, the
# .driftmote files opening in the window, and an uninstaller that takes all of it
# away again.
set(CPACK_GENERATOR NSIS)
# The installer takes the programs as they are built; it does not build the tests too.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME Driftmote)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Driftmote developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "particles drifting in a box under pairwise forces")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# One installer with everything: the install rules' components are the Debian
# packages', which the installer does not offer to choose between.
set(CPACK_MONOLITHIC_INSTALL ON)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  # The installer is a 64-bit program too, so that a 64-bit system alone runs it;
  # makensis is told so before the script (cmake/makensis-amd64).
  set(CPACK_NSIS_EXECUTABLE ${PROJECT_SOURCE_DIR}/cmake/makensis-amd64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_PACKAGE_FILE_NAME Driftmote-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Driftmote)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Driftmote)
set(CPACK_NSIS_PACKAGE_NAME Driftmote)
set(CPACK_NSIS_DISPLAY_NAME Driftmote)
set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\\\driftmote.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start menu entry: bin\driftmote.exe, named Driftmote.
set(CPACK_PACKAGE_EXECUTABLES driftmote Driftmote)
# A snapshot opens in the window on a double click.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr HKCR '.driftmote' '' 'Driftmote.Snapshot'
  WriteRegStr HKCR 'Driftmote.Snapshot' '' 'Driftmote snapshot'
  WriteRegStr HKCR 'Driftmote.Snapshot\\\\DefaultIcon' '' '$INSTDIR\\\\bin\\\\driftmote.exe,0'
  WriteRegStr HKCR 'Driftmote.Snapshot\\\\shell\\\\open\\\\command' '' '\\\"$INSTDIR\\\\bin\\\\driftmote.exe\\\" \\\"%1\\\"'
")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey HKCR '.driftmote'
  DeleteRegKey HKCR 'Driftmote.Snapshot'
")
include(CPack)
