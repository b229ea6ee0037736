# The program's icons, drawn as text in tools/icons and written out as .ico
# files by mkicons at build time.
add_library(icoart STATIC ${CMAKE_SOURCE_DIR}/tools/lib/icoart.cpp)
target_include_directories(icoart PUBLIC ${CMAKE_SOURCE_DIR}/tools/lib)
target_link_libraries(mkicons PRIVATE icoart)
list(APPEND UNIT_TEST_EXTRA_LIBS icoart)
list(APPEND UNIT_TEST_DEFINITIONS ICON_ART_DIR="${CMAKE_SOURCE_DIR}/tools/icons")

set(ICON_ART_DIR ${CMAKE_SOURCE_DIR}/tools/icons)
set(ICON_PALETTE ${ICON_ART_DIR}/palette.txt)
# Resource number, art file.  The window class's large icon (100) is the
# main icon's art.
set(ICON_TABLE
  5 main
  6 drivespace
  7 defrag
  8 agent
  9 backup
  10 scandisk
  11 explorer
  15 quickaccess
  50 setup
  100 main)

set(ICON_OUTPUTS)
set(ICON_SHEET_ART)
list(LENGTH ICON_TABLE icon_table_length)
math(EXPR icon_last "${icon_table_length} - 1")
foreach(i RANGE 0 ${icon_last} 2)
  math(EXPR j "${i} + 1")
  list(GET ICON_TABLE ${i} number)
  list(GET ICON_TABLE ${j} art)
  set(ico ${TESSARON_GEN_DIR}/icons/icon${number}.ico)
  add_custom_command(OUTPUT ${ico}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSARON_GEN_DIR}/icons
    COMMAND mkicons ico ${ICON_PALETTE} ${ICON_ART_DIR}/${art}.txt ${ico}
    DEPENDS mkicons ${ICON_PALETTE} ${ICON_ART_DIR}/${art}.txt
    COMMENT "Drawing icon ${number} from ${art}.txt"
    VERBATIM)
  list(APPEND ICON_OUTPUTS ${ico})
  if(NOT number EQUAL 100)
    list(APPEND ICON_SHEET_ART ${ICON_ART_DIR}/${art}.txt)
  endif()
endforeach()

# Every icon at every size on the three taskbars, for the README
# (docs/images/icons.png is this sheet, recompressed).
set(ICON_SHEET ${TESSARON_GEN_DIR}/icons/icons.png)
add_custom_command(OUTPUT ${ICON_SHEET}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSARON_GEN_DIR}/icons
  COMMAND mkicons sheet ${ICON_PALETTE} ${ICON_SHEET} 1 ${ICON_SHEET_ART}
  DEPENDS mkicons ${ICON_PALETTE} ${ICON_SHEET_ART}
  COMMENT "Drawing the icon sheet"
  VERBATIM)

add_custom_target(icons ALL DEPENDS ${ICON_OUTPUTS} ${ICON_SHEET})
list(APPEND GENERATED_TARGETS icons)
