# SPDX-License-Identifier: MIT
# Every relative link of the README and the documents leads to a file: in the
# sources (SOURCE), and where each package puts them (each of BUILD's package
# components installed into a folder of its own, the documents read back from
# their .gz).

# Fails for each link in `text` (read from `file`) whose target is not in `folder`.
function(check_links file text folder)
  # Square brackets would keep a list from splitting: the links are marked anew.
  string(REPLACE "](" "<link>" text "${text}")
  string(REGEX MATCHALL "<link>[^)#:]+" links "${text}")
  foreach(link ${links})
    string(SUBSTRING "${link}" 6 -1 target)
    if(NOT EXISTS "${folder}/${target}")
      message(SEND_ERROR "${file}: the link to ${target} leads nowhere")
    endif()
  endforeach()
endfunction()

file(GLOB sources ${SOURCE}/*.md ${SOURCE}/docs/*.md)
foreach(file ${sources})
  file(READ ${file} text)
  get_filename_component(folder ${file} DIRECTORY)
  check_links(${file} "${text}" ${folder})
endforeach()

# Each package on its own: a document's links lead to files of its own package.
include(${BUILD}/CPackConfig.cmake)
set(prefix ${BUILD}/doc-links-check)
file(REMOVE_RECURSE ${prefix})
foreach(component ${CPACK_COMPONENTS_ALL})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --component ${component} --prefix ${prefix}/${component}
                  OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install ${BUILD} --component ${component} failed: ${status}")
  endif()
  file(GLOB_RECURSE installed ${prefix}/${component}/share/doc/*.md.gz)
  if(NOT installed)
    message(SEND_ERROR "no documents installed under ${prefix}/${component}/share/doc")
  endif()
  foreach(file ${installed})
    execute_process(COMMAND gzip -dc ${file} OUTPUT_VARIABLE text COMMAND_ERROR_IS_FATAL ANY)
    get_filename_component(folder ${file} DIRECTORY)
    check_links(${file} "${text}" ${folder})
  endforeach()
endforeach()
file(REMOVE_RECURSE ${prefix})
