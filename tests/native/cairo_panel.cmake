# Trees without the panel (aarch64) have none of it.
if(NOT DQ_LINUX_GUI)
  return()
endif()
# The panel's model; the Linux panel drawn with Cairo: its layers, and its picture against the
# saved one (mean difference per channel at most 0.5 levels, at most 0.2 % of
# pixels off by more than 32), at 100 % and 200 %.
add_native_test(cairo_panel_test cairo_panel_test.cpp)
target_link_libraries(cairo_panel_test PRIVATE editor_cairo)
# The platform-free panel model the Linux and Windows editors share.
add_native_test(panel_parts_test panel_parts_test.cpp)
target_link_libraries(panel_parts_test PRIVATE editor_cairo)
# The sanitizer tree builds only the unit tests, not the picture tool.
if(DQ_SANITIZED_BUILD)
  return()
endif()
foreach(scale 1 2)
  set(saved ${CMAKE_SOURCE_DIR}/docs/editor-linux.png)
  if(scale EQUAL 2)
    set(saved ${CMAKE_SOURCE_DIR}/docs/editor-linux-200.png)
  endif()
  add_test(NAME native.cairo_panel_picture_${scale}
    COMMAND sh -c "$<TARGET_FILE:panel_picture> --scale ${scale} --out cairo_panel_${scale}.png && \
/usr/bin/python3 ${CMAKE_SOURCE_DIR}/scripts/compare_pictures.py ${saved} cairo_panel_${scale}.png \
--max-mean 0.5 --max-share 0.002")
endforeach()
