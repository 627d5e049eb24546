# The panel's font faces (Inter and Cinzel, SIL Open Font License 1.1), which
# the modules embed: scripts/fetch_fonts.sh puts them into this tree's fonts/
# and stops the build when a face is not the file whose SHA-256 it pins. By
# default it fetches them from npm (a developer's machine); a build without
# network access (a distribution's builder) names a folder that holds the
# released faces instead, and the same pins are checked.
set(DQ_FONT_DIR "" CACHE PATH
    "Folder holding the released faces Inter_400Regular.ttf, Inter_700Bold.ttf, Cinzel_400Regular.ttf and Cinzel_700Bold.ttf (anywhere below it); empty: fetch them from npm")
set(PANEL_FONT_DIR ${CMAKE_BINARY_DIR}/fonts)
if(DQ_FONT_DIR)
  set(_font_comment "Taking the panel's fonts from ${DQ_FONT_DIR}")
else()
  set(_font_comment "Fetching the panel's fonts from npm")
endif()
set(PANEL_FONT_FILES Cinzel-Regular.ttf Cinzel-Bold.ttf Inter-Regular.ttf Inter-Bold.ttf)
list(TRANSFORM PANEL_FONT_FILES PREPEND ${PANEL_FONT_DIR}/)
add_custom_command(OUTPUT ${PANEL_FONT_FILES}
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch_fonts.sh ${PANEL_FONT_DIR} ${DQ_FONT_DIR}
  COMMENT "${_font_comment}")
# What embeds the faces depends on this target, and on the files themselves.
add_custom_target(panel_fonts DEPENDS ${PANEL_FONT_FILES})
