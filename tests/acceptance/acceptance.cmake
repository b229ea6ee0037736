# Acceptance scenarios: the real programs under Wine in a private Xvfb,
# driven from outside by driver.exe (see driver.h).
#
# Windows sub-build: driver.exe (the steps and every scenario file) and
# recorder.exe.  Native build: one CTest test per scenario, found by name in
# the scenario files, between a set-up and a clean-up fixture.

file(GLOB ACCEPTANCE_SCENARIO_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_LIST_DIR}/scn_*_win32.cpp)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  add_executable(driver ${CMAKE_CURRENT_LIST_DIR}/driver.cpp ${ACCEPTANCE_SCENARIO_SOURCES}
    ${CMAKE_SOURCE_DIR}/common/helppages.cpp)
  target_include_directories(driver PRIVATE
    ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/tray ${CMAKE_SOURCE_DIR}/common ${CMAKE_BINARY_DIR})
  add_executable(recorder WIN32 ${CMAKE_CURRENT_LIST_DIR}/recorder.c)
else()
  set(ACCEPTANCE_STATE ${CMAKE_BINARY_DIR}/acceptance)
  set(ACCEPTANCE_HARNESS ${CMAKE_CURRENT_LIST_DIR}/harness.sh)

  add_test(NAME acceptance.start
    COMMAND ${ACCEPTANCE_HARNESS} start ${ACCEPTANCE_STATE} ${WINDOWS_BIN})
  add_test(NAME acceptance.stop
    COMMAND ${ACCEPTANCE_HARNESS} stop ${ACCEPTANCE_STATE})
  set_tests_properties(acceptance.start PROPERTIES
    FIXTURES_SETUP wine RESOURCE_LOCK wine LABELS acceptance TIMEOUT 300)
  set_tests_properties(acceptance.stop PROPERTIES
    FIXTURES_CLEANUP wine RESOURCE_LOCK wine LABELS acceptance TIMEOUT 120)

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
      if(drives STREQUAL "")
        add_test(NAME acceptance.${name}
          COMMAND ${ACCEPTANCE_HARNESS} run ${ACCEPTANCE_STATE} ${name})
        set_tests_properties(acceptance.${name} PROPERTIES
          FIXTURES_REQUIRED wine RESOURCE_LOCK wine LABELS acceptance TIMEOUT 120)
        if(locale)
          set_tests_properties(acceptance.${name} PROPERTIES ENVIRONMENT ACCEPTANCE_LOCALE=${locale})
        endif()
      else()
        list(APPEND ACCEPTANCE_WITH_DRIVES "${drives}|${name}")
      endif()
    endforeach()
  endforeach()
  # The long-use scenarios run for minutes (half an hour with all counts).
  foreach(name IN LISTS ACCEPTANCE_NAMES)
    if(name MATCHES "^longuse_")
      set_tests_properties(acceptance.${name} PROPERTIES
        TIMEOUT 2400 ENVIRONMENT ACCEPTANCE_SCENARIO_SECONDS=2300)
    endif()
  endforeach()
  # Scenarios with extra drives last, those with the same drives together:
  # every change of drives restarts the Wine session.
  list(SORT ACCEPTANCE_WITH_DRIVES)
  foreach(entry IN LISTS ACCEPTANCE_WITH_DRIVES)
    string(FIND "${entry}" "|" bar REVERSE)
    string(SUBSTRING "${entry}" 0 ${bar} drives)
    math(EXPR start "${bar} + 1")
    string(SUBSTRING "${entry}" ${start} -1 name)
    add_test(NAME acceptance.${name}
      COMMAND ${ACCEPTANCE_HARNESS} run ${ACCEPTANCE_STATE} ${name} "${drives}")
    set_tests_properties(acceptance.${name} PROPERTIES
      FIXTURES_REQUIRED wine RESOURCE_LOCK wine LABELS acceptance TIMEOUT 120)
  endforeach()
endif()
