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
    ${CMAKE_SOURCE_DIR}/common/helppages.cpp ${CMAKE_SOURCE_DIR}/tools/lib/icoart.cpp)
  target_include_directories(driver PRIVATE
    ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/tray ${CMAKE_SOURCE_DIR}/common ${CMAKE_SOURCE_DIR}/tools/lib
    ${CMAKE_BINARY_DIR})
  # The tray's icons are compared with their art as drawn.
  target_compile_definitions(driver PRIVATE ICON_ART_DIR="${CMAKE_SOURCE_DIR}/tools/icons")
  add_executable(recorder WIN32 ${CMAKE_CURRENT_LIST_DIR}/recorder.c)
else()
  set(ACCEPTANCE_HARNESS ${CMAKE_CURRENT_LIST_DIR}/harness.sh)

  # Scenarios that are about the 64-bit twin alone, as name and reason;
  # every other scenario runs on both builds.
  set(ACCEPTANCE_TWIN_ONLY)

  # A changed scenario file may add or rename scenarios: configure again.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ACCEPTANCE_SCENARIO_SOURCES})
  set(ACCEPTANCE_NAMES)
  set(ACCEPTANCE_RUNS)
  foreach(source IN LISTS ACCEPTANCE_SCENARIO_SOURCES)
    file(STRINGS ${source} declarations REGEX "^SCENARIO(_DRIVES|_DPI|_LOCALE)?\\(")
    foreach(declaration IN LISTS declarations)
      set(dpis "")
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
      elseif(declaration MATCHES "^SCENARIO_DPI\\(([A-Za-z_][A-Za-z0-9_]*), *\"([0-9 ]+)\"\\)")
        set(name ${CMAKE_MATCH_1})
        set(drives "")
        string(REGEX MATCHALL "[0-9]+" dpis "${CMAKE_MATCH_2}")
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
      # Scenarios with extra drives after the others, those with the same
      # drives together, and those about the display's scale last, one run
      # per DPI, those at one DPI together: every change of drives or DPI
      # restarts the Wine session.  An entry: order|drives|DPI|name.
      if(dpis)
        foreach(dpi IN LISTS dpis)
          string(LENGTH "${dpi}" digits)
          math(EXPR missing "4 - ${digits}")
          string(REPEAT "0" ${missing} padding)
          list(APPEND ACCEPTANCE_RUNS "1||${padding}${dpi}|${name}")
        endforeach()
      else()
        list(APPEND ACCEPTANCE_RUNS "0|${drives}||${name}")
      endif()
    endforeach()
  endforeach()
  list(SORT ACCEPTANCE_RUNS)

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
      FIXTURES_CLEANUP ${fixture} RESOURCE_LOCK ${fixture} LABELS ${run} TIMEOUT 120 SKIP_RETURN_CODE 77)
    foreach(entry IN LISTS ACCEPTANCE_RUNS)
      string(REGEX MATCH "^[01]\\|([^|]*)\\|0*([0-9]*)\\|(.*)$" parts "${entry}")
      set(drives "${CMAKE_MATCH_1}")
      set(dpi "${CMAKE_MATCH_2}")
      set(name "${CMAKE_MATCH_3}")
      if(run STREQUAL "shipped" AND name IN_LIST ACCEPTANCE_TWIN_ONLY)
        continue()
      endif()
      if(dpi STREQUAL "")
        set(test ${run}.${name})
      else()
        set(test ${run}.${name}_${dpi}dpi)
      endif()
      add_test(NAME ${test} COMMAND ${ACCEPTANCE_HARNESS} run ${state} ${name} "${drives}" ${dpi})
      set_tests_properties(${test} PROPERTIES
        FIXTURES_REQUIRED ${fixture} RESOURCE_LOCK ${fixture} LABELS ${run} TIMEOUT 120 SKIP_RETURN_CODE 77)
      if(DEFINED ACCEPTANCE_LOCALE_${name})
        set_tests_properties(${test} PROPERTIES ENVIRONMENT ACCEPTANCE_LOCALE=${ACCEPTANCE_LOCALE_${name}})
      endif()
      # The long-use scenarios run for minutes (half an hour with all counts).
      if(name MATCHES "^longuse_")
        set_tests_properties(${test} PROPERTIES
          TIMEOUT 2400 ENVIRONMENT ACCEPTANCE_SCENARIO_SECONDS=2300)
      endif()
    endforeach()
  endforeach()
endif()
