# The compressor engine through the DLL.
add_win_test(engine_dll_tests ${CMAKE_CURRENT_LIST_DIR}/engine_dll_tests.cpp)
