# The rig itself: a Windows program that crashes under Wine must fail its test.
add_windows_program(crash_program ${CMAKE_CURRENT_LIST_DIR}/crash_program.cpp)
set_target_properties(crash_program PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/rig)
add_test(NAME win.rig.crash_is_a_failure
  COMMAND bash -c "! bash '${CMAKE_SOURCE_DIR}/scripts/wine-run.sh' '$<TARGET_FILE:crash_program>'")
set_tests_properties(win.rig.crash_is_a_failure PROPERTIES TIMEOUT 120)
