# The setup wizard, the uninstaller Kelvey and the distribution folder.
add_executable(setup WIN32 ${SETUP_WIN32} ${CMAKE_SOURCE_DIR}/setup/setup.rc)
target_link_libraries(setup PRIVATE setup_core common_win32 ole32 uuid shell32 advapi32)
set_source_files_properties(${CMAKE_SOURCE_DIR}/setup/setup.rc PROPERTIES
  OBJECT_DEPENDS "${TESSARON_GEN_DIR}/icons/icon50.ico;${CMAKE_SOURCE_DIR}/common/admin.manifest")
set_source_files_properties(${CMAKE_SOURCE_DIR}/kelvey/kelvey.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/common/admin.manifest)
tessaron_windows_layer(setup)

# Kelvey finds the Start-up shortcut exactly as setup does.
add_executable(Kelvey WIN32 ${KELVEY_WIN32} ${CMAKE_SOURCE_DIR}/setup/startup_win32.cpp
  ${CMAKE_SOURCE_DIR}/kelvey/kelvey.rc)
target_include_directories(Kelvey PRIVATE ${CMAKE_SOURCE_DIR}/setup)
target_link_libraries(Kelvey PRIVATE kelvey_core setup_core common_win32 advapi32)
tessaron_windows_layer(Kelvey)

# The distribution folder (cmake/dist.cmake lists what it holds); the
# shipped build also zips it.
set(DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(dist_zip)
if(TESSARON_SHIPPED)
  set(dist_zip -DDIST_ZIP=${CMAKE_BINARY_DIR}/Tessaron-${PROJECT_VERSION}.zip)
endif()
add_custom_target(dist ALL
  COMMAND ${CMAKE_COMMAND}
    -DDIST_DIR=${DIST_DIR}
    ${dist_zip}
    -DSETUP_EXE=$<TARGET_FILE:setup>
    -DTESSARON_EXE=$<TARGET_FILE:Tessaron>
    -DKELVEY_EXE=$<TARGET_FILE:Kelvey>
    -DGEN_DIR=${TESSARON_GEN_DIR}
    -DDOCS_DIR=${CMAKE_SOURCE_DIR}/docs
    -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
    -P ${CMAKE_SOURCE_DIR}/cmake/dist.cmake
  DEPENDS setup Tessaron Kelvey
  COMMENT "Assembling the distribution folder"
  VERBATIM)
