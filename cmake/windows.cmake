# The Windows programs, cross-compiled with MinGW-w64 and linked statically
# so that they need no runtime DLLs beyond the system's.  Configured twice
# from the same sources (cmake/native.cmake): the shipped 32-bit build and
# its 64-bit twin, which is what runs under Wine here.
if(NOT TESSARON_GEN_DIR)
  message(FATAL_ERROR "TESSARON_GEN_DIR must name the generated artwork and help")
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TESSARON_SHIPPED ON)
else()
  set(TESSARON_SHIPPED OFF)
endif()
enable_language(RC)
# Two builds of the same sources give the same bytes: no build time in the
# programs (the linker's time stamp; __DATE__ and __TIME__ refused) and no
# folder of the build machine (file names written relative to the checkout).
add_compile_options(-Wall -Wextra -Werror -Wdate-time -Os
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
add_link_options(-static -s -Wl,--no-insert-timestamp)
# The shipped programs run on every processor Windows 98 runs on, the i486
# with its FPU and up: the compiler's default for this toolchain is the
# Pentium Pro, whose conditional moves a Pentium or a K6 lacks.  The
# toolchain's start-up objects are built for the Pentium Pro as well, so the
# shipped programs start from common/startup_win32.c instead
# (tessaron_windows_layer); tools/pecheck --i486 checks every instruction.
if(TESSARON_SHIPPED)
  add_compile_options(-march=i486)
endif()

# The version of CMakeLists.txt, for the resource scripts and the tests.
foreach(part MAJOR MINOR PATCH TWEAK)
  set(VERSION_${part} 0${PROJECT_VERSION_${part}})
  math(EXPR VERSION_${part} "${VERSION_${part}}")  # 0 when not given
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/cmake/version.h.in ${CMAKE_BINARY_DIR}/version.h @ONLY)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${TESSARON_GEN_DIR} -I${CMAKE_BINARY_DIR} -I${CMAKE_SOURCE_DIR}/common -I${CMAKE_SOURCE_DIR}/tray -I${CMAKE_SOURCE_DIR}/setup")

include(cmake/cores.cmake)

# What the programs are built against: the headers of the Windows 95 and
# NT 4.0 generation, so that the structure sizes are those every system
# from Windows 98 on accepts, and the C runtime's own printf, which the
# system C library of Windows 98 has (MinGW's needs calls it lacks).
set(TESSARON_WINDOWS_DEFINITIONS WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0400)
set(TESSARON_CRT_DEFINITIONS __USE_MINGW_ANSI_STDIO=0)
function(tessaron_windows_layer target)
  target_compile_definitions(${target} PRIVATE ${TESSARON_WINDOWS_DEFINITIONS} ${TESSARON_CRT_DEFINITIONS})
  get_target_property(type ${target} TYPE)
  if(TESSARON_SHIPPED AND type STREQUAL "EXECUTABLE")
    # Windows 98 and ME load subsystem version 4.x only.
    target_link_options(${target} PRIVATE -Wl,--subsystem,windows:4.0)
  endif()
  if(type STREQUAL "EXECUTABLE")
    # Our own start-up, built for the i486 with the rest.  The twin starts
    # from it too, so that every acceptance scenario runs it.  The programs
    # need no pseudo-relocations, which only the toolchain's start-up
    # applies: the link fails rather than leave one unapplied.
    if(TESSARON_SHIPPED)
      set(entry _WinMainCRTStartup)  # the 32-bit C names' underscore
    else()
      set(entry WinMainCRTStartup)
    endif()
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/common/startup_win32.c)
    target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,${entry}
      -Wl,--disable-runtime-pseudo-reloc)
  endif()
endfunction()
foreach(core common_core tray_core setup_core kelvey_core)
  get_target_property(type ${core} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    target_compile_definitions(${core} PRIVATE ${TESSARON_CRT_DEFINITIONS})
  endif()
endforeach()

add_library(common_win32 STATIC ${COMMON_WIN32})
target_include_directories(common_win32 PUBLIC ${CMAKE_SOURCE_DIR}/common)
target_link_libraries(common_win32 PUBLIC common_core)
tessaron_windows_layer(common_win32)

add_executable(Tessaron WIN32 ${TRAY_WIN32} ${CMAKE_SOURCE_DIR}/tray/tessaron.rc)
# The resource compiler reports no dependencies: name what the script
# includes, so that a redrawn icon reaches the program.
set(tessaron_rc_inputs ${CMAKE_SOURCE_DIR}/tray/tessaron.manifest ${CMAKE_SOURCE_DIR}/tray/resource.h)
foreach(icon 5 6 7 8 9 10 11 15 100)
  list(APPEND tessaron_rc_inputs ${TESSARON_GEN_DIR}/icons/icon${icon}.ico)
endforeach()
set_source_files_properties(${CMAKE_SOURCE_DIR}/tray/tessaron.rc PROPERTIES OBJECT_DEPENDS "${tessaron_rc_inputs}")
target_link_libraries(Tessaron PRIVATE tray_core common_win32 shell32 ole32 advapi32)
tessaron_windows_layer(Tessaron)

file(GLOB WINDOWS_RULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/win-*.cmake)
foreach(rule IN LISTS WINDOWS_RULES)
  include(${rule})
endforeach()

# A program built for the Pentium Pro, as this toolchain builds by default,
# which the instruction check must refuse (tests/dist/pentiumpro.cmake).
if(TESSARON_SHIPPED AND NOT TESSARON_DIST_ONLY)
  add_executable(pentiumpro WIN32 ${CMAKE_SOURCE_DIR}/tests/dist/pentiumpro.c)
  target_compile_options(pentiumpro PRIVATE -march=pentiumpro -O2)
endif()

# What drives the programs under Wine: the acceptance driver and its
# recorder, in both builds, so that each build is driven by a driver that
# sees what its programs see (their registry view, their tray records).
if(NOT TESSARON_DIST_ONLY)
  include(${CMAKE_SOURCE_DIR}/tests/acceptance/acceptance.cmake OPTIONAL)
endif()
