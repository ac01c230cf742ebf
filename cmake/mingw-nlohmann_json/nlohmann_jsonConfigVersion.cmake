# SPDX-License-Identifier: MIT
# The version of the Debian package that the headers come from.
include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake)
