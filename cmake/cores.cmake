# The portable cores, one static library per program.
function(tessaron_core name dir sources)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/${dir})
    if(NOT name STREQUAL "common_core")
      target_link_libraries(${name} PUBLIC common_core)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/${dir})
    target_link_libraries(${name} INTERFACE common_core)
  endif()
endfunction()

tessaron_core(common_core common "${COMMON_PORTABLE}")
tessaron_core(tray_core tray "${TRAY_PORTABLE}")
tessaron_core(setup_core setup "${SETUP_PORTABLE}")
tessaron_core(kelvey_core kelvey "${KELVEY_PORTABLE}")


