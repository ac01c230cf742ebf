# SPDX-License-Identifier: MIT
# LICENSE, the package's copyright file and the program's legal notice name the
# same holder and year, and the copyright file carries LICENSE's terms word for word.
file(READ ${SOURCE}/LICENSE license)
file(READ ${SOURCE}/docs/debian/copyright copyright)
file(READ ${SOURCE}/res/VersionBlock.h block)

if(NOT license MATCHES "Copyright \\(C\\) ([^\n]+)\n")
  message(FATAL_ERROR "LICENSE has no copyright line")
endif()
set(holder "${CMAKE_MATCH_1}")
if(NOT copyright MATCHES "\nCopyright: ${holder}\n")
  message(FATAL_ERROR "docs/debian/copyright does not name '${holder}'")
endif()
string(FIND "${block}" "\"Copyright (C) ${holder}. MIT License.\"" at)
if(at EQUAL -1)
  message(FATAL_ERROR "res/VersionBlock.h's legal notice does not name '${holder}'")
endif()

# The terms: LICENSE from "Permission" on; in the copyright file, one space of
# indent per line and " ." for an empty line.
string(FIND "${license}" "Permission is hereby granted" start)
string(SUBSTRING "${license}" ${start} -1 terms)
string(FIND "${copyright}" " Permission is hereby granted" start)
string(SUBSTRING "${copyright}" ${start} -1 debian_terms)
string(REGEX REPLACE "\n \\.\n" "\n\n" debian_terms "${debian_terms}")
string(REGEX REPLACE "(^|\n) " "\\1" debian_terms "${debian_terms}")
if(NOT terms STREQUAL debian_terms)
  message(FATAL_ERROR "The terms in docs/debian/copyright differ from LICENSE")
endif()
