# Sample-rate requests that land while a block runs.
add_native_test(rate_change_race_test ${CMAKE_CURRENT_LIST_DIR}/rate_change_race_test.cpp)
