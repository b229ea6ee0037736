# Acceptance scenarios: the real programs under Wine in a private Xvfb,
# driven from outside by driver.exe (see driver.h).
#
# Windows sub-builds (both): driver.exe (the steps and every scenario file)
# and recorder.exe.  Native build: two CTest tests per scenario, found by
# name in the scenario files, one for each Windows build, each run between
# a set-up and a clean-up fixture of its own.

file(GLOB ACCEPTANCE_SCENARIO_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/scn_*_win32.cpp)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  add_executable(driver ${CMAKE_CURRENT_LIST_DIR}/driver.cpp ${ACCEPTANCE_SCENARIO_SOURCES}
    ${CMAKE_SOURCE_DIR}/common/helppages.cpp)
  target_include_directories(driver PRIVATE
    ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/tray ${CMAKE_SOURCE_DIR}/common ${CMAKE_BINARY_DIR})
  add_executable(recorder WIN32 ${CMAKE_CURRENT_LIST_DIR}/recorder.c)
else()
  set(ACCEPTANCE_HARNESS ${CMAKE_CURRENT_LIST_DIR}/harness.sh)

  # Scenarios that are about the 64-bit twin alone, as name and reason;
  # every other scenario runs on both builds.
  set(ACCEPTANCE_TWIN_ONLY)

  # A changed scenario file may add or rename scenarios: configure again.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ACCEPTANCE_SCENARIO_SOURCES})
  set(ACCEPTANCE_NAMES)
  set(ACCEPTANCE_WITH_DRIVES)
  foreach(source IN LISTS ACCEPTANCE_SCENARIO_SOURCES)
    file(STRINGS ${source} declarations REGEX "^SCENARIO(_DRIVES|_LOCALE)?\\(")
    foreach(declaration IN LISTS declarations)
      set(locale "")
      if(declaration MATCHES "^SCENARIO\\(([A-Za-z_][A-Za-z0-9_]*)\\)")
        set(name ${CMAKE_MATCH_1})
        set(drives "")
      elseif(declaration MATCHES "^SCENARIO_LOCALE\\(([A-Za-z_][A-Za-z0-9_]*), *\"([A-Za-z_]+\\.[A-Za-z0-9-]+)\"\\)")
        set(name ${CMAKE_MATCH_1})
        set(drives "")
        set(locale ${CMAKE_MATCH_2})
      elseif(declaration MATCHES "^SCENARIO_DRIVES\\(([A-Za-z_][A-Za-z0-9_]*), *\"([^\"|]*)\"\\)")
        set(name ${CMAKE_MATCH_1})
        set(drives ${CMAKE_MATCH_2})
      else()
        message(FATAL_ERROR "${source}: cannot read the scenario declaration: ${declaration}")
      endif()
      if(name IN_LIST ACCEPTANCE_NAMES)
        message(FATAL_ERROR "${source}: the scenario name ${name} is used twice")
      endif()
      list(APPEND ACCEPTANCE_NAMES ${name})
      if(locale)
        set(ACCEPTANCE_LOCALE_${name} ${locale})
      endif()
      # Scenarios with extra drives last, those with the same drives
      # together: every change of drives restarts the Wine session.
      list(APPEND ACCEPTANCE_WITH_DRIVES "${drives}|${name}")
    endforeach()
  endforeach()
  list(SORT ACCEPTANCE_WITH_DRIVES)

  # The same scenarios twice: label acceptance on the 64-bit twin, label
  # shipped on the shipped 32-bit programs with a 32-bit driver, each run
  # with its own X server, prefix and fixture.  Where the machine cannot
  # run 32-bit programs the shipped run reports CTest's skipped state.
  foreach(run acceptance shipped)
    if(run STREQUAL "acceptance")
      set(bin ${WINDOWS_BIN})
      set(fixture wine)
      set(mode twin)
    else()
      set(bin ${SHIPPED_BIN})
      set(fixture wine32)
      set(mode shipped)
    endif()
    set(state ${CMAKE_BINARY_DIR}/${run})
    add_test(NAME ${run}.start COMMAND ${ACCEPTANCE_HARNESS} start ${state} ${bin} ${mode})
    add_test(NAME ${run}.stop COMMAND ${ACCEPTANCE_HARNESS} stop ${state})
    set_tests_properties(${run}.start PROPERTIES
      FIXTURES_SETUP ${fixture} RESOURCE_LOCK ${fixture} LABELS ${run} TIMEOUT 300 SKIP_RETURN_CODE 77)
    set_tests_properties(${run}.stop PROPERTIES
      FIXTURES_CLEANUP ${fixture} RESOURCE_LOCK ${fixture} LABELS ${run} TIMEOUT 120)
    foreach(entry IN LISTS ACCEPTANCE_WITH_DRIVES)
      string(FIND "${entry}" "|" bar)
      string(SUBSTRING "${entry}" 0 ${bar} drives)
      math(EXPR after "${bar} + 1")
      string(SUBSTRING "${entry}" ${after} -1 name)
      if(run STREQUAL "shipped" AND name IN_LIST ACCEPTANCE_TWIN_ONLY)
        continue()
      endif()
      add_test(NAME ${run}.${name} COMMAND ${ACCEPTANCE_HARNESS} run ${state} ${name} "${drives}")
      set_tests_properties(${run}.${name} PROPERTIES
        FIXTURES_REQUIRED ${fixture} RESOURCE_LOCK ${fixture} LABELS ${run} TIMEOUT 120 SKIP_RETURN_CODE 77)
      if(DEFINED ACCEPTANCE_LOCALE_${name})
        set_tests_properties(${run}.${name} PROPERTIES ENVIRONMENT ACCEPTANCE_LOCALE=${ACCEPTANCE_LOCALE_${name}})
      endif()
      # The long-use scenarios run for minutes (half an hour with all counts).
      if(name MATCHES "^longuse_")
        set_tests_properties(${run}.${name} PROPERTIES
          TIMEOUT 2400 ENVIRONMENT ACCEPTANCE_SCENARIO_SECONDS=2300)
      endif()
    endforeach()
  endforeach()
endif()
