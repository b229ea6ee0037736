# Assembles the distribution folder from the list below and, when DIST_ZIP
# is given, zips it.  Run by the dist target (cmake/win-setup.cmake) as
# "cmake -P" with the built programs, the generated folder and docs/.
#
# Setup installs the files of the first list from the folder it is started
# in; the help pages are there to be read where no WinHelp viewer is.

# Shipped name, then the file it is copied from byte for byte.
set(DIST_FILES
  setup.exe ${SETUP_EXE}
  Tessaron.hl_ ${GEN_DIR}/TESSARON.HLP
  Tessaron.ex_ ${TESSARON_EXE}
  ReadMe.txt ${DOCS_DIR}/ReadMe.txt
  Tessaron.txt ${DOCS_DIR}/Tessaron.txt
  Kelvey.ex_ ${KELVEY_EXE})
set(HELP_PAGES_FROM ${GEN_DIR}/help-html)
set(HELP_PAGES_TO help)

file(MAKE_DIRECTORY ${DIST_DIR})
set(shipped)
list(LENGTH DIST_FILES length)
math(EXPR last "${length} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET DIST_FILES ${i} name)
  list(GET DIST_FILES ${j} source)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "${source} is missing: the distribution needs it as ${name}")
  endif()
  file(COPY_FILE ${source} ${DIST_DIR}/${name} ONLY_IF_DIFFERENT)
  list(APPEND shipped ${name})
endforeach()

# The help pages, exactly those of this build.
file(GLOB pages RELATIVE ${HELP_PAGES_FROM} ${HELP_PAGES_FROM}/*.html)
if(NOT pages)
  message(FATAL_ERROR "no help pages in ${HELP_PAGES_FROM}")
endif()
file(REMOVE_RECURSE ${DIST_DIR}/${HELP_PAGES_TO})
file(MAKE_DIRECTORY ${DIST_DIR}/${HELP_PAGES_TO})
list(SORT pages)
foreach(page IN LISTS pages)
  file(COPY_FILE ${HELP_PAGES_FROM}/${page} ${DIST_DIR}/${HELP_PAGES_TO}/${page})
  list(APPEND shipped ${HELP_PAGES_TO}/${page})
endforeach()

if(DIST_ZIP)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${DIST_ZIP} --format=zip
            "--mtime=2000-01-01 00:00:00 UTC" ${shipped}
    WORKING_DIRECTORY ${DIST_DIR}
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Could not zip ${DIST_DIR}")
  endif()
endif()
