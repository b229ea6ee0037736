# The Windows programs, cross-compiled with MinGW-w64 and linked statically
# so that they need no runtime DLLs beyond the system's.
if(NOT TESSARON_GEN_DIR)
  message(FATAL_ERROR "TESSARON_GEN_DIR must name the generated artwork and help")
endif()
enable_language(RC)
add_compile_options(-Wall -Wextra -Werror -Os)
add_link_options(-static -s)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${TESSARON_GEN_DIR} -I${CMAKE_SOURCE_DIR}/tray -I${CMAKE_SOURCE_DIR}/setup")

include(cmake/cores.cmake)

add_library(common_win32 STATIC ${COMMON_WIN32})
target_include_directories(common_win32 PUBLIC ${CMAKE_SOURCE_DIR}/common)
target_link_libraries(common_win32 PUBLIC common_core)

add_executable(Tessaron WIN32 ${TRAY_WIN32} ${CMAKE_SOURCE_DIR}/tray/tessaron.rc)
target_link_libraries(Tessaron PRIVATE tray_core common_win32 comctl32 shell32 ole32)

file(GLOB WINDOWS_RULES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/win-*.cmake)
foreach(rule IN LISTS WINDOWS_RULES)
  include(${rule})
endforeach()

include(${CMAKE_SOURCE_DIR}/tests/acceptance/acceptance.cmake OPTIONAL)
