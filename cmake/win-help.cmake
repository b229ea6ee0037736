# The tray program looks for its help file beside itself, so the help file
# is copied next to Tessaron.exe in the Windows build, again whenever the
# generated file changes.
set(HELP_BESIDE_PROGRAM ${CMAKE_BINARY_DIR}/TESSARON.HLP)
add_custom_command(OUTPUT ${HELP_BESIDE_PROGRAM}
  COMMAND ${CMAKE_COMMAND} -E copy ${TESSARON_GEN_DIR}/TESSARON.HLP ${HELP_BESIDE_PROGRAM}
  DEPENDS ${TESSARON_GEN_DIR}/TESSARON.HLP
  COMMENT "Placing TESSARON.HLP beside Tessaron.exe"
  VERBATIM)
add_custom_target(tessaron_help_beside_program ALL DEPENDS ${HELP_BESIDE_PROGRAM})
