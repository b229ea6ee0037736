# Assembles the distribution folder from the list below and, when DIST_ZIP
# is given, zips it.  Run by the dist target (cmake/win-setup.cmake) as
# "cmake -P" with the built programs, the generated folder, docs/ and the
# checkout (SOURCE_DIR).
#
# Setup installs the files of the first list from the folder it is started
# in; the help pages are there to be read where no WinHelp viewer is.
#
# Two builds of one commit give the same folder and zip, byte for byte:
# every file bears the commit's time and the same permissions, and the zip
# lists them in this order with no extra fields (no owner, no other times).

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

# The time the files bear: SOURCE_DATE_EPOCH when the caller gives it,
# else the commit's time, else (a copy that is no git checkout) the time of
# CMakeLists.txt, which a source archive made by git gives as the commit's.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if("${epoch}" STREQUAL "")
  execute_process(COMMAND git rev-parse --show-toplevel WORKING_DIRECTORY ${SOURCE_DIR}
    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE not_git ERROR_QUIET)
  file(REAL_PATH "${SOURCE_DIR}" source)
  if(NOT not_git AND top STREQUAL source)
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${SOURCE_DIR}
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if("${epoch}" STREQUAL "")
    file(TIMESTAMP ${SOURCE_DIR}/CMakeLists.txt epoch "%s" UTC)
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds since 1970, not \"${epoch}\"")
endif()

file(REMOVE_RECURSE ${DIST_DIR})
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
  file(COPY_FILE ${source} ${DIST_DIR}/${name})
  list(APPEND shipped ${name})
endforeach()

# The help pages, exactly those of this build.
file(GLOB pages RELATIVE ${HELP_PAGES_FROM} ${HELP_PAGES_FROM}/*.html)
if(NOT pages)
  message(FATAL_ERROR "no help pages in ${HELP_PAGES_FROM}")
endif()
file(MAKE_DIRECTORY ${DIST_DIR}/${HELP_PAGES_TO})
list(SORT pages)
foreach(page IN LISTS pages)
  file(COPY_FILE ${HELP_PAGES_FROM}/${page} ${DIST_DIR}/${HELP_PAGES_TO}/${page})
  list(APPEND shipped ${HELP_PAGES_TO}/${page})
endforeach()

list(TRANSFORM shipped PREPEND ${DIST_DIR}/ OUTPUT_VARIABLE paths)
file(CHMOD ${paths} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
execute_process(COMMAND touch -d @${epoch} ${shipped} WORKING_DIRECTORY ${DIST_DIR} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Could not set the times of the files in ${DIST_DIR}")
endif()

if(DIST_ZIP)
  # zip writes local times: in UTC they are the commit's.  -X leaves out
  # the owner and the extra times, -D the folder entries.
  find_program(ZIP zip REQUIRED)
  file(REMOVE ${DIST_ZIP})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=ZIPOPT TZ=UTC ${ZIP} -X -D -q ${DIST_ZIP} ${shipped}
    WORKING_DIRECTORY ${DIST_DIR}
    RESULT_VARIABLE failed)
  if(failed)
    file(REMOVE ${DIST_ZIP})
    message(FATAL_ERROR "Could not zip ${DIST_DIR}")
  endif()
endif()
