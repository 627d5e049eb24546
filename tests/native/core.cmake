# The format-neutral plug-in core.
add_native_test(core_test ${CMAKE_CURRENT_LIST_DIR}/core_test.cpp)
target_link_libraries(core_test PRIVATE core)

add_native_test(presets_test ${CMAKE_CURRENT_LIST_DIR}/presets_test.cpp)
