# Native Linux build: the portable cores under the sanitizers, their unit
# tests, the build tools, and the two sub-builds (Windows programs with
# MinGW-w64, fuzz targets with clang).  With TESSARON_DIST_ONLY only the
# build tools, the generated inputs and the Windows programs, without the
# sanitizers (tools/release.sh and the reproducibility test).
include(CTest)
include(ExternalProject)

if(TESSARON_DIST_ONLY)
  add_compile_options(-Wall -Wextra -Werror -O2)
else()
  set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(-Wall -Wextra -Werror -g ${SANITIZE})
  add_link_options(${SANITIZE})
endif()

include(cmake/cores.cmake)

set(TESSARON_GEN_DIR ${CMAKE_BINARY_DIR}/gen)
file(MAKE_DIRECTORY ${TESSARON_GEN_DIR})

# Build tools: every tools/*.cpp is a native program of its own.
file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
foreach(src IN LISTS TOOL_SOURCES)
  get_filename_component(tool ${src} NAME_WE)
  add_executable(${tool} ${src})
  target_link_libraries(${tool} PRIVATE common_core)
endforeach()

# Generated inputs of the Windows build (artwork, help file).
set(GENERATED_TARGETS)
file(GLOB GEN_RULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/gen-*.cmake)
foreach(rule IN LISTS GEN_RULES)
  include(${rule})
endforeach()

# What the distribution ships, checked without running it.
include(cmake/shipped-checks.cmake)

# The Windows programs, twice from the same sources: windows-x86 is the
# shipped build (32-bit, Windows 98 to 11; its dist/ folder and zip are the
# distribution), windows-x64 its 64-bit twin, which runs wherever Wine
# does: tools/run.sh and tools/bench.sh use it, and the acceptance suite
# runs on both (the shipped programs where the kernel runs 32-bit ones).
foreach(arch x86 x64)
  if(arch STREQUAL "x86")
    set(toolchain mingw-w64-i686.cmake)
  else()
    set(toolchain mingw-w64-x86_64.cmake)
  endif()
  ExternalProject_Add(windows-${arch}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/${toolchain}
      -DCMAKE_BUILD_TYPE=MinSizeRel
      -DTESSARON_GEN_DIR=${TESSARON_GEN_DIR}
      -DTESSARON_DIST_ONLY=${TESSARON_DIST_ONLY}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    DEPENDS ${GENERATED_TARGETS}
    USES_TERMINAL_BUILD ON)
endforeach()
add_custom_target(windows DEPENDS windows-x86 windows-x64)
set(WINDOWS_BIN ${CMAKE_BINARY_DIR}/windows-x64)
set(SHIPPED_BIN ${CMAKE_BINARY_DIR}/windows-x86)

if(TESSARON_DIST_ONLY)
  return()
endif()

# Unit tests of the portable cores.
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES})
# Generation rules may add libraries of build tools to test (UNIT_TEST_EXTRA_LIBS)
# and definitions their tests need (UNIT_TEST_DEFINITIONS).
target_link_libraries(unit_tests PRIVATE tray_core setup_core kelvey_core common_core ${UNIT_TEST_EXTRA_LIBS}
  GTest::gtest GTest::gtest_main)
target_compile_definitions(unit_tests PRIVATE ${UNIT_TEST_DEFINITIONS})
gtest_discover_tests(unit_tests PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)

# The fuzz targets, built by clang with libFuzzer.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
set(FUZZ_BIN ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(fuzz
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${FUZZ_BIN}
  CMAKE_ARGS
    -DCMAKE_C_COMPILER=clang
    -DCMAKE_CXX_COMPILER=clang++
    -DTESSARON_FUZZ=ON
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
set(FUZZ_SECONDS 20 CACHE STRING "How long each fuzz target runs under CTest")
foreach(src IN LISTS FUZZ_SOURCES)
  get_filename_component(target ${src} NAME_WE)
  set(corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${target})
  set(work ${CMAKE_BINARY_DIR}/fuzz-work/${target})
  add_test(NAME ${target}.replay
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${FUZZ_BIN}/${target} -runs=0 ${corpus})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${target}.run
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${FUZZ_BIN}/${target} -max_total_time=${FUZZ_SECONDS} -timeout=10
            -rss_limit_mb=2048 -artifact_prefix=${work}/ ${work} ${corpus})
  set_tests_properties(${target}.replay ${target}.run PROPERTIES LABELS fuzz)
  set_tests_properties(${target}.run PROPERTIES TIMEOUT 600)
endforeach()

# Acceptance tests under Wine.
include(${CMAKE_SOURCE_DIR}/tests/acceptance/acceptance.cmake OPTIONAL)
