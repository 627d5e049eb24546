# The block values kept from block to block.
add_native_test(block_values_test ${CMAKE_CURRENT_LIST_DIR}/block_values_test.cpp)
