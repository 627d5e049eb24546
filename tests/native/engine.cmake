# Compressor engine and program analysis.
add_native_test(program_analysis_test ${CMAKE_CURRENT_LIST_DIR}/program_analysis_test.cpp)
add_native_test(engine_test ${CMAKE_CURRENT_LIST_DIR}/engine_test.cpp)
add_native_test(engine_allocation_test ${CMAKE_CURRENT_LIST_DIR}/engine_allocation_test.cpp)
add_native_test(engine_short_block_test ${CMAKE_CURRENT_LIST_DIR}/engine_short_block_test.cpp)
