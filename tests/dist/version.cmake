cmake_minimum_required(VERSION 3.20)
# The version of CMakeLists.txt wherever the distribution names it: the
# version resources of both builds' programs, read back by pecheck, the
# zip's name and the underlined first line of each document.
#   -DPECHECK=<pecheck> -DVERSION=<x.y> -DBUILD=<native build folder>
set(programs)
foreach(program x86/dist/setup.exe x86/dist/Tessaron.ex_ x86/dist/Kelvey.ex_
                x64/dist/setup.exe x64/dist/Tessaron.ex_ x64/dist/Kelvey.ex_)
  list(APPEND programs ${BUILD}/windows-${program})
endforeach()
execute_process(COMMAND ${PECHECK} --version ${VERSION} ${programs} RESULT_VARIABLE failed)
if(failed OR NOT EXISTS ${BUILD}/windows-x86/Tessaron-${VERSION}.zip)
  message(SEND_ERROR "a version resource does not name Tessaron ${VERSION}, or no Tessaron-${VERSION}.zip")
endif()
foreach(document ReadMe.txt Tessaron.txt)
  file(STRINGS ${BUILD}/windows-x86/dist/${document} lines LIMIT_COUNT 2)
  list(TRANSFORM lines STRIP)  # the CR of CR LF
  list(GET lines 0 title)
  string(LENGTH "${title}" length)
  string(REPEAT "=" ${length} rule)
  string(FIND "${title} " "Tessaron ${VERSION} " at)
  if(NOT at EQUAL 0 OR NOT lines MATCHES ";${rule}$")
    message(SEND_ERROR "${document} does not begin with \"Tessaron ${VERSION}\" underlined: ${lines}")
  endif()
endforeach()
