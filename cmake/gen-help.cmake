# The help file TESSARON.HLP: halibut compiles docs/help/tessaron.but, then
# hlpmap adds the numeric help contexts of docs/help/contexts.txt, which
# WinHelp needs for HELP_CONTEXT, and zeroes the build date so that every
# build gives the same bytes.
find_program(HALIBUT halibut REQUIRED)

add_library(hlpfile STATIC ${CMAKE_SOURCE_DIR}/tools/lib/hlpfile.cpp)
target_include_directories(hlpfile PUBLIC ${CMAKE_SOURCE_DIR}/tools/lib)
target_link_libraries(hlpmap PRIVATE hlpfile)
list(APPEND UNIT_TEST_EXTRA_LIBS hlpfile)

set(HELP_SOURCE ${CMAKE_SOURCE_DIR}/docs/help/tessaron.but)
set(HELP_CONTEXTS ${CMAKE_SOURCE_DIR}/docs/help/contexts.txt)
set(HELP_WORK ${CMAKE_BINARY_DIR}/help)
set(HELP_FILE ${TESSARON_GEN_DIR}/TESSARON.HLP)

add_custom_command(OUTPUT ${HELP_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HELP_WORK}
  COMMAND ${HALIBUT} --winhelp=${HELP_WORK}/compiled.hlp ${HELP_SOURCE}
  COMMAND hlpmap ${HELP_WORK}/compiled.hlp ${HELP_CONTEXTS} ${HELP_FILE}
  DEPENDS hlpmap ${HELP_SOURCE} ${HELP_CONTEXTS}
  COMMENT "Compiling the help file TESSARON.HLP"
  VERBATIM)

# The same help as HTML pages, one per topic, named as the topics are, for
# systems without a WinHelp viewer (they ship in the distribution's help
# folder, which setup does not install).
set(HELP_HTML_DIR ${TESSARON_GEN_DIR}/help-html)
add_custom_command(OUTPUT ${HELP_HTML_DIR}/index.html
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${HELP_HTML_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${HELP_HTML_DIR}
  COMMAND ${CMAKE_COMMAND} -E chdir ${HELP_HTML_DIR}
          ${HALIBUT} --html -Chtml-contents-filename:index.html -Chtml-template-filename:%k.html
          ${HELP_SOURCE}
  DEPENDS ${HELP_SOURCE}
  COMMENT "Writing the help as HTML pages"
  VERBATIM)
add_custom_target(tessaron_help ALL DEPENDS ${HELP_FILE} ${HELP_HTML_DIR}/index.html)
list(APPEND GENERATED_TARGETS tessaron_help)

# Every number of contexts.txt opens its own topic in the built file.
add_test(NAME hlpmap.contexts
  COMMAND hlpmap --check ${HELP_FILE} ${HELP_CONTEXTS})
set_tests_properties(hlpmap.contexts PROPERTIES LABELS unit)
