# The setup wizard, the uninstaller Kelvey and the distribution folder.
#
# Included by the Windows build, this file defines the targets.  Run with
# "cmake -P" (by the dist target below) it assembles the distribution: the
# help file and the documents are picked at build time, so the real ones
# replace the placeholders as soon as they exist.

if(CMAKE_SCRIPT_MODE_FILE)
  file(MAKE_DIRECTORY ${DIST_DIR} ${DIST_WORK})

  # The shipped name beside the file it is copied from, byte for byte.
  function(ship source name)
    file(COPY_FILE ${source} ${DIST_DIR}/${name} ONLY_IF_DIFFERENT)
  endfunction()

  # A placeholder only changes when its text does.
  function(placeholder name text)
    file(WRITE ${DIST_WORK}/${name}.new "${text}")
    file(COPY_FILE ${DIST_WORK}/${name}.new ${DIST_WORK}/${name} ONLY_IF_DIFFERENT)
    ship(${DIST_WORK}/${name} ${name})
  endfunction()

  ship(${SETUP_EXE} setup.exe)
  ship(${TESSARON_EXE} Tessaron.ex_)
  ship(${KELVEY_EXE} Kelvey.ex_)

  if(EXISTS ${HELP_FILE})
    ship(${HELP_FILE} Tessaron.hl_)
  else()
    # Until the real help is built: a one-topic WinHelp file, so that the
    # installed program still opens a help file.
    set(source ${DIST_WORK}/placeholder.but)
    file(WRITE ${source}
      "\\cfg{winhelp-topic}{Contents}\n"
      "\\title Tessaron\n\n"
      "The help for Tessaron is not written yet.\n")
    set(help ${DIST_WORK}/TESSARON.HLP)
    if(NOT EXISTS ${help} OR ${source} IS_NEWER_THAN ${help})
      execute_process(COMMAND halibut --winhelp=${help} ${source}
                      WORKING_DIRECTORY ${DIST_WORK} RESULT_VARIABLE failed)
      if(failed OR NOT EXISTS ${help})
        file(WRITE ${help} "Tessaron help is not built yet.\r\n")
      endif()
    endif()
    ship(${help} Tessaron.hl_)
  endif()

  foreach(doc ReadMe Tessaron)
    if(EXISTS ${DOCS_DIR}/${doc}.txt)
      ship(${DOCS_DIR}/${doc}.txt ${doc}.txt)
    else()
      placeholder(${doc}.txt "Tessaron\r\n\r\nThis document is not written yet.\r\n")
    endif()
  endforeach()

  set(shipped setup.exe Tessaron.hl_ Tessaron.ex_ ReadMe.txt Tessaron.txt Kelvey.ex_)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${DIST_ZIP} --format=zip
            "--mtime=2000-01-01 00:00:00 UTC" ${shipped}
    WORKING_DIRECTORY ${DIST_DIR}
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Could not zip ${DIST_DIR}")
  endif()
  return()
endif()

add_executable(setup WIN32 ${SETUP_WIN32} ${CMAKE_SOURCE_DIR}/setup/setup.rc)
target_link_libraries(setup PRIVATE setup_core common_win32 ole32 uuid shell32 advapi32)
set_source_files_properties(${CMAKE_SOURCE_DIR}/setup/setup.rc PROPERTIES
  OBJECT_DEPENDS ${TESSARON_GEN_DIR}/icons/icon50.ico)

# Kelvey finds the Start-up shortcut exactly as setup does.
add_executable(Kelvey WIN32 ${KELVEY_WIN32} ${CMAKE_SOURCE_DIR}/setup/startup_win32.cpp)
target_include_directories(Kelvey PRIVATE ${CMAKE_SOURCE_DIR}/setup)
target_link_libraries(Kelvey PRIVATE kelvey_core setup_core common_core advapi32)

set(DIST_DIR ${CMAKE_BINARY_DIR}/dist)
add_custom_target(dist ALL
  COMMAND ${CMAKE_COMMAND}
    -DDIST_DIR=${DIST_DIR}
    -DDIST_WORK=${CMAKE_BINARY_DIR}/dist-work
    -DDIST_ZIP=${CMAKE_BINARY_DIR}/Tessaron.zip
    -DSETUP_EXE=$<TARGET_FILE:setup>
    -DTESSARON_EXE=$<TARGET_FILE:Tessaron>
    -DKELVEY_EXE=$<TARGET_FILE:Kelvey>
    -DHELP_FILE=${TESSARON_GEN_DIR}/TESSARON.HLP
    -DDOCS_DIR=${CMAKE_SOURCE_DIR}/docs
    -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS setup Tessaron Kelvey
  COMMENT "Assembling the distribution folder"
  VERBATIM)
