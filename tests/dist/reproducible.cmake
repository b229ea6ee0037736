cmake_minimum_required(VERSION 3.20)
# Builds the distribution again in another folder, with the clock 400 days
# ahead when faketime is installed; every shipped file of both Windows
# builds and the zip must equal the first build's, byte for byte, and none
# may name the checkout's or the build's folder (as bytes or as the UTF-16
# text of resources).
#   -DSOURCE=<checkout> -DFIRST=<first build> -DSECOND=<new folder> -DZIP=<zip name> [-DFAKETIME=<path>]
if(NOT FAKETIME)
  message("faketime is not installed: the second build runs at the real time")
  set(FAKETIME)
else()
  set(FAKETIME ${FAKETIME} -f +400d)
endif()
file(REMOVE_RECURSE ${SECOND})
foreach(step "-S;${SOURCE};-B;${SECOND};-G;Ninja;-DTESSARON_DIST_ONLY=ON" "--build;${SECOND}")
  execute_process(COMMAND ${FAKETIME} ${CMAKE_COMMAND} ${step} OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "The second build failed:\n${log}")
  endif()
endforeach()

# diff lists what differs in name order, files missing on either side too.
foreach(shipped windows-x86/dist windows-x64/dist windows-x86/${ZIP})
  execute_process(COMMAND diff -rq ${FIRST}/${shipped} ${SECOND}/${shipped} OUTPUT_VARIABLE out RESULT_VARIABLE differ)
  if(differ)
    string(REGEX MATCH "^[^\n]*" first "${out}")
    message(FATAL_ERROR "The builds differ, first here: ${first}\n\nAll:\n${out}")
  endif()
endforeach()

set(needles)
foreach(folder ${SOURCE} ${FIRST})
  string(HEX "${folder}" ascii)
  string(REGEX REPLACE "(..)" "\\100" utf16 "${ascii}")
  list(APPEND needles ${ascii} ${utf16})
endforeach()
file(GLOB_RECURSE files ${SECOND}/windows-x86/dist/* ${SECOND}/windows-x64/dist/*)
foreach(file IN LISTS files)
  file(READ ${file} bytes HEX)
  foreach(needle IN LISTS needles)
    string(FIND "${bytes}" "${needle}" at)
    if(at GREATER_EQUAL 0)
      message(SEND_ERROR "${file} names a folder of the build machine")
    endif()
  endforeach()
endforeach()
list(LENGTH files count)
message("${count} shipped files and the zip the same in ${FIRST} and ${SECOND}")
