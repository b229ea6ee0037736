# Checks of what the distribution ships, which these machines cannot run:
# the programs' PE headers and imports (tools/pecheck.cpp against the
# reviewed list tools/pe-imports.txt) and the help pages.  The check also
# runs on the 64-bit twin, where it must fail and name why.  Then the
# version everywhere, and a second build that must give the same bytes.
add_library(pefile STATIC ${CMAKE_SOURCE_DIR}/tools/lib/pefile.cpp ${CMAKE_SOURCE_DIR}/tools/lib/i486.cpp)
target_include_directories(pefile PUBLIC ${CMAKE_SOURCE_DIR}/tools/lib)
target_link_libraries(pecheck PRIVATE pefile)
list(APPEND UNIT_TEST_EXTRA_LIBS pefile)

set(REVIEWED_IMPORTS ${CMAKE_SOURCE_DIR}/tools/pe-imports.txt)
set(SHIPPED_DIST ${CMAKE_BINARY_DIR}/windows-x86/dist)
set(TWIN_DIST ${CMAKE_BINARY_DIR}/windows-x64/dist)

add_test(NAME pe.shipped
  COMMAND pecheck ${REVIEWED_IMPORTS} ${SHIPPED_DIST}/setup.exe ${SHIPPED_DIST}/Tessaron.ex_
          ${SHIPPED_DIST}/Kelvey.ex_)
# Every instruction of the shipped programs runs on an i486; the check must
# refuse a program built for the Pentium Pro.
find_program(I686_OBJDUMP i686-w64-mingw32-objdump REQUIRED)
add_test(NAME pe.i486
  COMMAND pecheck --i486 ${I686_OBJDUMP} ${SHIPPED_DIST}/setup.exe ${SHIPPED_DIST}/Tessaron.ex_
          ${SHIPPED_DIST}/Kelvey.ex_)
add_test(NAME pe.i486_refuses_pentiumpro
  COMMAND ${CMAKE_COMMAND} -DPECHECK=$<TARGET_FILE:pecheck> -DOBJDUMP=${I686_OBJDUMP}
          -DPROGRAM=${CMAKE_BINARY_DIR}/windows-x86/pentiumpro.exe
          -P ${CMAKE_SOURCE_DIR}/tests/dist/pentiumpro.cmake)
add_test(NAME pe.twin_refused
  COMMAND ${CMAKE_COMMAND} -DPECHECK=$<TARGET_FILE:pecheck> -DLIST=${REVIEWED_IMPORTS} -DDIST=${TWIN_DIST}
          -P ${CMAKE_SOURCE_DIR}/tests/dist/pe_twin.cmake)
add_test(NAME dist.help_pages
  COMMAND ${CMAKE_COMMAND} -DDIST=${SHIPPED_DIST} -DZIP=${CMAKE_BINARY_DIR}/windows-x86/Tessaron-${PROJECT_VERSION}.zip
          -DHELP_SOURCE=${CMAKE_SOURCE_DIR}/docs/help/tessaron.but
          -DPAGES_LIST=${CMAKE_SOURCE_DIR}/common/helppages.cpp
          -P ${CMAKE_SOURCE_DIR}/tests/dist/help_pages.cmake)
add_test(NAME dist.manifests
  COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPECHECK=$<TARGET_FILE:pecheck>
          -P ${CMAKE_SOURCE_DIR}/tests/dist/manifests.cmake)
add_test(NAME dist.version
  COMMAND ${CMAKE_COMMAND} -DPECHECK=$<TARGET_FILE:pecheck> -DVERSION=${PROJECT_VERSION} -DBUILD=${CMAKE_BINARY_DIR}
          -P ${CMAKE_SOURCE_DIR}/tests/dist/version.cmake)
find_program(FAKETIME faketime)
add_test(NAME dist.reproducible
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DFIRST=${CMAKE_BINARY_DIR}
          -DSECOND=${CMAKE_BINARY_DIR}/reproduced -DZIP=Tessaron-${PROJECT_VERSION}.zip -DFAKETIME=${FAKETIME}
          -P ${CMAKE_SOURCE_DIR}/tests/dist/reproducible.cmake)
set_tests_properties(pe.shipped pe.i486 pe.i486_refuses_pentiumpro pe.twin_refused dist.help_pages dist.manifests dist.version dist.reproducible PROPERTIES LABELS dist)
set_tests_properties(dist.reproducible PROPERTIES TIMEOUT 1800)
