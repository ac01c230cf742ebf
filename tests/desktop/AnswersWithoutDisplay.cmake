# SPDX-License-Identifier: MIT
# Runs PROGRAM with no display at all: --version must print VERSION and exit 0,
# an unknown option must exit 2 with a message on stderr, --help into a full
# disk must exit 1, and the window itself, with no display or one that cannot be
# opened, must say so in one line and exit 1.
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})

execute_process(COMMAND ${PROGRAM} --version RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "^driftmote ${VERSION}\n")
  message(FATAL_ERROR "--version: status ${status}, stdout '${out}', stderr '${err}'")
endif()

execute_process(COMMAND ${PROGRAM} --no-such-option RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT out STREQUAL "" OR NOT err MATCHES "no-such-option")
  message(FATAL_ERROR "--no-such-option: status ${status}, stdout '${out}', stderr '${err}'")
endif()

# Help that cannot be written (a full disk) fails, as the tool's output does.
if(EXISTS /dev/full)
  execute_process(COMMAND ${PROGRAM} --help RESULT_VARIABLE status OUTPUT_FILE /dev/full ERROR_VARIABLE err)
  if(NOT status EQUAL 1 OR NOT err MATCHES "cannot write the output: No space left on device")
    message(FATAL_ERROR "--help >/dev/full: status ${status}, stderr '${err}'")
  endif()
endif()

foreach(display "" ":65000")
  if(display)
    set(ENV{DISPLAY} ${display})
  endif()
  execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 1 OR NOT out STREQUAL "" OR NOT err MATCHES "^driftmote: [^\n]*display[^\n]*\n$")
    message(FATAL_ERROR "DISPLAY '${display}': status ${status}, stdout '${out}', stderr '${err}'")
  endif()
endforeach()
