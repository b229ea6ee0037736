cmake_minimum_required(VERSION 3.20)
# The one version of CMakeLists.txt wherever the distribution names it: the
# version resource of each program of both builds, read back by pecheck, the
# first line of each document (with its underline) and the zip's name.
#   -DPECHECK=<pecheck> -DVERSION=<x.y> -DBUILD=<native build folder>
set(programs)
foreach(arch x86 x64)
  foreach(program setup.exe Tessaron.ex_ Kelvey.ex_)
    list(APPEND programs ${BUILD}/windows-${arch}/dist/${program})
  endforeach()
endforeach()
execute_process(COMMAND ${PECHECK} --version ${VERSION} ${programs} OUTPUT_VARIABLE out ERROR_VARIABLE out
  RESULT_VARIABLE failed)
message("${out}")
if(failed)
  message(SEND_ERROR "a version resource does not name Tessaron ${VERSION}")
endif()

string(REPLACE "." "\\." pattern "Tessaron ${VERSION}")
foreach(document ReadMe.txt Tessaron.txt)
  file(STRINGS ${BUILD}/windows-x86/dist/${document} lines LIMIT_COUNT 2)
  list(TRANSFORM lines STRIP)  # the CR of CR LF
  list(GET lines 0 title)
  list(GET lines 1 underline)
  string(LENGTH "${title}" length)
  string(REPEAT "=" ${length} rule)
  if(NOT title MATCHES "^${pattern}( |$)" OR NOT underline STREQUAL rule)
    message(SEND_ERROR "${document} begins \"${title}\" \"${underline}\", not with Tessaron ${VERSION} underlined")
  endif()
endforeach()
if(NOT EXISTS ${BUILD}/windows-x86/Tessaron-${VERSION}.zip)
  message(SEND_ERROR "no Tessaron-${VERSION}.zip in ${BUILD}/windows-x86")
endif()
