# add_windows_program(name [NEEDS_PLUGIN] SOURCES...)
# One Windows program of the cross tree: the project's warnings, the C/C++
# runtime linked in (the program runs under Wine with nothing installed), the
# project root on the include path, and the program beside the DLL in the
# tree's top folder. NEEDS_PLUGIN builds the DLL first for programs that load it.
function(add_windows_program name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "NEEDS_PLUGIN" "" "")
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  windows_binary_defaults(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  if(ARG_NEEDS_PLUGIN)
    add_dependencies(${name} DorlinQuillet)
  endif()
endfunction()

# Warnings, the runtime linked in, and the project root on the include path,
# for any executable or DLL of the cross tree. No time stamp in the PE header:
# the same sources give the same bytes.
function(windows_binary_defaults target)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE dq_warnings)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
endfunction()

# heap_checked_test(TEST PROGRAM): before TEST runs, Wine's heap gets its free
# check for PROGRAM.exe (the GlobalFlag of the program's image options, in the
# project's prefix): freed blocks are filled, so a call through freed memory
# crashes and a write to it shows in HeapValidate.
function(heap_checked_test test program)
  add_test(NAME ${test}.heap_free_check
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh reg add
      "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\${program}.exe"
      /v GlobalFlag /t REG_DWORD /d 32 /f)
  set_tests_properties(${test}.heap_free_check PROPERTIES FIXTURES_SETUP ${test}.heap)
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED ${test}.heap)
endfunction()
