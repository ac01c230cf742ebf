# SPDX-License-Identifier: MIT
# nlohmann-json for a mingw build. The library is header-only and the same for
# every target, but Debian's package names /usr/include, this machine's C headers,
# which must not come before mingw's own: they are searched after them instead.
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_COMPILE_OPTIONS "-idirafter;/usr/include")
endif()
