# The editor in a real window under Wine: pixels, dragging, lifecycle,
# resources. Captures land in editor-captures/ beside the programs.
add_library(editor_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/editor_test_support.cpp)
target_include_directories(editor_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(editor_test_support PUBLIC vst2_host psapi PRIVATE dq_warnings)

# The editor library is linked in for its painter: the layered paint is held
# to the whole panel painted from scratch, and to its own fallback path.
add_win_test(editor_tests
  ${CMAKE_CURRENT_LIST_DIR}/editor_paint_tests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_window_tests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_layer_tests.cpp)
target_link_libraries(editor_tests PRIVATE editor_test_support editor)
# The missing-font cases need prefixes of their own; every other case runs here.
set_tests_properties(win.editor_tests PROPERTIES
  ENVIRONMENT "GTEST_FILTER=-*MissingCinzel*:*WithoutFonts*")
heap_checked_test(win.editor_tests editor_tests)

# The same program in copies of the project's prefix without some font files.
add_test(NAME win.editor_without_cinzel
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/editor_without_fonts.sh $<TARGET_FILE:editor_tests>
          ${CMAKE_BINARY_DIR}/wineprefix-without-cinzel *MissingCinzel* Cinzel-*.ttf)
add_test(NAME win.editor_without_fonts
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/editor_without_fonts.sh --reference $<TARGET_FILE:editor_tests>
          ${CMAKE_BINARY_DIR}/wineprefix-without-fonts *WithoutFonts* Cinzel-*.ttf Inter-*.ttf)
set_tests_properties(win.editor_without_cinzel win.editor_without_fonts PROPERTIES TIMEOUT 900)

# The editor at the display's scale, in a prefix of its own at four DPIs.
add_windows_program(editor_dpi_tests NEEDS_PLUGIN ${CMAKE_CURRENT_LIST_DIR}/editor_dpi_tests.cpp)
target_link_libraries(editor_dpi_tests PRIVATE editor_test_support vst2_host gtest_main gtest)
add_test(NAME win.editor_dpi
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/editor_dpi.sh $<TARGET_FILE:editor_dpi_tests> ${CMAKE_BINARY_DIR}/wineprefix-dpi)
set_tests_properties(win.editor_dpi PROPERTIES TIMEOUT 900)
