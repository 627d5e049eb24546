# The DLL's side of the LV2 build's identity test (tests/lv2, native tree).
add_windows_program(dll_trace NEEDS_PLUGIN ${CMAKE_CURRENT_LIST_DIR}/dll_trace.cpp)
target_link_libraries(dll_trace PRIVATE vst2_host)
target_include_directories(dll_trace PRIVATE ${CMAKE_SOURCE_DIR}/dsp)
