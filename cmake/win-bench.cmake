# The benchmark programs (tools/bench.sh builds and runs them; no test uses
# them): a one-icon baseline tray program, the timing probe that starts
# programs and watches them from outside, the readers' micro-benchmark under
# Wine, and an unstripped Tessaron for size analysis.  None of them is part
# of the default build, so a benchmark can never hold up the tests.
if(TESSARON_SHIPPED)
  return()  # they run under Wine: the 64-bit twin only
endif()
set(BENCH_DIR ${CMAKE_SOURCE_DIR}/bench)
set(BENCH_OUT ${CMAKE_BINARY_DIR}/bench)

add_executable(bench_trayone WIN32 EXCLUDE_FROM_ALL ${BENCH_DIR}/trayone.cpp ${BENCH_DIR}/trayone.rc)
set_source_files_properties(${BENCH_DIR}/trayone.rc PROPERTIES
  OBJECT_DEPENDS ${TESSARON_GEN_DIR}/icons/icon5.ico)

add_executable(bench_probe EXCLUDE_FROM_ALL ${BENCH_DIR}/probe.cpp)
target_include_directories(bench_probe PRIVATE ${CMAKE_SOURCE_DIR}/tests/acceptance)
target_link_libraries(bench_probe PRIVATE psapi)

add_executable(bench_core EXCLUDE_FROM_ALL ${BENCH_DIR}/corebench.cpp ${BENCH_DIR}/corebench_menu_win32.cpp)
target_include_directories(bench_core PRIVATE ${BENCH_DIR})
target_link_libraries(bench_core PRIVATE tray_core)

set_target_properties(bench_trayone bench_probe bench_core PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${BENCH_OUT})

# Tessaron.exe as built, but with its symbols and a link map, for
# "nm --size-sort" and for seeing which library members the link pulls in.
add_executable(bench_tessaron_unstripped WIN32 EXCLUDE_FROM_ALL
  ${TRAY_WIN32} ${CMAKE_SOURCE_DIR}/tray/tessaron.rc)
foreach(property LINK_LIBRARIES INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
  get_target_property(value Tessaron ${property})
  if(value)
    set_property(TARGET bench_tessaron_unstripped PROPERTY ${property} ${value})
  endif()
endforeach()
set_target_properties(bench_tessaron_unstripped PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${BENCH_OUT}
  LINK_OPTIONS "-static;-Wl,-Map=${BENCH_OUT}/Tessaron.map")
