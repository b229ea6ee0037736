# The tray program looks for its help file beside itself, so the help file
# is copied next to Tessaron.exe in the Windows build.
add_custom_command(TARGET Tessaron POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TESSARON_GEN_DIR}/TESSARON.HLP
          $<TARGET_FILE_DIR:Tessaron>/TESSARON.HLP
  VERBATIM)
