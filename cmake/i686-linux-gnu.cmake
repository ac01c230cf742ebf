# SPDX-License-Identifier: MIT
# Cross-compiling for 32-bit x86 Linux with Debian's g++-i686-linux-gnu, which
# brings the i386 C++ libraries; the programs run on this machine under qemu-i386
# with the target's loader and libraries from /usr/i686-linux-gnu. The top
# CMakeLists.txt adds -msse2 -mfpmath=sse for this processor.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)

set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Used by CTest and by the discovery of the GoogleTest cases to run target programs.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386;-L;/usr/i686-linux-gnu)
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "header-only, the same for every target")
