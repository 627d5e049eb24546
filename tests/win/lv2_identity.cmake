# The DLL's side of the LV2 build's identity test (tests/lv2, native tree).
add_executable(dll_trace ${CMAKE_CURRENT_LIST_DIR}/dll_trace.cpp)
target_link_libraries(dll_trace PRIVATE vst_host)
target_include_directories(dll_trace PRIVATE ${CMAKE_SOURCE_DIR}/dsp)
target_link_options(dll_trace PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(dll_trace PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(dll_trace DorlinQuillet)
