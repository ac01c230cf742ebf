# SPDX-License-Identifier: MIT
# Cross-compiling for 32-bit Windows (x86) with Debian's mingw-w64
# (g++-mingw-w64-i686-posix: the thread model std::thread needs). The programs
# run on this machine under wine.
#
# libstdc++, libgcc and winpthreads are linked in statically, so that a program is
# one .exe that needs no DLL beside it, on Windows as under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Used by CTest and by the discovery of the GoogleTest cases to run target programs.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-nlohmann_json CACHE PATH "Debian's headers after mingw's own")
