# SPDX-License-Identifier: MIT
# Cross-compiling for 64-bit Arm against Debian's arm64 cross libraries
# (libstdc++-12-dev-arm64-cross and what it pulls in); the programs run on this
# machine under qemu-aarch64 (Debian's qemu-user), with the target's loader and
# libraries from /usr/aarch64-linux-gnu.
#
# The compiler is Debian's g++-aarch64-linux-gnu when it is installed, else
# clang++ for the same target with the same libraries: Debian's g++-multilib
# (for 32-bit x86 builds) cannot be installed beside the cross g++.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

find_program(DRIFTMOTE_CROSS_GXX aarch64-linux-gnu-g++)
if(DRIFTMOTE_CROSS_GXX)
  set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
  set(CMAKE_CXX_COMPILER ${DRIFTMOTE_CROSS_GXX})
else()
  set(CMAKE_C_COMPILER clang)
  set(CMAKE_CXX_COMPILER clang++)
  set(CMAKE_C_COMPILER_TARGET aarch64-linux-gnu)
  set(CMAKE_CXX_COMPILER_TARGET aarch64-linux-gnu)
endif()

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Used by CTest and by the discovery of the GoogleTest cases to run target programs.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64;-L;/usr/aarch64-linux-gnu)
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "header-only, the same for every target")
